#include "search/display.h"

#include <cstring>

bool drops_match(const RunContext& run, const Match& match) {
    return run.options.opt_skip_tilde && lies_under(match.ResultPath, run.HomePrefix);
}

void show_result(RunContext& run, const Match& match, int indent) {
    const OptionSet& options = run.options;
    const PathPrefix& home = run.HomePrefix;
    const PathPrefix& cwd = run.CwdPrefix;
    bool under_home = options.opt_show_tilde && lies_under(match.ResultPath, home);
    if (indent) put_char(run.out, '\t');
    const char* path = match.ResultPath;
    if (options.opt_show_dot && match.via_dot_entry && cwd.length != 0 &&
        lies_under(match.ResultPath, cwd)) {
        put_text(run.out, "./");
        put_text(run.out, path + cwd.length);
    } else if (options.opt_show_tilde && under_home) {
        put_text(run.out, "~/");
        put_text(run.out, path + home.length);
    } else {
        put_text(run.out, path);
    }
    put_char(run.out, '\n');
}
