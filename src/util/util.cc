#include "util/util.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>

const char* program_name = "trakko";

// A failed write sets errno; only the first one is kept, since later ones often fail for a
// consequence of it (a retry of the same bytes, say) rather than for the real reason.
static void note_failure(Output& output) {
    if (output.first_error == 0) output.first_error = errno != 0 ? errno : EIO;
}

void put_text(Output& output, std::string_view text) {
    if (fwrite(text.data(), 1, text.size(), output.stream) != text.size()) note_failure(output);
    if (output.copy != nullptr) output.copy->append(text);
}

void put_char(Output& output, char byte) {
    if (putc_unlocked(byte, output.stream) == EOF) note_failure(output);
    if (output.copy != nullptr) output.copy->push_back(byte);
}

void flush_output(Output& output) {
    if (fflush(output.stream) != 0) note_failure(output);
}

static void write_message(Prefix prefix, std::string_view text, int error) {
    if (prefix == Prefix::program) fprintf(stderr, "%s: ", program_name);
    fwrite(text.data(), 1, text.size(), stderr);
    if (error != 0) fprintf(stderr, ": %s\n", strerror(error));
}

// What was printed before still goes out. A flush that fails on the way is not reported: the
// run already ends with its one message and 255, and the failure is often a consequence of the
// condition reported (output copied from a listing that shrank).
void fatal(Prefix prefix, std::string_view text, int error) {
    write_message(prefix, text, error);
    fflush(stdout);
    exit(255);
}

void out_of_memory() {
    fatal(Prefix::program, "Out of memory");
}

void* alloc_or_die(size_t size) {
    void* block = malloc(size);
    if (block == nullptr) out_of_memory();
    return block;
}

void* realloc_or_die(void* block, size_t size) {
    if (block == nullptr) return alloc_or_die(size);
    void* grown = realloc(block, size);
    if (grown == nullptr && size != 0) fatal(Prefix::program, "Out of memory\n");
    return grown;
}

void install_out_of_memory_handler() {
    std::set_new_handler(out_of_memory);
}

int flushed_status(Output& output, int status) {
    FILE* stream = output.stream;
    // errno is read only when the flush failed: a successful run never touches it.
    int flushed = fflush(stream);
    if (flushed != 0) note_failure(output);
    if (output.first_error == 0 && !stream_failed(stream)) return status;
    // Without a noted reason the stream failed on a write that no caller saw (stdio's own).
    write_message(Prefix::program, "write error",
                  output.first_error != 0 ? output.first_error : EIO);
    // Exiting through exit would flush the failing stream once more.
    _Exit(255);
}
