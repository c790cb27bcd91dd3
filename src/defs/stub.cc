#include "defs/defs.h"

// Placeholder until the definition reader lands.
std::vector<std::string_view> AliasLines;
FunctionTable function_table;
int brace_style = 0;

CommandList make_command_list(char** argv, size_t count) {
    CommandList list;
    list.entries.assign(argv, argv + count);
    for (size_t i = 0; i < count; ++i) list.positions[list.entries[i]].push_back(i);
    return list;
}
int read_definitions() {
    return 0;
}
int read_definitions_from(std::string_view) {
    return 0;
}
int show_function(int, std::string_view, int) {
    return 0;
}
void resolve_alias_line(std::string_view, CommandList&, const char*, int) {}
