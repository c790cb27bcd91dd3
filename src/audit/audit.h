// --check-path: an audit of PATH itself, field by field, as execvp(3) and the shells read it.
// It shares nothing with the lookup but the layers below it (tilde expansion, the working
// directory, the ls -l form of a file's mode and owners).
#pragma once

#include "search/run_context.h"

// Writes the audit of PATH to the output and returns the number of entries with a finding that
// counts, capped at 254 (1 when PATH is unset or empty).
int check_path(RunContext& run);
