// The walk to a directory, component by component as the kernel takes it: from '/' for an
// absolute path, from the working directory itself for a relative one. Both --explain and
// --check-path name the directory that refuses a search from this one walk.
#pragma once

#include <sys/stat.h>

#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

// lstat of one path, and the text of a symbolic link. Paths are absolute, or relative to the
// working directory ("" for the working directory itself).
struct PathStatus {
    int error = 0;
    struct stat status;
    std::string link;
};

// What the walks of one run have looked at: every path once.
struct FileFacts {
    std::unordered_map<std::string, PathStatus> paths;
};

// The path as the system calls take it: "." for the working directory.
inline const char* system_form(const std::string& path) {
    return path.empty() ? "." : path.c_str();
}

// dir with a name below it ("dir/."): the kernel follows a symbolic link that dir ends in, as
// it does for every name looked up in an entry, where it may refuse the link alone.
std::string inside(const std::string& dir);

// lstat of path (and the text of a link), looked at once per run.
const PathStatus& look_at(FileFacts& facts, const std::string& path);

// The parent of a walked path (no links, no "." and, but for leading ones in a relative path,
// no ".."): without a final '/' but for the root itself.
std::string parent_of(const std::string& path);

// Puts the components of path on pending, the first one last, so that it is taken next.
void push_components(std::vector<std::string>& pending, std::string_view path);

// Where the walk of a path ends, and what it met on the way.
struct Resolution {
    std::string start;  // the resolved directory, or the last one reached on the way to it
    bool entry_or_missing = true;  // start is the path itself or stands where it is missing
    bool complete = false;         // start is the directory that the path names
    std::vector<std::string> link_holders;
    std::vector<std::string> links;  // each link followed, in the order followed
    // The directory that refused a search on the way, or the one reached that may not be
    // searched, and why it was refused (0 when nothing was).
    std::optional<std::string> refusing;
    int search_error = 0;
};

// Follows text component by component, stopping at what is missing, not a directory, or cannot
// be looked at; a directory reached is tested for the effective ids' search.
Resolution resolve(FileFacts& facts, std::string_view text);
