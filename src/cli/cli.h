// Command line and driver: the options, the usage and version texts, the home prefix and the run.
#pragma once

#include <cstddef>
#include <cstdio>

// The switches of the command line, each 0 or 1. Written while the options are parsed (and the
// two read flags once more by the driver's cancellation step), read by the rest of the run.
struct OptionSet {
    int opt_all = 0;             // print every match, show a function and its paths
    int opt_read_alias = 0;      // read alias lines from stdin and resolve matching aliases
    int opt_skip_alias = 0;      // cancels opt_read_alias wherever it stands
    int opt_read_functions = 0;  // read function definitions from stdin and show them
    int opt_skip_functions = 0;  // cancels opt_read_functions wherever it stands
    int opt_skip_dot = 0;        // skip PATH entries that do not begin with '/'
    int opt_skip_tilde = 0;      // skip '~' entries and drop results under the home directory
    int opt_show_dot = 0;        // print "./..." for results found through a dot entry
    int opt_show_tilde = 0;      // print "~/..." for results under the home directory
};
extern OptionSet options;

// Set by each --tty-only: 1 when standard output is not a terminal. The four display and skip
// options read it when they are met.
extern int tty_cutoff;

// The home directory as a prefix ending in '/' (unless it was cut at 1023 bytes), for the tilde
// form and --skip-tilde. Filled once at start-up, only when one of them is in force.
struct PathPrefix {
    char text[1024] = "";
    size_t length = 0;
};
extern PathPrefix HomePrefix;

// Parses the options; false when --help or --version ended the run (status 0). Afterwards
// optind indexes the first COMMAND.
bool parse_command_line(int argc, char** argv);

// The usage text, to standard output for --help and to standard error without a COMMAND.
void write_usage(FILE* stream);

// The four-line version banner, to standard output.
void write_version();

// Fills prefix from source: cut to 1023 bytes, "/" when empty, a '/' appended when there is room.
void fill_prefix(PathPrefix& prefix, const char* source);

// The whole run; returns the exit status (the capped failure count, 0 or 255).
int run(int argc, char** argv);
