// Command search: PATH entries, the file probe, the lookup, the working directory, normalisation
// of a match into a full path and its display.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "cli/cli.h"

// Answer of probe_file about one path.
using ProbeBits = unsigned;
inline constexpr ProbeBits PROBE_EXISTS = 0x01;  // stat succeeded
inline constexpr ProbeBits PROBE_EXEC = 0x02;    // not a directory, executable by effective ids
inline constexpr ProbeBits PROBE_DIR = 0x10;     // a directory
inline constexpr ProbeBits PROBE_READ = 0x40;    // not a directory, readable by effective ids

// What the latest lookup leaves behind: whether its name had a '/', that name's directory part
// for the failure line, and whether the entry that reached the probe began with '.'.
extern int name_has_slash;
extern std::string slash_dir;
extern int via_dot_entry;

// The working directory as a prefix ending in '/'; length 0 until loaded.
extern PathPrefix CwdPrefix;

// The normalised full path of the latest match.
extern char ResultPath[1024];

// stat and effective-id access tests of path (following symbolic links).
ProbeBits probe_file(const char* path);

// 1 when text contains a '/'.
int contains_slash(std::string_view text);

// The next entry of list at entry_pos into entry, advancing entry_pos; false when the list is
// absent or exhausted. An empty element yields ".". entry_pos starts at 0 and is changed only by
// this function.
bool next_path_entry(const char* list, size_t& entry_pos, std::string& entry);

// dir, a '/' when dir is not empty and does not end in one, then name.
std::string join_dir_name(std::string_view dir, std::string_view name);

// The same into joined, reusing its storage.
void join_dir_name(std::string_view dir, std::string_view name, std::string& joined);

// Searches name along path_list (or in its own directory when it has a '/') and prints each
// match; returns 1 when at least one line was printed. indent 1 puts a tab before each line.
int lookup_command(int indent, const char* name, const char* path_list);

// Fills CwdPrefix from getcwd, or from an absolute PWD; ends the run with 255 when neither works.
void load_cwd();

// Normalises candidate into result against cwd (used only when candidate is relative); false
// when the result does not fit in 1024 bytes.
bool normalise_path(const char* candidate, const PathPrefix& cwd, char (&result)[1024]);

// normalise_path of candidate into ResultPath, loading CwdPrefix first for a relative
// candidate; ends the run with "Can't create full path\n" and 255 when it does not fit.
void build_full_path(const char* candidate);

// Prints ResultPath in the dot, tilde or plain form and returns 1, or returns 0 when
// --skip-tilde discards it.
int show_result(int indent);
