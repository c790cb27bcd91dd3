#include <algorithm>
#include <cstring>

#include "defs/defs.h"
#include "search/explain.h"
#include "util/util.h"

// Eight bytes at a time, each word folded in with a multiply, the last few bytes as one more
// word; every function of a long listing is hashed, so a byte at a time would show. The final
// mix lets the low bits, which pick the slot, depend on every byte.
uint32_t name_hash(std::string_view name) {
    uint64_t hash = 0x9e3779b97f4a7c15u ^ name.size();
    size_t pos = 0;
    for (; pos + 8 <= name.size(); pos += 8) {
        uint64_t word;
        memcpy(&word, name.data() + pos, 8);
        hash = (hash ^ word) * 0xbf58476d1ce4e5b9u;
        hash ^= hash >> 31;
    }
    uint64_t tail = 0;
    for (; pos < name.size(); ++pos) tail = tail << 8 | static_cast<unsigned char>(name[pos]);
    hash = (hash ^ tail) * 0x94d049bb133111ebu;
    return static_cast<uint32_t>(hash ^ hash >> 32);
}

namespace {

uint32_t hash_of(uint64_t slot) {
    return static_cast<uint32_t>(slot >> 32);
}

const FunctionDef& record_of(const FunctionTable& table, uint64_t slot) {
    return table.records[(slot & 0xffffffffu) - 1];
}

// Twice as many slots as records keep the probe runs short. A name already filed keeps its
// slot: the first record of a name is the one that is shown.
void build_index(FunctionTable& table) {
    size_t size = 16;
    while (size < 2 * table.records.size()) size *= 2;
    table.first_by_name.assign(size, 0);
    for (size_t i = 0; i < table.records.size(); ++i) {
        const FunctionDef& def = table.records[i];
        for (size_t s = def.name_hash & (size - 1);; s = (s + 1) & (size - 1)) {
            uint64_t& slot = table.first_by_name[s];
            if (slot == 0) {
                slot = uint64_t{def.name_hash} << 32 | (i + 1);
                break;
            }
            if (hash_of(slot) == def.name_hash && record_of(table, slot).name == def.name) break;
        }
    }
}

// One pass over the records, comparing the stored hashes before any name.
const FunctionDef* scan_records(const FunctionTable& table, std::string_view name, uint32_t hash) {
    for (const FunctionDef& def : table.records)
        if (def.name_hash == hash && def.name == name) return &def;
    return nullptr;
}

// A scan costs a fraction of filing every name, so the first few lookups scan and only a run
// that looks up more names builds the index: showing one function of a long listing does not
// pay for the index, and many lookups do not each pay for a scan.
constexpr int scans_before_index = 4;

}  // namespace

const FunctionDef* find_function(FunctionTable& table, std::string_view name) {
    if (table.records.empty()) return nullptr;
    uint32_t hash = name_hash(name);
    if (table.first_by_name.empty()) {
        if (table.scans < scans_before_index) {
            ++table.scans;
            return scan_records(table, name, hash);
        }
        build_index(table);
    }
    size_t mask = table.first_by_name.size() - 1;
    for (size_t s = hash & mask;; s = (s + 1) & mask) {
        uint64_t slot = table.first_by_name[s];
        if (slot == 0) return nullptr;
        if (hash_of(slot) == hash && record_of(table, slot).name == name)
            return &record_of(table, slot);
    }
}

// Every line of a body ends in a newline, but for a last one cut by the end of input.
int body_line_count(const FunctionDef& def) {
    auto count = static_cast<int>(std::count(def.body.begin(), def.body.end(), '\n'));
    return !def.body.empty() && def.body.back() != '\n' ? count + 1 : count;
}

// Body lines go out as stored; a tab goes before each when indented, and a line that held a
// NUL shows only what comes before it.
static void write_body(Output& out, const FunctionDef& def, int indent) {
    if (!indent && !def.body_holds_nul) {
        put_text(out, def.body);
        return;
    }
    for (size_t pos = 0; pos < def.body.size();) {
        std::string_view raw = next_line(def.body, pos);
        pos += raw.size();
        if (indent) put_char(out, '\t');
        put_text(out, until_nul(raw, def.body_holds_nul));
    }
}

bool show_function(RunContext& run, Definitions& defs, int indent, std::string_view name) {
    const FunctionDef* def = find_function(defs.function_table, name);
    if (def == nullptr) return false;
    if (run.explanation != nullptr)
        explain_line(run, name, "shell function", "shown from the listing");
    // The header is rebuilt from the name: one form for the whole run, whatever the input had.
    if (indent) put_char(run.out, '\t');
    put_text(run.out, name);
    put_text(run.out, defs.brace_style ? " () {\n" : " ()\n");
    write_body(run.out, *def, indent);
    return true;
}
