// The alias stage: a stored alias line named like a COMMAND, and what its value runs.
#pragma once

#include <string_view>

#include "defs/defs.h"
#include "search/run_context.h"

// Prints line when it defines an alias named like a COMMAND, strikes that COMMAND unless --all,
// and answers the first word of every command in the alias value; stops at a lookup that
// fails, and returns its failure.
Failure resolve_alias_line(RunContext& run, Definitions& defs, std::string_view line,
                           CommandList& commands);
