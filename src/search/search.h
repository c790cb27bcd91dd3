// Command search: PATH entries, the file probe, the lookup, the working directory, normalisation
// of a match into a full path and its display.
#pragma once

#include <cstddef>
#include <cstring>
#include <forward_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "identity/identity.h"
#include "tilde/tilde.h"
#include "util/util.h"

struct stat;

// One line of the shell's remembered paths (--read-hash).
struct RememberedPath {
    std::string_view name;
    std::string_view path;  // an absolute path, as the listing gives it once unquoted
};

// The shell's remembered paths, a line each in input order; the last line naming a command
// holds its path. Names and paths are views into the listing, or into copies where quoting
// changed them; the index of the names is built only when many are looked up. A table of
// thousands then costs little more than reading it, as most of it is never asked about.
struct RememberedPaths {
    std::vector<RememberedPath> lines;
    std::forward_list<std::string> unquoted;  // the copies, in place as more are added
    std::unordered_map<std::string_view, size_t> last_by_name;
    int scans = 0;                                  // lookups made without the index
    std::unordered_map<size_t, std::string> notes;  // by line: what a lookup of its name told

    // Adds a line whose name and path live as long as the table (quoted: copied first).
    void add(std::string_view name, std::string_view path, bool quoted);
    // The last line naming name, or npos.
    size_t find(std::string_view name);
    void build_index();
};

// What one run knows, built by the driver and handed down to every stage.
struct RunContext {
    OptionSet options;
    const char* path_list = nullptr;  // PATH as read at start: null when unset, maybe empty
    PathPrefix HomePrefix;            // filled at start-up under --show-tilde or --skip-tilde
    PathPrefix CwdPrefix;             // loaded on first need (load_cwd)
    TildeHomes homes;                 // the homes that tilde entries named so far
    Output out;
    RememberedPaths remembered;  // read from the listing under --read-hash
};

// Answer of probe_file about one path.
using ProbeBits = unsigned;
inline constexpr ProbeBits PROBE_EXISTS = 0x01;  // stat succeeded
inline constexpr ProbeBits PROBE_EXEC = 0x02;    // not a directory, executable by effective ids
inline constexpr ProbeBits PROBE_DIR = 0x10;     // a directory

// One match, normalised, with what its display needs to know.
struct Match {
    char ResultPath[path_buffer_size];
    bool via_dot_entry = false;  // the entry that reached the probe began with '.'
};

// stat and effective-id access test of path (following symbolic links).
ProbeBits probe_file(const char* path);

// True when text contains a '/'.
bool contains_slash(std::string_view text);

// The next entry of list at entry_pos into entry, advancing entry_pos; false when the list is
// absent or exhausted. An empty element yields ".". entry_pos starts at 0 and is changed only by
// this function.
bool next_path_entry(const char* list, size_t& entry_pos, std::string& entry);

// dir, a '/' when dir is not empty and does not end in one, then name.
std::string join_dir_name(std::string_view dir, std::string_view name);

// The same into joined, reusing its storage.
void join_dir_name(std::string_view dir, std::string_view name, std::string& joined);

// The directory part of a name with a '/', the one directory that such a name is tried in.
std::string slash_dir_of(const char* name);

// Why an entry is passed over, if it is.
enum class EntrySkip { none, tilde, dot };

// Expands a '~' entry in place and applies --skip-tilde and --skip-dot to it.
EntrySkip prepare_entry(RunContext& run, std::string& entry);

// Searches name along the run's PATH (or in its own directory when it has a '/') and prints
// each match; indent 1 puts a tab before each line.
LookupResult lookup_command(RunContext& run, int indent, const char* name);

// Fills cwd from getcwd, or from a PWD that names the working directory; false when neither
// works.
bool fill_cwd(PathPrefix& cwd);

// The run's working directory as a prefix: loads CwdPrefix from getcwd, or from an absolute
// PWD, on first use; ends the run with 255 when neither works.
const PathPrefix& load_cwd(RunContext& run);

// Normalises candidate into result against cwd (used only when candidate is relative); false
// when the result does not fit in path_buffer_size bytes.
bool normalise_path(const char* candidate, const PathPrefix& cwd, char (&result)[path_buffer_size]);

// normalise_path of candidate into match, loading the working directory first for a relative
// candidate; ends the run with "Can't create full path\n" and 255 when it does not fit.
void build_full_path(RunContext& run, const char* candidate, Match& match);

// True when path begins with prefix.
inline bool lies_under(const char* path, const PathPrefix& prefix) {
    return strncmp(path, prefix.text, prefix.length) == 0;
}

// Prints match in the dot, tilde or plain form and returns true, or returns false when
// --skip-tilde discards it.
bool show_result(RunContext& run, const Match& match, int indent);

// --explain: one line "PROGRAM: COMMAND: WHERE: VERDICT" on standard error for every place a
// COMMAND is looked for, standard output flushed first so that a terminal shows both in order.

// Writes one such line.
void explain_line(RunContext& run, std::string_view command, std::string_view where,
                  std::string_view verdict);

// The line about PATH when the lookup of command does not search it: a shown function came
// first (function_shown, without --all), or PATH is unset or empty. Nothing otherwise.
void explain_unsearched_path(RunContext& run, std::string_view command, bool function_shown);

// lookup_command under --explain: the same output and result, each candidate explained, and
// the search carried on past the last printed match to name the copies it shadows.
LookupResult explain_lookup(RunContext& run, int indent, const char* name);

// "MODE OWNER GROUP" of a file: its mode as the ten characters of ls -l, its owner and group
// by name, or by number when the database has none.
std::string mode_owner_group(const struct stat& status, IdNames& names);

// The text of the symbolic link path, however long; empty when it cannot be read.
std::string read_link(const std::string& path);

// --read-hash: what the shell remembers for a command, set against what the lookup found.

// Keeps the candidate and the normalised match in result when they are the lookup's first
// executable match.
void keep_first_match(LookupResult& result, const std::string& candidate, const Match& match);

// What the shell remembering the path remembered means now: "the shell remembers REMEMBERED"
// and how it stands against the first match of a search (none when first_probed is empty);
// empty when both are the same file. Paths are escaped as escape_controls does.
std::string remembered_finding(const std::string& remembered, const std::string& first_probed,
                               const std::string& first_match);

// After the lookup of name (its output and failure line written), one line on standard error
// when the shell remembers another file for it, one that is gone or not executable, or one
// that PATH no longer finds any copy of.
void tell_remembered(RunContext& run, std::string_view name, const LookupResult& result);

// The line of an earlier tell_remembered for name, written again for a word met once more.
void retell_remembered(RunContext& run, std::string_view name);

// The audit of the remembered paths that --check-path adds to flagged PATH findings: a line
// "hash: NAME: FINDING" for each stale one; returns the sum, capped at 254.
int audit_remembered(RunContext& run, int flagged);

// --check-path: writes the audit of PATH to the output and returns the number of entries with
// a finding that counts, capped at 254 (1 when PATH is unset or empty).
int check_path(RunContext& run);
