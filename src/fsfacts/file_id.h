// The one test of whether two statuses describe the same file.
#pragma once

#include <sys/stat.h>

// True when the two statuses describe one file: the same device and inode.
inline bool same_file(const struct stat& one, const struct stat& other) {
    return one.st_dev == other.st_dev && one.st_ino == other.st_ino;
}
