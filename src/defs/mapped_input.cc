#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <utility>

#include "defs/defs.h"

namespace {

// The mapped listing and what became of it, for the SIGBUS handler below: a handler can reach
// no other state. The page size is read before the handler can run: sysconf is no call for a
// signal handler.
struct GuardedMapping {
    const char* begin = nullptr;
    size_t size = 0;
    uintptr_t page_size = 0;
};
GuardedMapping guarded;
volatile sig_atomic_t mapped_input_shrank = 0;

// Maps a page of zero bytes over the page holding address; false when that fails.
bool put_zero_page_at(const char* address) {
    auto page =
        reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~(guarded.page_size - 1));
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED;
    return mmap(page, guarded.page_size, PROT_READ, flags, -1, 0) != MAP_FAILED;
}

// A file that another process truncates while it is mapped turns every access to its lost
// pages into SIGBUS. Rather than die of it, the lost pages are replaced by zero pages, reading
// goes on, and the run ends as a failure once it is over (see input_changed_while_read). Any
// other SIGBUS keeps its default action.
void on_sigbus(int signal_number, siginfo_t* info, void*) {
    auto address = static_cast<const char*>(info->si_addr);
    bool in_listing = address >= guarded.begin && address < guarded.begin + guarded.size;
    // Outside the listing, or without the zero page (the access would fault again for ever),
    // the access happens again and now ends the process as usual.
    if (!in_listing || !put_zero_page_at(address)) {
        ::signal(signal_number, SIG_DFL);
        return;
    }
    mapped_input_shrank = 1;
}

void guard_mapping(const char* begin, size_t size) {
    guarded = {begin, size, static_cast<uintptr_t>(sysconf(_SC_PAGESIZE))};
    struct sigaction action {};
    action.sa_sigaction = on_sigbus;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

// Nanoseconds where the system keeps them (POSIX.1-2008's st_mtim), seconds elsewhere.
long long mtime_ns(const struct stat& st) {
#if defined(TRAKKO_HAVE_ST_MTIM)
    return static_cast<long long>(st.st_mtim.tv_sec) * 1000000000LL + st.st_mtim.tv_nsec;
#else
    return static_cast<long long>(st.st_mtime) * 1000000000LL;
#endif
}

#if defined(MAP_POPULATE)
// The pages are populated at once, not fault by fault.
constexpr int map_flags = MAP_PRIVATE | MAP_POPULATE;
#else
constexpr int map_flags = MAP_PRIVATE;
#endif

}  // namespace

// The mapping spares a long listing the copy into fresh memory and the page faults of that
// memory, which cost several times what reading the lines does.
InputBlock map_standard_input() {
    InputBlock block;
    struct stat st;
    if (fstat(0, &st) != 0 || !S_ISREG(st.st_mode)) return block;
    off_t offset = lseek(0, 0, SEEK_CUR);
    // mmap takes whole pages: an offset that is not at a page boundary is read instead.
    if (offset != 0 || st.st_size <= 0) return block;
    auto size = static_cast<size_t>(st.st_size);
    void* map = mmap(nullptr, size, PROT_READ, map_flags, 0, 0);
    if (map == MAP_FAILED) return block;
    lseek(0, st.st_size, SEEK_SET);
    block.data = static_cast<char*>(map);
    block.size = size;
    block.mapped = true;
    block.mapped_mtime_ns = mtime_ns(st);
    guard_mapping(block.data, size);
    return block;
}

bool input_changed_while_read(const InputBlock& input) {
    if (!input.mapped) return false;
    if (mapped_input_shrank != 0) return true;
    struct stat st;
    if (fstat(0, &st) != 0) return true;
    return static_cast<size_t>(st.st_size) != input.size || mtime_ns(st) != input.mapped_mtime_ns;
}

InputBlock::InputBlock(InputBlock&& other) noexcept
    : data(std::exchange(other.data, nullptr)),
      size(std::exchange(other.size, 0)),
      mapped(std::exchange(other.mapped, false)),
      mapped_mtime_ns(other.mapped_mtime_ns),
      read_error(other.read_error) {}

InputBlock& InputBlock::operator=(InputBlock&& other) noexcept {
    std::swap(data, other.data);
    std::swap(size, other.size);
    std::swap(mapped, other.mapped);
    std::swap(mapped_mtime_ns, other.mapped_mtime_ns);
    std::swap(read_error, other.read_error);
    return *this;
}

// Nothing reads the listing once its definitions are gone, so the guard lets it go too.
InputBlock::~InputBlock() {
    if (!mapped) {
        free(data);
        return;
    }
    if (guarded.begin == data) guarded = {};
    munmap(data, size);
}
