// A match turned into a full path.
#pragma once

#include <sys/stat.h>

#include "search/run_context.h"
#include "util/util.h"

// One match, normalised, with what its display needs to know.
struct Match {
    char ResultPath[path_buffer_size];
    bool via_dot_entry = false;  // the entry that reached the probe began with '.'
};

// Normalises candidate into result against cwd (used only when candidate is relative); false
// when the result does not fit in path_buffer_size bytes.
bool normalise_path(const char* candidate, const PathPrefix& cwd, char (&result)[path_buffer_size]);

// The same without resolving ".." components: "." components and doubled slashes go.
bool tidy_path(const char* candidate, const PathPrefix& cwd, char (&result)[path_buffer_size]);

// The full path of candidate, the file that stat described as found, into match: normalised
// against the working directory when that names the same file, tidied but with its ".."
// components kept otherwise; the failure when the working directory cannot be named or the
// result does not fit.
Failure build_full_path(RunContext& run, const char* candidate, const struct stat& found,
                        Match& match);
