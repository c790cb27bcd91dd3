#include "shell/answer.h"

#include <cstring>
#include <string>

#include "search/explain.h"
#include "search/lookup.h"
#include "util/report.h"

namespace {

bool is_set(const char* path_list) {
    return path_list != nullptr && *path_list != '\0';
}

// "PROG: no NAME in (PATH)", or "PROG: ALIAS: no NAME in (PATH)" for a word of an alias; the
// alias and its word come from the listing, where a quoted newline could forge a line.
void report_missing(std::string_view alias, const char* command, const char* path_list,
                    const LookupResult& result) {
    std::string line = alias.empty() ? "no " : escape_controls(alias) + ": no ";
    std::string_view name = result.name_has_slash ? strrchr(command, '/') + 1 : command;
    line.append(alias.empty() ? std::string(name) : escape_controls(name)).append(" in (");
    line.append(result.name_has_slash ? result.slash_dir
                                      : std::string_view(path_list != nullptr ? path_list : ""));
    write_message(line.append(")\n"));
}

}  // namespace

Answer answer_name(RunContext& run, Definitions& defs, int indent, const char* name,
                   const AnswerRequest& request) {
    Answer answer;
    bool functions = !request.skip_functions && !request.builtins_only;
    if (functions && run.options.opt_read_functions && strchr(name, '/') == nullptr)
        answer.shown = show_function(run, defs, indent, name);
    if (run.explanation != nullptr) explain_unsearched_path(run, name, answer.shown);
    bool path_step = (!answer.shown || run.options.opt_all) && !request.builtins_only;
    if (is_set(run.path_list) && path_step) answer.lookup = lookup_command(run, indent, name);
    if (answer.lookup.failure) return answer;
    if ((indent == 0 || !request.in_alias.empty()) && !answer.found())
        report_missing(request.in_alias, name, run.path_list, answer.lookup);
    if (run.options.opt_read_hash && path_step) tell_remembered(run, name, answer.lookup);
    return answer;
}
