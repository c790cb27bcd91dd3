#include "defs/defs.h"

CommandList make_command_list(char** argv, size_t count) {
    CommandList list;
    list.entries.assign(argv, argv + count);
    for (size_t i = 0; i < count; ++i) list.slots[list.entries[i]].positions.push_back(i);
    return list;
}

// A struck entry never comes back, so first_live only moves forward past struck positions:
// a COMMAND given many times and matched by many alias lines costs no repeated scan.
size_t first_unstruck(CommandList& commands, std::string_view text) {
    auto found = commands.slots.find(text);
    if (found == commands.slots.end()) return std::string_view::npos;
    CommandList::Slots& slots = found->second;
    while (slots.first_live < slots.positions.size() &&
           commands.entries[slots.positions[slots.first_live]] == nullptr)
        ++slots.first_live;
    if (slots.first_live == slots.positions.size()) return std::string_view::npos;
    return slots.positions[slots.first_live];
}
