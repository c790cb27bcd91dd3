// The one place where a run ends on a condition that a lower layer found: every message that
// ends a run with 255 (out of memory aside) is written here.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli.h"
#include "util/report.h"

namespace {

void write_fatal(bool with_program, const char* text, int error) {
    std::string line(text);
    if (error != 0) line.append(": ").append(strerror(error)).append("\n");
    write_message(line, with_program);
}

}  // namespace

// What was printed before still goes out. A flush that fails on the way is not reported: the
// run already ends with its one message and 255, and the failure is often a consequence of the
// condition reported (output copied from a listing that shrank).
void fatal(const Failure& failure) {
    switch (failure.kind) {
        case Failure::no_working_directory:
            write_fatal(false, "Can't get current working directory\n", 0);
            break;
        case Failure::full_path_too_long:
            write_fatal(false, "Can't create full path\n", 0);
            break;
        case Failure::standard_input:
            write_fatal(true, "standard input", failure.error);
            break;
        case Failure::input_changed:
            write_fatal(true, "standard input changed while it was read\n", 0);
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
    write_fatal(true, "write error", error);
    // Exiting through exit would flush the failing stream once more.
    _Exit(255);
}
