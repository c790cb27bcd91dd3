#include "search/normalise.h"

#include <sys/stat.h>

#include <cstring>

#include "search/cwd.h"
#include "search/probe.h"

// Leaves position just after the third '/' counted backwards from the one at end - 1 (that one
// included): the start of the component before the "..". False when the start of the buffer
// comes first, that is when the climb would pass the root.
static bool climb(const char* result, size_t& position) {
    int slashes = 0;
    for (size_t i = position; i-- > 0;) {
        if (result[i] == '/' && ++slashes == 3) {
            position = i + 1;
            return true;
        }
    }
    return false;
}

// The length of the start of candidate that the walk below copies unchanged: the bytes before
// the first '/' or '.' that follows a '/'. The first byte of a relative candidate follows the
// '/' that ends the working directory.
static size_t plain_length(const char* candidate) {
    bool slash_before = candidate[0] != '/';
    size_t i = 0;
    for (; candidate[i] != '\0'; ++i) {
        if (slash_before && (candidate[i] == '/' || candidate[i] == '.')) break;
        slash_before = candidate[i] == '/';
    }
    return i;
}

// The walk copies byte by byte, dropping doubled slashes and resolving "." and ".." components
// (the latter only when resolve_dots) when the '/' that ends them arrives. A final "." or ".."
// would stay, but a match always ends in the command's own name. Most candidates have neither,
// and their plain start goes across in one copy.
static bool walk(const char* candidate, const PathPrefix& cwd, char (&result)[path_buffer_size],
                 bool resolve_dots, bool& climbed) {
    size_t w = 0;
    bool slash_before = false;
    if (candidate[0] != '/') {
        memcpy(result, cwd.text, cwd.length);
        w = cwd.length;
        slash_before = true;
    }
    size_t start = plain_length(candidate);
    if (w + start > sizeof result) return false;
    memcpy(result + w, candidate, start);
    w += start;
    if (start > 0) slash_before = candidate[start - 1] == '/';
    // "//host/x" keeps its two leading slashes: they mean something to some systems.
    bool keep_second_slash = candidate[0] == '/' && candidate[1] == '/' && candidate[2] != '/';
    bool one_dot = false, two_dots = false;
    for (size_t i = start;; ++i) {
        char b = candidate[i];
        if (slash_before && b == '/' && !(keep_second_slash && i == 1)) continue;
        if (w >= sizeof result) return false;
        result[w++] = b;
        if (b == '/' && one_dot) {
            w -= 2;
            one_dot = false;
            slash_before = true;
            continue;
        }
        if (b == '/' && two_dots && resolve_dots) {
            two_dots = false;
            climbed = true;
            if (!climb(result, w)) {
                // Above the root: the candidate is shown as it was given.
                size_t length = strlen(candidate);
                if (length >= sizeof result) return false;
                memcpy(result, candidate, length + 1);
                return true;
            }
            slash_before = true;
            continue;
        }
        if (b == '\0') return true;
        two_dots = one_dot && b == '.';
        one_dot = slash_before && b == '.';
        slash_before = b == '/';
    }
}

bool normalise_path(const char* candidate, const PathPrefix& cwd,
                    char (&result)[path_buffer_size]) {
    bool climbed = false;
    return walk(candidate, cwd, result, true, climbed);
}

bool tidy_path(const char* candidate, const PathPrefix& cwd, char (&result)[path_buffer_size]) {
    bool climbed = false;
    return walk(candidate, cwd, result, false, climbed);
}

// The system resolves "link/.." from where the link leads, lexical normalisation from where it
// stands, and the two may name different files (or the second none). The normalised form is
// printed only when it names the file that matched; otherwise the candidate itself, made
// absolute, "." and doubled slashes gone and every ".." kept: the path the system resolves.
Failure build_full_path(RunContext& run, const char* candidate, const struct stat& found,
                        Match& match) {
    // An absolute candidate never reads the working directory, so it is not looked for one.
    const PathPrefix* cwd = &run.CwdPrefix;
    if (candidate[0] != '/' && (cwd = working_directory(run)) == nullptr)
        return {Failure::no_working_directory};
    // Only a ".." component can make the two differ: it alone pays the stat.
    bool climbed = false;
    if (!walk(candidate, *cwd, match.ResultPath, true, climbed))
        return {Failure::full_path_too_long};
    if (!climbed || names_file(match.ResultPath, found)) return {};
    if (!tidy_path(candidate, *cwd, match.ResultPath)) return {Failure::full_path_too_long};
    return {};
}
