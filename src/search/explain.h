// --explain: the observer of every lookup, and the lines it writes.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

#include "fsfacts/walk.h"
#include "identity/identity.h"
#include "search/probe.h"
#include "search/run_context.h"

// What the lookup decided about one candidate.
enum class Outcome : unsigned char {
    skipped_tilde,   // a '~' entry passed over by --skip-tilde: nothing probed
    skipped_dot,     // a relative entry passed over by --skip-dot: nothing probed
    failed,          // stat refused the candidate
    directory,       // a directory, never a match
    not_executable,  // the effective ids may not run it
    taken,           // a match, printed
    dropped,         // a match under the home directory, dropped by --skip-tilde
    later,           // a match past the point where the search stops, not printed
};

// One candidate of a lookup as the lookup saw it.
struct CandidateReport {
    std::string_view command;      // the name as it was asked for
    std::string_view entry;        // the PATH entry as written (or the name's directory)
    std::string_view dir;          // the entry after tilde expansion
    std::string_view base_name;    // the name without its directory
    const std::string* candidate;  // dir and base name joined; null when skipped
    Outcome outcome;
    const Probe* probe = nullptr;        // null when skipped
    const Probe* first_match = nullptr;  // the probe of the first printed match, for a later one
};

// --explain: one line "PROGRAM: COMMAND: WHERE: VERDICT" on standard error for every place a
// COMMAND is looked for, standard output flushed first so that a terminal shows both in order.
// The observer of every lookup, with what it learns once per run.
struct Explanation {
    // What a directory that held a missing candidate turned out to be.
    struct Directory {
        bool missing = false;  // stat said it does not exist
        bool listed = false;   // its names were read: links holds every one that may be a link
        std::unordered_set<std::string> links;
    };
    IdNames names;
    EffectiveIds ids = effective_ids();
    FileFacts facts;  // what the walks into refused entries looked at
    std::unordered_map<std::string, Directory> directories;  // by the text of the entry
    // The first directory on the way into an entry that the effective ids may not search,
    // "MODE OWNER GROUP" included, or empty: by the text of the entry.
    std::unordered_map<std::string, std::string> refusals;
};

// Writes the line about one candidate.
void explain_candidate(RunContext& run, const CandidateReport& report);

// Writes text on standard error as one line, escaped (write_report_line), standard output
// flushed first: the form of every line about the file system.
void write_report(RunContext& run, std::string_view text);

// Writes one such line.
void explain_line(RunContext& run, std::string_view command, std::string_view where,
                  std::string_view verdict);

// The line about PATH when the lookup of command does not search it: what the shell runs came
// first (shown names it, "shell function" or "shell builtin", without --all), or PATH is unset
// or empty. Nothing otherwise.
void explain_unsearched_path(RunContext& run, std::string_view command, const char* shown);
