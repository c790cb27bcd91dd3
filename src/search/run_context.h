// The run's context: what one run knows, built by the driver and handed down to every stage.
#pragma once

#include "tilde/tilde.h"
#include "util/util.h"

struct Explanation;
struct ShellFacts;

// Whether the run's working directory was looked for, and what came of it.
enum class CwdState : unsigned char { unknown, found, unavailable };

// How the run's shell reads a '~' that begins a PATH entry: trakko's own rule (every tilde
// word of the entry), bash's (the one that begins it), or not at all (a relative directory).
enum class PathTildes : unsigned char { words, leading, none };

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
    // The shell's facts from the listing (--read-hash, --read-builtins); null without them.
    ShellFacts* shell_facts = nullptr;
    PathTildes path_tildes = PathTildes::words;
};
