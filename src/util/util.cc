#include "util/util.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

const char* program_name = "trakko";
FILE* out = stdout;

void* alloc_or_die(size_t size) {
    void* block = malloc(size);
    if (block == nullptr) {
        fprintf(stderr, "%s: Out of memory", program_name);
        exit_checked(255);
    }
    return block;
}

void* realloc_or_die(void* block, size_t size) {
    if (block == nullptr) return alloc_or_die(size);
    void* grown = realloc(block, size);
    if (grown == nullptr && size != 0) {
        fprintf(stderr, "%s: Out of memory\n", program_name);
        exit_checked(255);
    }
    return grown;
}

static void out_of_memory() {
    fprintf(stderr, "%s: Out of memory", program_name);
    exit_checked(255);
}

void install_out_of_memory_handler() {
    std::set_new_handler(out_of_memory);
}

void exit_checked(int status) {
    // A write that failed while the buffer drained earlier leaves only the error flag; the
    // flush below repeats the failing write, so errno then names the reason.
    errno = 0;
    bool failed = fflush(stdout) != 0 || ferror(stdout);
    if (failed) {
        int reason = errno != 0 ? errno : EIO;
        fprintf(stderr, "%s: write error: %s\n", program_name, strerror(reason));
        _Exit(255);
    }
    exit(status);
}

void fatal(const char* message) {
    fputs(message, stderr);
    exit_checked(255);
}
