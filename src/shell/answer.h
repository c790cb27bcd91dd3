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

// Answers name in the shell's order (a stored function first, then PATH), printing each
// answer with indent tabs. A name that nothing answers is reported at indent 0; a lookup
// failure is left in the answer's lookup, nothing printed after it.
Answer answer_name(RunContext& run, Definitions& defs, int indent, const char* name);
