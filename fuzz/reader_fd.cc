// The definition reader on a real descriptor 0: read_definitions of the input's listing when
// standard input is a pipe fed in pieces by a writer thread, a regular file at offset 0 (the
// mapped path) or a regular file read from an offset. The definitions must equal those that
// read_definitions_from gives for the same bytes: the same alias lines, the same functions with
// the same bodies, the same header form.
//
// Input: byte 0 holds the reading options (bit 0 --read-alias, bit 1 --read-functions) and the
// source (bits 2-3: 0 and 1 a pipe, 2 a file, 3 a file read from the offset that byte 1 gives);
// byte 1 also seeds the sizes of the pieces written to the pipe; the rest is the listing.

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "check.h"
#include "defs/defs.h"
#include "util/util.h"

namespace {

int saved_stdin = -1;
int listing_file = -1;

// The size of the next piece: mostly small, so that reads meet partly filled pipes, sometimes
// large enough to fill the pipe and wait for the reader.
size_t piece_size(uint32_t& state) {
    state = state * 1103515245u + 12345u;
    uint32_t draw = state >> 16;
    if (draw % 8 == 0) return 1 + draw % 200000;
    return 1 + draw % 700;
}

void write_in_pieces(int fd, std::string_view bytes, uint32_t seed) {
    for (size_t pos = 0; pos < bytes.size();) {
        size_t piece = std::min(piece_size(seed), bytes.size() - pos);
        ssize_t wrote = write(fd, bytes.data() + pos, piece);
        CHECK(wrote > 0);
        pos += static_cast<size_t>(wrote);
        if (seed & 0x100) std::this_thread::yield();
    }
    close(fd);
}

// One writer thread for the whole fuzzing run, handed one input at a time: a thread started per
// input costs more, under the sanitizers, than reading the input does.
class PieceWriter {
  public:
    // The thread starts once every member is ready, and is never joined.
    PieceWriter() {
        std::thread([this] { serve(); }).detach();
    }

    // Starts writing bytes to fd in pieces drawn from seed; the writer closes fd when done.
    void start(int fd, std::string_view bytes, uint32_t seed) {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = {fd, bytes, seed};
        busy_ = true;
        changed_.notify_all();
    }

    // Waits until the input handed to start is written and its descriptor closed.
    void finish() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [this] { return !busy_; });
    }

  private:
    struct Job {
        int fd = -1;
        std::string_view bytes;
        uint32_t seed = 0;
    };

    void serve() {
        std::unique_lock<std::mutex> lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return busy_; });
            Job job = job_;
            lock.unlock();
            write_in_pieces(job.fd, job.bytes, job.seed);
            lock.lock();
            busy_ = false;
            changed_.notify_all();
        }
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    Job job_;
    bool busy_ = false;
};

// Made once, reachable until the process ends, as its thread never does.
PieceWriter* piece_writer = nullptr;

std::vector<std::string_view> alias_lines(const Definitions& defs) {
    std::vector<std::string_view> lines;
    for (std::string_view line : defs.AliasLines) lines.push_back(line);
    return lines;
}

void check_same(const Definitions& got, const Definitions& want) {
    CHECK(alias_lines(got) == alias_lines(want));
    CHECK(got.brace_style == want.brace_style);
    const std::vector<FunctionDef>& a = got.function_table.records;
    const std::vector<FunctionDef>& b = want.function_table.records;
    CHECK(a.size() == b.size());
    for (size_t i = 0; i < a.size(); ++i) {
        CHECK(a[i].name == b[i].name);
        CHECK(a[i].body == b[i].body);
        CHECK(a[i].body_holds_nul == b[i].body_holds_nul);
        CHECK(a[i].name_hash == b[i].name_hash);
    }
}

}  // namespace

// An unlinked scratch file in dir; -1 when it cannot be made there.
static int scratch_file(const char* dir) {
    std::string pattern = std::string(dir) + "/trakko-fuzz-reader.XXXXXX";
    int fd = mkstemp(pattern.data());
    if (fd >= 0) unlink(pattern.c_str());
    return fd;
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    saved_stdin = dup(0);
    // Memory-backed where the system has it: truncating and rewriting a disk file for every
    // input would set the pace.
    listing_file = scratch_file("/dev/shm");
    if (listing_file < 0) listing_file = scratch_file("/tmp");
    CHECK(listing_file >= 0);
    program_name = "trakko";
    piece_writer = new PieceWriter;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return -1;
    OptionSet options;
    options.opt_read_alias = (data[0] & 1) != 0;
    options.opt_read_functions = (data[0] & 2) != 0;
    int source = (data[0] >> 2) & 3;
    std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

    bool piped = source < 2;
    size_t offset = 0;
    if (source < 2) {
        int fds[2];
        CHECK(pipe(fds) == 0);
        dup2(fds[0], 0);
        close(fds[0]);
        piece_writer->start(fds[1], bytes, data[1] | (data[0] & 0xf0) << 4);
    } else {
        CHECK(ftruncate(listing_file, 0) == 0);
        CHECK(pwrite(listing_file, bytes.data(), bytes.size(), 0) ==
              static_cast<ssize_t>(bytes.size()));
        if (source == 3) offset = std::min<size_t>(data[1], bytes.size());
        CHECK(lseek(listing_file, static_cast<off_t>(offset), SEEK_SET) ==
              static_cast<off_t>(offset));
        dup2(listing_file, 0);
    }
    Definitions got = read_definitions(options);
    if (piped) piece_writer->finish();
    // Nothing changed the listing while it was read (the test looks at descriptor 0).
    CHECK(!input_changed_while_read(got.input));
    CHECK(got.input.read_error == 0);
    dup2(saved_stdin, 0);

    CHECK(got.input.size == bytes.size() - offset);
    CHECK(std::string_view(got.input.data, got.input.size) == bytes.substr(offset));
    // The copy that read_definitions_from reads must outlive its definitions.
    std::string copy(bytes.substr(offset));
    Definitions want = read_definitions_from(copy, options);
    check_same(got, want);
    return 0;
}
