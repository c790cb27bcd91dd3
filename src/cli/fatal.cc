// The one place where a run ends on a condition that a lower layer found: every message that
// ends a run with 255 (out of memory aside) is written here.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli.h"

namespace {

void write_message(bool with_program, const char* text, int error) {
    if (with_program) fprintf(stderr, "%s: ", program_name);
    fputs(text, stderr);
    if (error != 0) fprintf(stderr, ": %s\n", strerror(error));
}

}  // namespace

// What was printed before still goes out. A flush that fails on the way is not reported: the
// run already ends with its one message and 255, and the failure is often a consequence of the
// condition reported (output copied from a listing that shrank).
void fatal(const Failure& failure) {
    switch (failure.kind) {
        case Failure::no_working_directory:
            write_message(false, "Can't get current working directory\n", 0);
            break;
        case Failure::full_path_too_long:
            write_message(false, "Can't create full path\n", 0);
            break;
        case Failure::standard_input:
            write_message(true, "standard input", failure.error);
            break;
        case Failure::input_changed:
            write_message(true, "standard input changed while it was read\n", 0);
            break;
        case Failure::none:
            break;
    }
    fflush(stdout);
    exit(255);
}

int flushed_status(Output& output, int status) {
    int error = flushed_error(output);
    if (error == 0) return status;
    write_message(true, "write error", error);
    // Exiting through exit would flush the failing stream once more.
    _Exit(255);
}
