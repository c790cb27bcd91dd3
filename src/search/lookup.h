// The lookup: the one walk over the entries of PATH for a name.
#pragma once

#include <string>

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

// Searches name along the run's PATH (or in its own directory when it has a '/') and prints
// each match; indent 1 puts a tab before each line. The only walk over the entries: each
// candidate and what became of it goes to the run's explanation, when there is one.
LookupResult lookup_command(RunContext& run, int indent, const char* name);
