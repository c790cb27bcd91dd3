#include "search/probe.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "util/util.h"

// errno is read only when asked: reading it binds one more library symbol in every run that
// meets a missing candidate, and only --explain says why a candidate is missing.
Probe probe_file(const char* path, bool with_reason) {
    Probe probe;
    if (stat(path, &probe.status) != 0) {
        if (with_reason) probe.error = errno;
        return probe;
    }
    probe.exists = true;
    // No access test for a directory: it never matches, whatever its permissions.
    probe.exec = !S_ISDIR(probe.status.st_mode) && effective_access(path, X_OK) == 0;
    return probe;
}

bool names_file(const char* path, const struct stat& file) {
    struct stat status;
    return stat(path, &status) == 0 && same_file(status, file);
}

// A plain loop rather than string_view::find, whose memchr would be one more symbol for the
// loader to bind on every run; names are short.
bool contains_slash(std::string_view text) {
    for (char byte : text)
        if (byte == '/') return true;
    return false;
}
