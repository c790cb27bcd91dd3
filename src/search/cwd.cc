#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "search/search.h"

[[noreturn]] static void no_cwd() {
    fatal(Prefix::none, "Can't get current working directory\n");
}

// getcwd fails for a deleted or unreachable directory, or one longer than the buffer; the
// shell's PWD stands in then, as long as it is absolute. Whether PWD names the working
// directory cannot be checked without getcwd, so it is taken on trust.
bool fill_cwd(PathPrefix& cwd) {
    char* text = cwd.text;
    if (getcwd(text, sizeof cwd.text) == nullptr) {
        const char* pwd = getenv("PWD");
        if (pwd == nullptr || strlen(pwd) >= sizeof cwd.text) return false;
        strcpy(text, pwd);
    }
    if (text[0] != '/') return false;
    size_t length = strlen(text);
    if (text[length - 1] != '/') {
        // path_buffer_size - 1 bytes leave no room for the '/' and its NUL.
        if (length + 1 >= sizeof cwd.text) return false;
        text[length++] = '/';
        text[length] = '\0';
    }
    cwd.length = length;
    return true;
}

const PathPrefix& load_cwd(RunContext& run) {
    PathPrefix& cwd = run.CwdPrefix;
    if (cwd.length == 0 && !fill_cwd(cwd)) no_cwd();
    return cwd;
}
