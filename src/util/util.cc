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

// What was printed before still goes out.
void out_of_memory(bool line_end) {
    fprintf(stderr, "%s: Out of memory%s", program_name, line_end ? "\n" : "");
    fflush(stdout);
    exit(255);
}

void* alloc_or_die(size_t size) {
    void* block = malloc(size);
    if (block == nullptr) out_of_memory();
    return block;
}

void* realloc_or_die(void* block, size_t size) {
    if (block == nullptr) return alloc_or_die(size);
    void* grown = realloc(block, size);
    if (grown == nullptr && size != 0) out_of_memory(true);
    return grown;
}

void install_out_of_memory_handler() {
    std::set_new_handler([] { out_of_memory(); });
}

int flushed_error(Output& output) {
    // errno is read only when the flush failed: a successful run never touches it.
    if (fflush(output.stream) != 0) note_failure(output);
    // Without a noted reason the stream failed on a write that no caller saw (stdio's own).
    if (output.first_error == 0 && stream_failed(output.stream)) output.first_error = EIO;
    return output.first_error;
}
