// --read-hash: the shell's remembered paths as read from the listing, and what the shell
// remembering one means against what the lookup finds now.
#pragma once

#include <cstddef>
#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "util/util.h"

struct RunContext;

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

// --read-hash: what the shell remembers for a command, set against what the lookup found.

// The first match of name along PATH as the lookup finds it (a match that --skip-tilde drops
// included), without printing or explaining anything: its first. A
// relative match whose working directory cannot be named, or one too long to normalise, is
// named as probed: nothing about it ends the run.
LookupResult find_first_match(RunContext& run, const char* name);

// What the shell remembering the path remembered means now: "the shell remembers REMEMBERED"
// and how it stands against the first match of a search (none when first is none);
// empty when both are the same file.
std::string remembered_finding(const std::string& remembered,
                               const std::optional<FirstMatch>& first);

// After the lookup of name (its output and failure line written), one line on standard error
// when the shell remembers another file for it, one that is gone or not executable, or one
// that PATH no longer finds any copy of.
void tell_remembered(RunContext& run, std::string_view name, const LookupResult& result);

// The line of an earlier tell_remembered for name, written again for a word met once more.
void retell_remembered(RunContext& run, std::string_view name);
