#include "defs/defs.h"
#include "util/util.h"

// The index is built at the first lookup, so that a run that shows no function pays nothing
// for a long listing; try_emplace keeps the first record of a name, the one that is shown.
const FunctionDef* find_function(std::string_view name) {
    FunctionTable& table = function_table;
    if (table.records.empty()) return nullptr;
    if (table.first_by_name.empty()) {
        table.first_by_name.reserve(table.records.size());
        for (size_t i = 0; i < table.records.size(); ++i)
            table.first_by_name.try_emplace(table.records[i].name, i);
    }
    auto found = table.first_by_name.find(name);
    return found != table.first_by_name.end() ? &table.records[found->second] : nullptr;
}

static void write_text(std::string_view text) {
    fwrite(text.data(), 1, text.size(), out);
}

// Body lines go out as stored; a tab goes before each when indented, and a line that held a
// NUL shows only what comes before it.
static void write_body(const FunctionDef& def, int indent) {
    if (!indent && !def.body_holds_nul) {
        write_text(def.body);
        return;
    }
    for (size_t pos = 0; pos < def.body.size();) {
        std::string_view raw = next_line(def.body, pos);
        pos += raw.size();
        if (indent) fputc('\t', out);
        write_text(until_nul(raw, def.body_holds_nul));
    }
}

int show_function(int indent, std::string_view name, int brace_style_flag) {
    const FunctionDef* def = find_function(name);
    if (def == nullptr) return 0;
    // The header is rebuilt from the name: one form for the whole run, whatever the input had.
    if (indent) fputc('\t', out);
    write_text(name);
    fputs(brace_style_flag == 1 ? " () {\n" : " ()\n", out);
    write_body(*def, indent);
    return 1;
}
