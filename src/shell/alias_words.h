// The commands an alias value runs, read as a shell reads the command line that the alias
// stands for: its quoting, its separators and groups, its assignments, the aliases inside it
// and the precommand modifiers that change what the next word runs.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/util.h"

// What a command word asks the shell to run: the word as any command, or what is left of it
// behind `command` (no function; in zsh and fish no builtin either) or `builtin`.
enum class WordRequest : unsigned char { any, no_function, no_function_no_builtin, builtin_only };

struct AliasCommand {
    std::string word;  // quotes and escapes removed
    WordRequest request = WordRequest::any;
    bool modifier = false;  // command, builtin, exec, time...: the shell's own, never missing
    bool operator==(const AliasCommand&) const = default;
};

// The value of the alias named name, or nothing when the shell has no such alias.
using AliasValueOf = std::function<std::optional<std::string>(std::string_view name)>;

// The value that an alias line of the listing defines, as the shell holds it (the quoting of
// the listing removed).
std::string alias_value(std::string_view line);

// True when the value of an alias line still has a quote open at its end: the shell wrote a
// value that holds a newline, and it goes on on the next line.
bool quote_left_open(std::string_view line);

// The command words that running the alias named name, whose value is value, makes shell run,
// in order; an inner alias is expanded through value_of.
std::vector<AliasCommand> alias_commands(ShellName shell, std::string_view name,
                                         std::string_view value, const AliasValueOf& value_of);
