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

// Stores the function whose header ends at pos; returns the position after its body, which
// ends at the first line that is exactly "}\n" or at the end of the input.
size_t read_body(std::string_view input, size_t pos, std::string_view name, bool may_hold_nul) {
    size_t start = pos;
    int line_count = 0;
    while (pos < input.size()) {
        std::string_view raw = next_line(input, pos);
        pos += raw.size();
        ++line_count;
        if (raw == "}\n") break;
    }
    std::string_view body = input.substr(start, pos - start);
    bool holds_nul = may_hold_nul && memchr(body.data(), '\0', body.size()) != nullptr;
    function_table.records.push_back({name, body, line_count, holds_nul});
    return pos;
}

// Reads headers and bodies; returns where the alias lines end, that is at the first header.
size_t read_functions(std::string_view input, bool may_hold_nul) {
    size_t alias_end = input.size();
    size_t pos = 0;
    while (pos < input.size()) {
        std::string_view raw = next_line(input, pos);
        std::string_view line = until_nul(raw, may_hold_nul);
        Header header;
        if (line.empty() || !classify_header(line, header)) {
            pos += raw.size();
            continue;
        }
        if (alias_end == input.size()) alias_end = pos;
        if (header.brace) brace_style = 1;
        pos = read_body(input, pos + raw.size(), header.name, may_hold_nul);
    }
    return alias_end;
}

// The block that holds standard input: the stored lines are views into it, so it is kept
// (and reachable) until the process ends.
char* input_block = nullptr;

// Standard input, whole, in one block. Doubling through realloc keeps the reads few, and lets
// the C library move a large block by remapping its pages instead of copying them.
std::string_view read_standard_input() {
    size_t capacity = 64 * 1024;
    size_t length = 0;
    char*& block = input_block;
    block = static_cast<char*>(alloc_or_die(capacity));
    for (;;) {
        if (length == capacity) {
            capacity *= 2;
            block = static_cast<char*>(realloc_or_die(block, capacity));
        }
        size_t wanted = capacity - length;
        size_t got = fread(block + length, 1, wanted, stdin);
        length += got;
        if (got < wanted) break;  // end of input or a read error: both end the listing
    }
    return std::string_view(block, length);
}

}  // namespace

int read_definitions_from(std::string_view input) {
    brace_style = 0;
    function_table.records.clear();
    function_table.first_by_name.clear();
    AliasLines.assign({}, false, false);

    // One check of the whole input spares every line its own search for a NUL byte.
    bool may_hold_nul = !input.empty() && memchr(input.data(), '\0', input.size()) != nullptr;
    size_t alias_end = input.size();
    if (options.opt_read_functions) alias_end = read_functions(input, may_hold_nul);
    if (options.opt_read_alias)
        AliasLines.assign(input.substr(0, alias_end), may_hold_nul, options.opt_read_functions);
    return brace_style;
}

int read_definitions() {
    return read_definitions_from(read_standard_input());
}
