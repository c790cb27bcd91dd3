#include "cli/cli.h"

// Returning lets the C library make the exit call itself, one symbol fewer for the loader to
// bind on every run.
int main(int argc, char** argv) {
    return driver_main(argc, argv);
}
