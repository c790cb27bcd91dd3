#include <sys/stat.h>
#include <unistd.h>

#include "search/search.h"

ProbeBits probe_file(const char* path) {
    struct stat st;
    if (stat(path, &st) != 0) return 0;
    // No access test for a directory: it never matches, whatever its permissions.
    if (S_ISDIR(st.st_mode)) return PROBE_EXISTS | PROBE_DIR;
    ProbeBits bits = PROBE_EXISTS;
    if (effective_access(path, X_OK) == 0) bits |= PROBE_EXEC;
    return bits;
}

// A plain loop rather than string_view::find, whose memchr would be one more symbol for the
// loader to bind on every run; names are short.
bool contains_slash(std::string_view text) {
    for (char byte : text)
        if (byte == '/') return true;
    return false;
}
