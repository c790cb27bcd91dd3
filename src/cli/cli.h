// Command line and driver: the options, the usage and version texts and the run.
#pragma once

#include <cstdio>

#include "util/util.h"

// What the command line asked for.
struct CommandLine {
    bool run_on = true;  // false when the options ended the run: --help, --version, a bad --shell
    int status = 0;      // the status of a run that the options ended
    OptionSet options;
    int first_command = 1;  // the index in argv of the first COMMAND
};

// Parses the options of argv (whose argv[0] names the program in getopt_long's diagnostics).
CommandLine parse_command_line(int argc, char** argv);

// The usage text, to standard output for --help and to standard error without a COMMAND.
void write_usage(FILE* stream);

// The four-line version banner, to standard output.
void write_version();

// Fills prefix from source: cut to path_buffer_size - 1 bytes, "/" when empty, a '/' appended
// when there is room.
void fill_prefix(PathPrefix& prefix, const char* source);

// Ends the run with 255 and the message of failure on standard error, standard output flushed
// after it.
[[noreturn]] void fatal(const Failure& failure);

// Flushes the output and returns status; a failed write (now or earlier) instead ends the
// process with "PROGRAM: write error: REASON\n" and 255, so lost output never reads as success.
int flushed_status(Output& output, int status);

// The whole run; returns the exit status (the capped failure count, 0 or 255).
int driver_main(int argc, char** argv);
