#include "shell/alias_resolution.h"

#include <string>

#include "search/explain.h"
#include "shell/answer.h"
#include "shell/remembered.h"
#include "util/records.h"

// Answers word as a COMMAND would be answered, a tab first; a word found nowhere says nothing.
static Failure show_word(RunContext& run, Definitions& defs, std::string_view word) {
    std::string text(word);
    return answer_name(run, defs, {text.c_str(), 1}).lookup.failure;
}

// With --all a word equal to the matched COMMAND strikes it, so that the loop does not show it
// again. A word prints the same wherever it stands, so each distinct one is resolved once and
// its output repeated: an alias value of a million "|" would otherwise walk PATH for every
// empty command between them.
static Failure resolve_word(RunContext& run, Definitions& defs, std::string_view word,
                            CommandList& commands, size_t matched) {
    const char*& entry = commands.entries[matched];
    if (entry != nullptr && std::string_view(entry) == word) entry = nullptr;

    // --explain says why for every occurrence, on standard error, that the copy does not hold;
    // a record is kept for every occurrence.
    if (run.explanation != nullptr || run.records != nullptr) return show_word(run, defs, word);
    if (auto known = defs.resolved_words.find(word); known != defs.resolved_words.end()) {
        put_text(run.out, known->second);
        if (run.options.opt_read_hash) retell_remembered(run, word);
        return {};
    }
    std::string& printed = defs.resolved_words.emplace(word, std::string()).first->second;
    run.out.copy = &printed;
    Failure failure = show_word(run, defs, word);
    run.out.copy = nullptr;
    return failure;
}

Failure resolve_alias_line(RunContext& run, Definitions& defs, std::string_view line,
                           CommandList& commands) {
    AliasParts parts = split_alias_line(line);
    if (commands.entries.empty()) return {};
    size_t matched = first_unstruck(commands, parts.name);
    if (matched == std::string_view::npos || keyword_hides_alias(run, parts.name)) return {};

    if (run.explanation != nullptr)
        explain_line(run, parts.name, "alias", "shown from the listing");
    if (run.records != nullptr) {
        run.records->open.push_back(&run.records->commands[matched]);
        // The line as the listing wrote it, without its newline.
        run.records->add("alias", "line", line.substr(0, line.find_last_not_of('\n') + 1));
    } else {
        put_text(run.out, line);
    }
    if (!run.options.opt_all) commands.entries[matched] = nullptr;
    std::string_view word;
    Failure failure;
    while (!failure && next_command_word(parts.words, word))
        failure = resolve_word(run, defs, word, commands, matched);
    if (run.records != nullptr) run.records->end_run();
    return failure;
}
