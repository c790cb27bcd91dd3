#include <cstring>

#include "search/search.h"
#include "util/util.h"

char ResultPath[1024];

static bool lies_under(const PathPrefix& prefix) {
    return strncmp(ResultPath, prefix.text, prefix.length) == 0;
}

int show_result(int indent) {
    bool under_home = (options.opt_skip_tilde || options.opt_show_tilde) && lies_under(HomePrefix);
    if (options.opt_skip_tilde && under_home) return 0;
    if (indent) fputc('\t', out);
    if (options.opt_show_dot && via_dot_entry && CwdPrefix.length != 0 && lies_under(CwdPrefix))
        fprintf(out, "./%s\n", ResultPath + CwdPrefix.length);
    else if (options.opt_show_tilde && under_home)
        fprintf(out, "~/%s\n", ResultPath + HomePrefix.length);
    else
        fprintf(out, "%s\n", ResultPath);
    return 1;
}
