// The run's working directory, looked for once.
#pragma once

#include "search/run_context.h"
#include "util/util.h"

// The run's working directory as a prefix, looked for once per run (getcwd, or a PWD that
// names it); null when it cannot be named.
const PathPrefix* working_directory(RunContext& run);
