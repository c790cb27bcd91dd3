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
    // fputs and an inline putc rather than fprintf: no format to interpret for every result.
    if (options.opt_show_dot && via_dot_entry && CwdPrefix.length != 0 && lies_under(CwdPrefix)) {
        fputs("./", out);
        fputs(ResultPath + CwdPrefix.length, out);
    } else if (options.opt_show_tilde && under_home) {
        fputs("~/", out);
        fputs(ResultPath + HomePrefix.length, out);
    } else {
        fputs(ResultPath, out);
    }
    putc_unlocked('\n', out);
    return 1;
}
