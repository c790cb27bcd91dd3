// Command search: PATH entries, the file probe, the lookup, the working directory, normalisation
// of a match into a full path and its display.
#pragma once

#include <sys/stat.h>

#include <cstddef>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "identity/identity.h"
#include "tilde/tilde.h"
#include "util/util.h"

struct Explanation;

// Whether the run's working directory was looked for, and what came of it.
enum class CwdState : unsigned char { unknown, found, unavailable };

struct ShellFacts;

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

// What the file probe found out about one candidate (following symbolic links).
struct Probe {
    bool exists = false;  // stat succeeded
    int error = 0;        // why it failed, when the reason was asked for
    struct stat status;   // what stat said, when it succeeded
    bool exec = false;    // not a directory, and executable by the effective ids
};

// One match, normalised, with what its display needs to know.
struct Match {
    char ResultPath[path_buffer_size];
    bool via_dot_entry = false;  // the entry that reached the probe began with '.'
};

// True when the two statuses describe one file: the same device and inode.
inline bool same_file(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}

// True when path names, now and following links, the file that file describes.
bool names_file(const char* path, const struct stat& file);

// stat and, for what is not a directory, the effective-id access test of path; with_reason
// keeps the reason of a failed stat.
Probe probe_file(const char* path, bool with_reason);

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

// The run's working directory as a prefix, looked for once per run (getcwd, or a PWD that
// names it); null when it cannot be named.
const PathPrefix* working_directory(RunContext& run);

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

// True when path begins with prefix.
inline bool lies_under(const char* path, const PathPrefix& prefix) {
    return strncmp(path, prefix.text, prefix.length) == 0;
}

// True when --skip-tilde drops match from the output: it lies under the home directory.
bool drops_match(const RunContext& run, const Match& match);

// Prints match in the dot, tilde or plain form.
void show_result(RunContext& run, const Match& match, int indent);

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
    std::unordered_map<std::string, Directory> directories;  // by the text of the entry
    // The first directory on the way into an entry that the effective ids may not search,
    // "MODE OWNER GROUP" included, or empty: by the text of the entry.
    std::unordered_map<std::string, std::string> refusals;
};

// Writes the line about one candidate.
void explain_candidate(RunContext& run, const CandidateReport& report);

// Writes text on standard error as one line, control bytes escaped (escape_controls), in one
// write, standard output flushed first: the form of every line about the file system.
void write_report(RunContext& run, std::string_view text);

// Writes one such line.
void explain_line(RunContext& run, std::string_view command, std::string_view where,
                  std::string_view verdict);

// The line about PATH when the lookup of command does not search it: what the shell runs came
// first (shown names it, "shell function" or "shell builtin", without --all), or PATH is unset
// or empty. Nothing otherwise.
void explain_unsearched_path(RunContext& run, std::string_view command, const char* shown);

// True when path lies on a file system mounted noexec: nothing in it can be run, whatever its
// mode says.
bool mounted_noexec(const char* path);

// "MODE OWNER GROUP" of the file path, whose status is status (a link's own from lstat: the
// link's): its mode as the ten characters of ls -l, with the '+' that ls -l adds for an ACL,
// its owner and group by name, or by number when the database has none.
std::string mode_owner_group(const char* path, const struct stat& status, IdNames& names);

// The text of the symbolic link path, however long; empty when it cannot be read.
std::string read_link(const std::string& path);

// One entry of a POSIX ACL: its tag, its permission bits (acl_read, acl_write, acl_execute) and
// the user or group id of a named entry.
struct AclEntry {
    unsigned tag;
    unsigned perm;
    unsigned id;
    bool operator==(const AclEntry&) const = default;
};
inline constexpr unsigned acl_user_obj = 0x01;   // the owner
inline constexpr unsigned acl_user = 0x02;       // a named user
inline constexpr unsigned acl_group_obj = 0x04;  // the owning group
inline constexpr unsigned acl_group = 0x08;      // a named group
inline constexpr unsigned acl_mask = 0x10;       // the most any but owner and others may have
inline constexpr unsigned acl_other = 0x20;      // everyone else
inline constexpr unsigned acl_read = 4, acl_write = 2, acl_execute = 1;

// The entries of an ACL in the form the kernel keeps it in an extended attribute; none when the
// bytes are not such an ACL (another version, a size that is not a whole number of entries).
std::vector<AclEntry> decode_acl(std::string_view bytes);

// True when the ACL says more than a mode can: a named user or group, or a mask.
bool extends_mode(const std::vector<AclEntry>& acl);

// The access ACL of path, whose status is status (a link's own from lstat: the link's ACL);
// none where it has none or the system keeps none.
std::vector<AclEntry> access_acl(const char* path, const struct stat& status);

// True when ls -l shows a '+' after the mode of path: an access ACL beyond its mode, or a
// default ACL.
bool shows_acl_mark(const char* path, const struct stat& status);

// The first match of name along PATH as the lookup finds it (a match that --skip-tilde drops
// included), without printing or explaining anything: its first. A relative match whose
// working directory cannot be named, or one too long to normalise, is named as probed:
// nothing about it ends the run. What the shell's remembered paths are set against.
LookupResult find_first_match(RunContext& run, const char* name);
