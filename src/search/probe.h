// The file probe: what stat and the effective-id access test say of one candidate.
#pragma once

#include <sys/stat.h>

#include <string_view>

#include "fsfacts/file_id.h"

// What the file probe found out about one candidate (following symbolic links).
struct Probe {
    bool exists = false;  // stat succeeded
    int error = 0;        // why it failed, when the reason was asked for
    struct stat status;   // what stat said, when it succeeded
    bool exec = false;    // not a directory, and executable by the effective ids
};

// True when path names, now and following links, the file that file describes.
bool names_file(const char* path, const struct stat& file);

// stat and, for what is not a directory, the effective-id access test of path; with_reason
// keeps the reason of a failed stat.
Probe probe_file(const char* path, bool with_reason);

// True when text contains a '/'.
bool contains_slash(std::string_view text);
