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

int flushed_status(int status) {
    // One thread only: the unlocked test is an inline read of the flag, not a library call.
    int flushed = fflush(stdout);
    if (flushed == 0 && !ferror_unlocked(stdout)) return status;
    // A write that failed while the buffer drained earlier leaves the unwritten bytes behind,
    // so the flush repeats the failing write and errno names the reason. errno is read only
    // here: a successful run never touches it.
    int reason = flushed != 0 && errno != 0 ? errno : EIO;
    fprintf(stderr, "%s: write error: %s\n", program_name, strerror(reason));
    _Exit(255);
}

void exit_checked(int status) {
    exit(flushed_status(status));
}

void fatal(const char* message) {
    fputs(message, stderr);
    exit_checked(255);
}
