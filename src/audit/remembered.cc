// --check-path with --read-hash: every remembered path of the listing against the lookup's
// first match for its name, found quietly: the names are the shell's, not COMMANDs, and a
// plain run would never have looked at them.
#include "shell/remembered.h"

#include "audit/examine.h"
#include "search/lookup.h"
#include "shell/facts.h"

// Each name once, in the order of the first line naming it, with the path of the last.
int audit_remembered(RunContext& run) {
    if (run.shell_facts == nullptr || !run.shell_facts->remembered) return 0;
    RememberedPaths& table = *run.shell_facts->remembered;
    Remembering rule = remembering_of(run.options, run.shell_facts);
    if (rule == Remembering::never) return 0;
    table.build_index();
    std::vector<bool> audited(table.lines.size());
    int stale = 0;
    for (const RememberedPath& first : table.lines) {
        std::string_view name = first.name;
        size_t last = table.last_by_name[name];
        if (audited[last]) continue;
        audited[last] = true;
        LookupResult found = run.path_list == nullptr || *run.path_list == '\0'
                                 ? LookupResult()
                                 : find_first_match(run, std::string(name).c_str());
        std::string finding =
            remembered_finding(rule, std::string(table.lines[last].path), found.first);
        if (finding.empty()) continue;
        write_audit_line(run.out, "hash: " + std::string(name) + ": " + finding);
        ++stale;
    }
    return stale;
}
