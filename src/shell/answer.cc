#include "shell/answer.h"

#include <cstring>
#include <string>

namespace {

bool is_set(const char* path_list) {
    return path_list != nullptr && *path_list != '\0';
}

// "PROG: no NAME in (PATH)", or "PROG: ALIAS: no NAME in (PATH)" for a word of an alias.
void report_missing(std::string_view alias, const char* command, const char* path_list,
                    const LookupResult& result) {
    std::string prefix(alias);
    if (!alias.empty()) prefix += ": ";
    if (result.name_has_slash) {
        const char* base = strrchr(command, '/') + 1;
        fprintf(stderr, "%s: %sno %s in (%s)\n", program_name, prefix.c_str(), base,
                result.slash_dir.c_str());
    } else {
        fprintf(stderr, "%s: %sno %s in (%s)\n", program_name, prefix.c_str(), command,
                path_list != nullptr ? path_list : "");
    }
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
