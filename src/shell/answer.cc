#include "shell/answer.h"

#include <cstring>

#include "search/explain.h"
#include "search/lookup.h"
#include "util/report.h"

namespace {

bool is_set(const char* path_list) {
    return path_list != nullptr && *path_list != '\0';
}

void report_missing(const char* command, const char* path_list, const LookupResult& result) {
    std::string line("no ");
    if (result.name_has_slash)
        line.append(strrchr(command, '/') + 1).append(" in (").append(result.slash_dir);
    else
        line.append(command).append(" in (").append(path_list != nullptr ? path_list : "");
    write_message(line.append(")\n"));
}

}  // namespace

Answer answer_name(RunContext& run, Definitions& defs, int indent, const char* name) {
    Answer answer;
    if (run.options.opt_read_functions && strchr(name, '/') == nullptr)
        answer.shown = show_function(run, defs, indent, name);
    if (run.explanation != nullptr) explain_unsearched_path(run, name, answer.shown);
    bool path_step = !answer.shown || run.options.opt_all;
    if (is_set(run.path_list) && path_step) answer.lookup = lookup_command(run, indent, name);
    if (answer.lookup.failure) return answer;
    if (indent == 0 && !answer.found()) report_missing(name, run.path_list, answer.lookup);
    if (run.options.opt_read_hash && path_step) tell_remembered(run, name, answer.lookup);
    return answer;
}
