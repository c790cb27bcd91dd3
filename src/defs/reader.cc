#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "defs/defs.h"

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
size_t read_body(FunctionTable& table, std::string_view input, size_t pos, std::string_view name) {
    std::string_view body = input.substr(pos, body_end(input, pos) - pos);
    // The body was just searched, so this look for a NUL reads it from the cache.
    bool holds_nul = memchr(body.data(), '\0', body.size()) != nullptr;
    table.records.push_back({name, body, holds_nul, name_hash(name)});
    return pos + body.size();
}

// Reads headers and bodies; returns where the alias lines end, that is at the first header.
size_t read_functions(Definitions& defs, std::string_view input) {
    // Room for a function per 256 bytes, as many as shell listings hold: the records then do
    // not move while they grow, and room left unused is never touched. Denser input grows the
    // table as usual.
    defs.function_table.records.reserve(input.size() / 256);
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
        if (header.brace) defs.brace_style = true;
        pos = read_body(defs.function_table, input, pos + raw.size(), header.name);
    }
    return alias_end;
}

// Standard input, whole, in one block. Doubling through realloc keeps the reads few, and lets
// the C library move a large block by remapping its pages instead of copying them. The reads
// go to descriptor 0 itself, as the mapping does: a stdio buffer would only add a copy. A read
// error is no end of the listing: what was read would be shown as if it were all of it.
InputBlock read_standard_input() {
    InputBlock block = map_standard_input();
    if (block.data != nullptr) return block;
    size_t capacity = 64 * 1024;
    block.data = static_cast<char*>(alloc_or_die(capacity));
    for (;;) {
        if (block.size == capacity) {
            capacity *= 2;
            block.data = static_cast<char*>(realloc_or_die(block.data, capacity));
        }
        ssize_t got = read(0, block.data + block.size, capacity - block.size);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            block.read_error = errno;
            return block;
        }
        if (got == 0) return block;
        block.size += static_cast<size_t>(got);
    }
}

}  // namespace

Definitions read_definitions_from(std::string_view input, const OptionSet& options,
                                  FactsBlockEnd facts_end) {
    Definitions defs;
    if (facts_end != nullptr) {
        defs.facts = input.substr(0, facts_end(input));
        input.remove_prefix(defs.facts.size());
    }
    // The function reader looks for NUL bytes in what it reads anyway, while each piece is in
    // the cache; the alias lines get one check of their whole stretch, that spares every line
    // its own search.
    size_t alias_end = input.size();
    if (options.opt_read_functions) alias_end = read_functions(defs, input);
    if (options.opt_read_alias) {
        std::string_view region = input.substr(0, alias_end);
        bool may_hold_nul = memchr(region.data(), '\0', region.size()) != nullptr;
        defs.AliasLines.assign(region, may_hold_nul, options.opt_read_functions);
    }
    return defs;
}

Definitions read_definitions(const OptionSet& options, FactsBlockEnd facts_end) {
    InputBlock block = read_standard_input();
    if (block.read_error != 0) {
        Definitions none;
        none.input = std::move(block);
        return none;
    }
    Definitions defs =
        read_definitions_from(std::string_view(block.data, block.size), options, facts_end);
    defs.input = std::move(block);
    return defs;
}
