#include "defs/defs.h"

CommandList make_command_list(char** argv, size_t count) {
    CommandList list;
    list.entries.assign(argv, argv + count);
    return list;
}

// Only alias lines are matched against the COMMANDs, so the index waits for the first of them:
// a plain lookup does not pay for it. Entries struck by then are left out; they never return.
static void index_commands(CommandList& commands) {
    for (size_t i = 0; i < commands.entries.size(); ++i)
        if (commands.entries[i] != nullptr)
            commands.slots[commands.entries[i]].positions.push_back(i);
}

// A struck entry never comes back, so first_live only moves forward past struck positions:
// a COMMAND given many times and matched by many alias lines costs no repeated scan.
size_t first_unstruck(CommandList& commands, std::string_view text) {
    if (commands.slots.empty()) index_commands(commands);
    auto found = commands.slots.find(text);
    if (found == commands.slots.end()) return std::string_view::npos;
    CommandList::Slots& slots = found->second;
    while (slots.first_live < slots.positions.size() &&
           commands.entries[slots.positions[slots.first_live]] == nullptr)
        ++slots.first_live;
    if (slots.first_live == slots.positions.size()) return std::string_view::npos;
    return slots.positions[slots.first_live];
}
