// What the shell runs for one name, apart from the aliases: the one answer that a COMMAND and
// each command word of an alias value get.
#pragma once

#include <string_view>

#include "defs/defs.h"
#include "search/run_context.h"

// What answering one name found.
struct Answer {
    bool shown = false;   // something other than a file answered (a stored function)
    LookupResult lookup;  // the search of PATH, when it ran
    bool found() const { return shown || lookup.found; }
};

// What the shell is asked to run for a name: anything of that name, or what is left behind a
// precommand modifier (`command`: no function; `builtin`: the builtin only).
struct AnswerRequest {
    bool skip_functions = false;
    bool skip_builtins = false;
    bool builtins_only = false;
    // The alias whose value runs the name: a name found nowhere is then reported as broken.
    std::string_view in_alias;
};

// Answers name in the shell's order (a stored function first, then PATH), printing each
// answer with indent tabs. A name that nothing answers is reported at indent 0 (and inside an
// alias, when the request names it); a lookup failure is left in the answer's lookup, nothing
// printed after it.
Answer answer_name(RunContext& run, Definitions& defs, int indent, const char* name,
                   const AnswerRequest& request = {});
