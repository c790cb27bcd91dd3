// --read-hash: the paths the shell remembers for commands, read from the lines in which the
// shells list them, and set against what the lookup finds.
#pragma once

#include <forward_list>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "search/run_context.h"

// One line of the shell's remembered paths.
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

// What a listing line is to --read-hash: none of its lines; one that the shell would search
// for again (a relative path), or that it never uses, both skipped; or an entry.
enum class HashLine { none, skipped, entry };

// Reads one line (its newline kept or not); name and path are set for an entry.
HashLine parse_hash_line(std::string_view line, std::string& name, std::string& path);

// The same, adding an entry to table (whose names and paths may be views into line).
HashLine read_hash_line(std::string_view line, RememberedPaths& table);

// How the shell uses what it remembers: it runs it whatever it has become (bash); it searches
// PATH again when the file is gone or not executable (mksh, bash in POSIX mode or with
// checkhash), and zsh also tries the relative entries of PATH before it; or it remembers
// nothing that wins over a search (ksh93 searches every time, fish remembers nothing).
enum class Remembering : unsigned char {
    kept,
    searched_again_when_unusable,
    relative_entries_first,
    never
};

// What the shell remembering the path remembered means now: "the shell remembers REMEMBERED"
// and how it stands against the first match of a search (none when first is none); empty
// when both are the same file, or when the shell would run the first match all the same.
std::string remembered_finding(Remembering rule, const std::string& remembered,
                               const std::optional<FirstMatch>& first);

// After the lookup of name (its output and failure line written), one line on standard error
// when the shell remembers another file for it, one that is gone or not executable, or one
// that PATH no longer finds any copy of.
void tell_remembered(RunContext& run, std::string_view name, const LookupResult& result);

// The line of an earlier tell_remembered for name, written again for a word met once more.
void retell_remembered(RunContext& run, std::string_view name);
