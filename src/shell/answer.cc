#include "shell/answer.h"

#include <array>
#include <cstring>
#include <span>
#include <string>

#include "search/explain.h"
#include "search/lookup.h"
#include "shell/facts.h"
#include "shell/remembered.h"
#include "util/records.h"
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

// The places a shell looks in before PATH, in its order.
enum class Step : unsigned char { keyword, special_builtin, function, builtin, regular_builtin };

// Whether the request lets the shell look at step.
bool looks_at(const AnswerRequest& request, Step step) {
    bool builtin = step != Step::keyword && step != Step::function;
    if (request.builtins_only) return builtin;
    if (request.skip_functions && !builtin) return false;
    return !(request.skip_builtins && builtin);
}

// Each shell's order before PATH, as the shells themselves were measured to take it: in bash
// and zsh a function comes before every builtin, in the others after the special ones; fish
// lets no function take a builtin's name.
std::span<const Step> order_of(Rules rules) {
    static constexpr std::array<Step, 3> bash = {Step::keyword, Step::function, Step::builtin};
    static constexpr std::array<Step, 4> posix = {Step::keyword, Step::special_builtin,
                                                  Step::function, Step::regular_builtin};
    static constexpr std::array<Step, 2> fish = {Step::function, Step::builtin};
    switch (rules) {
        case Rules::bash:
        case Rules::zsh:
            return bash;
        case Rules::fish:
            return fish;
        default:
            return posix;
    }
}

bool known_on(const std::unordered_map<std::string_view, bool>& table, std::string_view name) {
    auto known = table.find(name);
    return known != table.end() && known->second;
}

void print_fact(RunContext& run, int indent, std::string_view name, std::string_view what) {
    if (run.records != nullptr) {
        run.records->add(what == "shell keyword" ? "keyword" : "builtin", {}, {});
        return;
    }
    if (indent == 1) put_char(run.out, '\t');
    put_text(run.out, name);
    put_text(run.out, ": ");
    put_text(run.out, what);
    put_char(run.out, '\n');
}

// The answer of one step, printed; what it was ("shell keyword"...), or null when none.
const char* take_step(RunContext& run, Definitions& defs, const AnswerRequest& request, Step step,
                      Rules rules) {
    std::string_view name = request.name;
    if (step == Step::function)
        return show_function(run, defs, request.indent, name) ? "shell function" : nullptr;
    const ShellFacts& facts = *run.shell_facts;
    if (step == Step::keyword) {
        if (!known_on(facts.keywords, name)) return nullptr;
        print_fact(run, request.indent, name, "shell keyword");
        return "shell keyword";
    }
    if (!known_on(facts.builtins, name)) return nullptr;
    bool special = is_special_builtin(rules, name);
    if ((step == Step::special_builtin && !special) || (step == Step::regular_builtin && special))
        return nullptr;
    print_fact(run, request.indent, name, "shell builtin");
    return "shell builtin";
}

// The builtins bound to a directory for name, or none.
std::optional<BoundBuiltin> bound_builtin(const ShellFacts& facts, std::string_view name) {
    std::optional<BoundBuiltin> bound;
    for (std::string_view path : facts.bound) {
        size_t slash = path.rfind('/');
        if (path.substr(slash + 1) != name) continue;
        if (!bound) bound.emplace();
        bound->dirs.push_back(path.substr(0, slash));
        if (bound->line.empty())
            bound->line.append(name).append(": shell builtin in place of ").append(path) += '\n';
    }
    return bound;
}

// The answers to one name, in the shell's order.
Answer answer_word(RunContext& run, Definitions& defs, const AnswerRequest& request) {
    Answer answer;
    if (run.records != nullptr && run.explanation != nullptr)
        run.records->current().explained = true;
    const char* name = request.name;
    const char* shown = nullptr;
    std::optional<BoundBuiltin> bound;
    // A name with a slash is run as it stands: never a function, builtin or keyword.
    if (strchr(name, '/') == nullptr) {
        bool builtins = run.shell_facts != nullptr && run.options.opt_read_builtins;
        bool functions = run.options.opt_read_functions && looks_at(request, Step::function);
        if (!builtins && functions)
            shown = take_step(run, defs, request, Step::function, Rules::bash);
        if (builtins) {
            Rules rules = rules_of(run.options, run.shell_facts);
            for (Step step : order_of(rules)) {
                if ((step == Step::function && !functions) || !looks_at(request, step)) continue;
                const char* taken = take_step(run, defs, request, step, rules);
                if (shown == nullptr) shown = taken;
                if (shown != nullptr && !run.options.opt_all) break;
            }
            if (!request.skip_builtins) bound = bound_builtin(*run.shell_facts, name);
        }
    }
    answer.shown = shown != nullptr;
    if (run.explanation != nullptr) explain_unsearched_path(run, name, shown);
    bool path_step = (!answer.shown || run.options.opt_all) && !request.builtins_only;
    if (is_set(run.path_list) && path_step)
        answer.lookup = lookup_command(run, request.indent, name, bound ? &*bound : nullptr);
    if (answer.lookup.failure) return answer;
    if ((request.indent == 0 || !request.in_alias.empty()) && !answer.found())
        report_missing(request.in_alias, name, run.path_list, answer.lookup);
    if (run.options.opt_read_hash && path_step) tell_remembered(run, name, answer.lookup);
    return answer;
}

}  // namespace

// A command word of an alias value gets a record of its own inside the alias's answer.
Answer answer_name(RunContext& run, Definitions& defs, const AnswerRequest& request) {
    if (run.records == nullptr || request.indent == 0) return answer_word(run, defs, request);
    run.records->begin_run(request.name);
    Answer answer = answer_word(run, defs, request);
    run.records->end_run();
    return answer;
}

bool keyword_hides_alias(const RunContext& run, std::string_view name) {
    if (run.shell_facts == nullptr || !run.options.opt_read_builtins) return false;
    Rules rules = rules_of(run.options, run.shell_facts);
    bool keyword_first =
        rules == Rules::bash_posix || rules == Rules::ksh93 || rules == Rules::mksh;
    return keyword_first && known_on(run.shell_facts->keywords, name);
}
