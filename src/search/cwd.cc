#include "search/cwd.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "search/probe.h"

namespace {

// PWD as a stand-in for the working directory when getcwd fails: absolute and short enough,
// and naming the working directory itself (same device and inode as "."), since any parent that
// changed directory without updating PWD leaves a wrong one behind. A removed directory cannot
// be compared with anything: then PWD is the best that is known, and it is taken as it stands.
const char* trusted_pwd() {
    const char* pwd = getenv("PWD");
    if (pwd == nullptr || pwd[0] != '/' || strlen(pwd) >= path_buffer_size) return nullptr;
    struct stat here;
    if (stat(".", &here) != 0) return nullptr;
    if (here.st_nlink == 0) return pwd;
    return names_file(pwd, here) ? pwd : nullptr;
}

// getcwd fails for a deleted or unreachable directory, or one longer than the buffer.
bool fill_cwd(PathPrefix& cwd) {
    char* text = cwd.text;
    if (getcwd(text, sizeof cwd.text) == nullptr) {
        const char* pwd = trusted_pwd();
        if (pwd == nullptr) return false;
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

}  // namespace

const PathPrefix* working_directory(RunContext& run) {
    if (run.cwd_state == CwdState::unknown)
        run.cwd_state = fill_cwd(run.CwdPrefix) ? CwdState::found : CwdState::unavailable;
    return run.cwd_state == CwdState::found ? &run.CwdPrefix : nullptr;
}
