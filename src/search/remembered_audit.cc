// --check-path with --read-hash: every remembered path of the listing against a search of
// PATH made for it alone. The search prints nothing and nothing in it may end the run: the
// names are the shell's, not COMMANDs, and a plain run would never have looked at them.
#include <algorithm>

#include "search/search.h"

namespace {

constexpr int max_audit_status = 254;

struct QuietSearch {
    RunContext& run;
    PathPrefix cwd;  // the working directory, looked for once, for relative matches
    bool cwd_tried = false;
};

// The plain printed form of a match; a relative one whose working directory cannot be named,
// or that would not fit, is named as it was probed.
std::string plain_form(QuietSearch& search, const std::string& candidate) {
    if (candidate[0] != '/' && search.cwd.length == 0) {
        if (search.cwd_tried) return candidate;
        search.cwd_tried = true;
        if (search.run.CwdPrefix.length != 0)
            search.cwd = search.run.CwdPrefix;
        else if (!fill_cwd(search.cwd))
            return candidate;
    }
    char result[path_buffer_size];
    return normalise_path(candidate.c_str(), search.cwd, result) ? std::string(result) : candidate;
}

// The first executable match of name along PATH, as the lookup would find it.
LookupResult first_match(QuietSearch& search, std::string_view name) {
    LookupResult result;
    std::string entry;
    size_t entry_pos = 0;
    while (next_path_entry(search.run.path_list, entry_pos, entry)) {
        if (prepare_entry(search.run, entry) != EntrySkip::none) continue;
        join_dir_name(entry, name, result.first_probed);
        if (probe_file(result.first_probed.c_str()) & PROBE_EXEC) {
            result.first_match = plain_form(search, result.first_probed);
            return result;
        }
    }
    result.first_probed.clear();
    return result;
}

}  // namespace

// Each name once, in the order of the first line naming it, with the path of the last.
int audit_remembered(RunContext& run, int flagged) {
    if (!run.options.opt_read_hash) return flagged;
    RememberedPaths& table = run.remembered;
    table.build_index();
    std::vector<bool> audited(table.lines.size());
    QuietSearch search{run, PathPrefix(), false};
    for (const RememberedPath& first : table.lines) {
        std::string_view name = first.name;
        size_t last = table.last_by_name[name];
        if (audited[last]) continue;
        audited[last] = true;
        LookupResult found = first_match(search, name);
        std::string finding = remembered_finding(std::string(table.lines[last].path),
                                                 found.first_probed, found.first_match);
        if (finding.empty()) continue;
        put_text(run.out, "hash: ");
        put_text(run.out, escape_controls(name));
        put_text(run.out, ": ");
        put_text(run.out, finding);
        put_char(run.out, '\n');
        flagged = std::min(flagged + 1, max_audit_status);
    }
    return flagged;
}
