// The lookup: the one walk over the entries of PATH for a name.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "search/run_context.h"
#include "util/util.h"

// The directory part of a name with a '/', the one directory that such a name is tried in.
std::string slash_dir_of(const char* name);

// Why an entry is passed over, if it is.
enum class EntrySkip { none, tilde, dot };

// The directory an entry names: the entry itself, or its tilde expansion (kept in expanded).
struct PreparedEntry {
    EntrySkip skip = EntrySkip::none;  // the skip option that passes the entry over, if any
    const std::string* dir = nullptr;
};

// Expands a '~' entry into expanded and applies --skip-tilde and --skip-dot to it.
PreparedEntry prepare_entry(RunContext& run, const std::string& entry, std::string& expanded);

// The directories where a builtin of the shell runs in place of the file of a name (ksh93's
// /opt/ast/bin/cat), and the line that says so.
struct BoundBuiltin {
    std::vector<std::string_view> dirs;
    std::string line;
};

// Searches name along the run's PATH (or in its own directory when it has a '/') and prints
// each match; indent 1 puts a tab before each line. The only walk over the entries: each
// candidate and what became of it goes to the run's explanation, when there is one. An entry
// that names a directory of bound prints its line there, in place of a file, as a match.
LookupResult lookup_command(RunContext& run, int indent, const char* name,
                            const BoundBuiltin* bound = nullptr);

// The first match of name along PATH as the lookup finds it (a match that --skip-tilde drops
// included), without printing or explaining anything: its first. A relative match whose
// working directory cannot be named, or one too long to normalise, is named as probed:
// nothing about it ends the run. What the shell's remembered paths are set against.
LookupResult find_first_match(RunContext& run, const char* name);
