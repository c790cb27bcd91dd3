// The run's context: what one run knows, built by the driver and handed down to every stage.
#pragma once

#include <optional>

#include "search/remembered.h"
#include "tilde/tilde.h"
#include "util/util.h"

struct Explanation;

// Whether the run's working directory was looked for, and what came of it.
enum class CwdState : unsigned char { unknown, found, unavailable };

// What one run knows, built by the driver and handed down to every stage.
struct RunContext {
    OptionSet options;
    const char* path_list = nullptr;  // PATH as read at start: null when unset, maybe empty
    PathPrefix HomePrefix;            // filled at start-up under --show-tilde or --skip-tilde
    PathPrefix CwdPrefix;             // filled by working_directory on first need
    CwdState cwd_state = CwdState::unknown;
    TildeHomes homes;  // HOME as read at start, and the homes that tilde entries named so far
    Output out;
    Explanation* explanation = nullptr;  // --explain, told about every candidate; null without
    // Read from the listing under --read-hash; a plain run does not even construct its tables.
    std::optional<RememberedPaths> remembered;
};
