#include "cli/cli.h"
#include "util/util.h"

// Returning lets the C library make the exit call itself, one symbol fewer for the loader to
// bind on every run.
int main(int argc, char** argv) {
    return flushed_status(run(argc, argv));
}
