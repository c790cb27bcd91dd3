#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>

#include "cli/cli.h"
#include "defs/defs.h"
#include "util/util.h"

AliasLineList AliasLines;
FunctionTable function_table;
int brace_style = 0;

namespace {

// What a header line names, and which of the two forms it has.
struct Header {
    std::string_view name;
    bool brace = false;
};

// The blanks of the trailing-blank test: isspace in the C locale, that the tool never leaves.
bool is_trailing_blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The name starts at start and ends at the first space; the line holds no NUL.
std::string_view name_from(std::string_view line, size_t start) {
    size_t end = line.find(' ', start);
    return line.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

// Tells a header line from any other. The scan for the last significant byte stops at the
// third byte, so that " ()" still reads as a header with an empty name.
bool classify_header(std::string_view line, Header& header) {
    size_t p = line.size() - 1;
    while (p > 2 && is_trailing_blank(line[p])) --p;
    if (p >= 2 && line[p] == ')' && line[p - 1] == '(' && line[p - 2] == ' ') {
        size_t start = 0;
        // "declare -f name ()": the listing's attribute word comes before the name.
        if (line.starts_with("declare -")) {
            size_t space = line.find(' ', 9);
            start = space == std::string_view::npos ? line.size() : space + 1;
        }
        header = {name_from(line, start), false};
        return true;
    }
    if (p >= 5 && line[p] == '{' && line.substr(p - 4, 4) == " () ") {
        header = {name_from(line, 0), true};
        return true;
    }
    return false;
}

// The end of the body that starts at pos: just after its first line that is exactly "}\n", or
// the end of the input. Only a '}' can begin that line, and braces are several times rarer
// than line ends, so the search goes from brace to brace instead of from line to line.
size_t body_end(std::string_view input, size_t pos) {
    const char* data = input.data();
    for (size_t at = pos; at < input.size();) {
        const void* found = memchr(data + at, '}', input.size() - at);
        if (found == nullptr) break;
        size_t brace = static_cast<size_t>(static_cast<const char*>(found) - data);
        bool starts_line = brace == pos || data[brace - 1] == '\n';
        if (starts_line && brace + 1 < input.size() && data[brace + 1] == '\n') return brace + 2;
        at = brace + 1;
    }
    return input.size();
}

// Stores the function whose header ends at pos; returns the position after its body.
size_t read_body(std::string_view input, size_t pos, std::string_view name) {
    std::string_view body = input.substr(pos, body_end(input, pos) - pos);
    // The body was just searched, so this look for a NUL reads it from the cache.
    bool holds_nul = memchr(body.data(), '\0', body.size()) != nullptr;
    function_table.records.push_back({name, body, holds_nul, name_hash(name)});
    return pos + body.size();
}

// Reads headers and bodies; returns where the alias lines end, that is at the first header.
size_t read_functions(std::string_view input) {
    // Room for a function per 256 bytes, as many as shell listings hold: the records then do
    // not move while they grow, and room left unused is never touched. Denser input grows the
    // table as usual.
    function_table.records.reserve(input.size() / 256);
    size_t alias_end = input.size();
    size_t pos = 0;
    while (pos < input.size()) {
        std::string_view raw = next_line(input, pos);
        std::string_view line = until_nul(raw, true);
        Header header;
        if (line.empty() || !classify_header(line, header)) {
            pos += raw.size();
            continue;
        }
        if (alias_end == input.size()) alias_end = pos;
        if (header.brace) brace_style = 1;
        pos = read_body(input, pos + raw.size(), header.name);
    }
    return alias_end;
}

// The block that holds standard input: the stored lines are views into it, so it is kept
// (and reachable) until the process ends.
char* input_block = nullptr;

// The mapped listing, for the SIGBUS guard below (the page size is read before the handler
// can run: sysconf is no call for a signal handler).
const char* mapped_begin = nullptr;
size_t mapped_size = 0;
uintptr_t page_size = 0;
volatile sig_atomic_t mapped_input_shrank = 0;

// Maps a page of zero bytes over the page holding address; false when that fails.
bool put_zero_page_at(const char* address) {
    auto page = reinterpret_cast<void*>(reinterpret_cast<uintptr_t>(address) & ~(page_size - 1));
    int flags = MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED;
    return mmap(page, page_size, PROT_READ, flags, -1, 0) != MAP_FAILED;
}

// A file that another process truncates while it is mapped turns every access to its lost
// pages into SIGBUS. Rather than die of it, the lost pages are replaced by zero pages, reading
// goes on, and the run ends as a failure once it is over (see input_changed_while_read). Any
// other SIGBUS keeps its default action.
void on_sigbus(int signal_number, siginfo_t* info, void*) {
    auto address = static_cast<const char*>(info->si_addr);
    bool in_listing = address >= mapped_begin && address < mapped_begin + mapped_size;
    // Outside the listing, or without the zero page (the access would fault again for ever),
    // the access happens again and now ends the process as usual.
    if (!in_listing || !put_zero_page_at(address)) {
        ::signal(signal_number, SIG_DFL);
        return;
    }
    mapped_input_shrank = 1;
}

void guard_mapping(const char* begin, size_t size) {
    mapped_begin = begin;
    mapped_size = size;
    page_size = static_cast<uintptr_t>(sysconf(_SC_PAGESIZE));
    struct sigaction action {};
    action.sa_sigaction = on_sigbus;
    action.sa_flags = SA_SIGINFO;
    sigemptyset(&action.sa_mask);
    sigaction(SIGBUS, &action, nullptr);
}

// A regular file on standard input, mapped whole and left with its offset at the end, as if
// it had been read; an empty view when it is no such file or cannot be mapped. The mapping
// spares a long listing the copy into fresh memory and the page faults of that memory, which
// cost several times what reading the lines does. The pages are populated at once, not fault
// by fault.
std::string_view map_standard_input() {
    struct stat st;
    if (fstat(0, &st) != 0 || !S_ISREG(st.st_mode)) return {};
    off_t offset = lseek(0, 0, SEEK_CUR);
    // mmap takes whole pages: an offset that is not at a page boundary is read instead.
    if (offset != 0 || st.st_size <= 0) return {};
    auto size = static_cast<size_t>(st.st_size);
    void* map = mmap(nullptr, size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, 0, 0);
    if (map == MAP_FAILED) return {};
    lseek(0, st.st_size, SEEK_SET);
    input_block = static_cast<char*>(map);
    guard_mapping(input_block, size);
    return std::string_view(input_block, size);
}

// Standard input, whole, in one block. Doubling through realloc keeps the reads few, and lets
// the C library move a large block by remapping its pages instead of copying them. The reads
// go to descriptor 0 itself, as the mapping does: a stdio buffer would only add a copy.
std::string_view read_standard_input() {
    std::string_view mapped = map_standard_input();
    if (!mapped.empty()) return mapped;
    size_t capacity = 64 * 1024;
    size_t length = 0;
    char*& block = input_block;
    block = static_cast<char*>(alloc_or_die(capacity));
    for (;;) {
        if (length == capacity) {
            capacity *= 2;
            block = static_cast<char*>(realloc_or_die(block, capacity));
        }
        ssize_t got = read(0, block + length, capacity - length);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;  // end of input or a read error: both end the listing
        length += static_cast<size_t>(got);
    }
    return std::string_view(block, length);
}

}  // namespace

int read_definitions_from(std::string_view input) {
    brace_style = 0;
    function_table.records.clear();
    function_table.first_by_name.clear();
    function_table.scans = 0;
    AliasLines.assign({}, false, false);

    // The function reader looks for NUL bytes in what it reads anyway, while each piece is in
    // the cache; the alias lines get one check of their whole stretch, that spares every line
    // its own search.
    size_t alias_end = input.size();
    if (options.opt_read_functions) alias_end = read_functions(input);
    if (options.opt_read_alias) {
        std::string_view region = input.substr(0, alias_end);
        bool may_hold_nul = memchr(region.data(), '\0', region.size()) != nullptr;
        AliasLines.assign(region, may_hold_nul, options.opt_read_functions);
    }
    return brace_style;
}

bool input_changed_while_read() {
    return mapped_input_shrank != 0;
}

int read_definitions() {
    return read_definitions_from(read_standard_input());
}
