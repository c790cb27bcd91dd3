// Shell definitions: the (alias; declare -f) listing read from standard input, function display
// and alias resolution.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string_view>
#include <unordered_map>
#include <vector>

// One function of the listing. name and body are views into the stored input; body holds the
// body lines exactly as read, one after another, the closing "}\n" line last when there is one.
struct FunctionDef {
    std::string_view name;
    std::string_view body;
    int line_count = 0;
};

// The functions in input order, with an index of the first record of each name.
struct FunctionTable {
    std::vector<FunctionDef> records;
    std::unordered_map<std::string_view, size_t> first_by_name;
};

// The definitions read from standard input; they live until the process ends.
extern std::vector<std::string_view> AliasLines;
extern FunctionTable function_table;

// 1 once a header of the "name () {" form was read; chooses the header line printed.
extern int brace_style;

// The COMMAND list: the argument texts in order, a struck entry being null, with an index from
// each text to the positions where it stands.
struct CommandList {
    std::vector<const char*> entries;
    std::unordered_map<std::string_view, std::vector<size_t>> positions;
};

// Builds a CommandList of the count texts at argv.
CommandList make_command_list(char** argv, size_t count);

// Reads standard input to its end and stores alias lines and functions; returns brace_style.
int read_definitions();

// The same over a byte buffer that stays alive for the rest of the run (resets what it fills).
int read_definitions_from(std::string_view input);

// Prints the first stored function called name (a tab before each line when indent is 1);
// returns 1 when one was found.
int show_function(int indent, std::string_view name, int brace_style_flag);

// Prints line when it defines an alias named like a COMMAND, strikes that COMMAND unless --all,
// and resolves the first word of every command in the alias value.
void resolve_alias_line(std::string_view line, CommandList& commands, const char* path_list,
                        int brace_style_flag);
