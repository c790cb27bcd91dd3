// A match printed in the dot, tilde or plain form, or dropped under --skip-tilde.
#pragma once

#include <cstring>

#include "search/normalise.h"
#include "search/run_context.h"
#include "util/util.h"

// True when path begins with prefix.
inline bool lies_under(const char* path, const PathPrefix& prefix) {
    return strncmp(path, prefix.text, prefix.length) == 0;
}

// True when --skip-tilde drops match from the output: it lies under the home directory.
bool drops_match(const RunContext& run, const Match& match);

// Prints match in the dot, tilde or plain form.
void show_result(RunContext& run, const Match& match, int indent);
