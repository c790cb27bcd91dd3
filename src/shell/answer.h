// What the shell runs for one name, apart from the aliases: the one answer that a COMMAND and
// each command word of an alias value get.
#pragma once

#include <string_view>

#include "defs/defs.h"
#include "search/run_context.h"

// One name to answer: indent 0 for a COMMAND (a name found nowhere is reported), 1 for a
// command word of an alias value (a tab before each line, nothing said when not found, but
// where in_alias names the alias under --shell). Behind a precommand modifier the shell looks
// in fewer places: `command` skips keywords and functions (in zsh and fish builtins too),
// `builtin` runs only a builtin.
struct AnswerRequest {
    const char* name;
    int indent = 0;
    bool skip_functions = false;
    bool skip_builtins = false;
    bool builtins_only = false;
    std::string_view in_alias = {};  // a word found nowhere is reported as this alias's
};

// What answering one name found.
struct Answer {
    bool shown = false;   // something other than a file answered (a keyword, builtin, function)
    LookupResult lookup;  // the search of PATH, when it ran
    bool found() const { return shown || lookup.found; }
};

// Answers the name in the shell's order (its keywords, builtins and functions, then PATH and
// what the shell remembers), printing each answer; without --all only the first. A lookup
// failure is left in the answer's lookup, nothing printed after it.
Answer answer_name(RunContext& run, Definitions& defs, const AnswerRequest& request);

// True when the shell of the run reads name as a reserved word before it looks for an alias
// (bash in POSIX mode, ksh93, mksh): an alias of that name never runs.
bool keyword_hides_alias(const RunContext& run, std::string_view name);
