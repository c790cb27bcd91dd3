#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "search/search.h"
#include "util/util.h"

PathPrefix CwdPrefix;

static const char cwd_failure[] = "Can't get current working directory\n";

// getcwd fails for a deleted or unreachable directory, or one longer than the buffer; the
// shell's PWD stands in then, as long as it is absolute. Whether PWD names the working
// directory cannot be checked without getcwd, so it is taken on trust.
void load_cwd() {
    if (CwdPrefix.length != 0) return;
    char* text = CwdPrefix.text;
    if (getcwd(text, sizeof CwdPrefix.text) == nullptr) {
        const char* pwd = getenv("PWD");
        if (pwd == nullptr || strlen(pwd) >= sizeof CwdPrefix.text) fatal(cwd_failure);
        strcpy(text, pwd);
    }
    if (text[0] != '/') fatal(cwd_failure);
    size_t length = strlen(text);
    if (text[length - 1] != '/') {
        // 1023 bytes leave no room for the '/' and its NUL.
        if (length + 1 >= sizeof CwdPrefix.text) fatal(cwd_failure);
        text[length++] = '/';
        text[length] = '\0';
    }
    CwdPrefix.length = length;
}
