#include "shell/alias_resolution.h"

#include <string>

#include "search/explain.h"
#include "shell/alias_words.h"
#include "shell/answer.h"
#include "shell/remembered.h"
#include "util/records.h"

namespace {

// Answers word as a COMMAND would be answered, a tab first.
Failure show_word(RunContext& run, Definitions& defs, std::string_view word,
                  const AnswerRequest& request, bool& found) {
    std::string text(word);
    AnswerRequest asked = request;
    asked.name = text.c_str();
    asked.indent = 1;
    Answer answer = answer_name(run, defs, asked);
    found = answer.found();
    return answer.lookup.failure;
}

// With --all a word equal to the matched COMMAND strikes it, so that the loop does not show it
// again. A word prints the same wherever it stands, so each distinct one is resolved once and
// its output repeated: an alias value of a million "|" would otherwise walk PATH for every
// empty command between them. A word found nowhere is not kept: its report is said again.
Failure resolve_word(RunContext& run, Definitions& defs, std::string_view word,
                     CommandList& commands, size_t matched, const AnswerRequest& request,
                     char request_tag) {
    const char*& entry = commands.entries[matched];
    if (entry != nullptr && std::string_view(entry) == word) entry = nullptr;

    bool found = false;
    // --explain says why for every occurrence, on standard error, that the copy does not hold;
    // a record is kept for every occurrence.
    if (run.explanation != nullptr || run.records != nullptr)
        return show_word(run, defs, word, request, found);
    std::string key = request_tag == '\0' ? std::string(word) : request_tag + std::string(word);
    if (auto known = defs.resolved_words.find(key); known != defs.resolved_words.end()) {
        put_text(run.out, known->second);
        if (run.options.opt_read_hash) retell_remembered(run, word);
        return {};
    }
    auto slot = defs.resolved_words.emplace(std::move(key), std::string()).first;
    run.out.copy = &slot->second;
    Failure failure = show_word(run, defs, word, request, found);
    run.out.copy = nullptr;
    if (!found && !request.in_alias.empty()) defs.resolved_words.erase(slot);
    return failure;
}

AnswerRequest request_for(WordRequest asked, std::string_view alias) {
    AnswerRequest request{"", 1};
    request.skip_functions = asked != WordRequest::any;
    request.skip_builtins = asked == WordRequest::no_function_no_builtin;
    request.builtins_only = asked == WordRequest::builtin_only;
    request.in_alias = alias;
    return request;
}

// Every command that the value runs, as the shell named reads it.
Failure resolve_as_shell(RunContext& run, Definitions& defs, std::string_view line,
                         std::string_view name, CommandList& commands, size_t matched,
                         AliasIndex& aliases) {
    AliasValueOf value_of = [&aliases](std::string_view inner) { return aliases.value_of(inner); };
    std::string value = alias_value(line);
    for (const AliasCommand& command : alias_commands(run.options.shell, name, value, value_of)) {
        // The tag keeps apart the outputs of one word asked for in different ways.
        char tag = static_cast<char>('0' + static_cast<int>(command.request));
        AnswerRequest request = request_for(command.request, command.modifier ? "" : name);
        if (Failure failure =
                resolve_word(run, defs, command.word, commands, matched, request, tag))
            return failure;
    }
    return {};
}

// The definition that starts at line: with its following lines while the value has a quote
// open, as the shell lists a value that holds a newline; at is moved to its last line.
std::string_view whole_definition(AliasLineList::iterator& at, AliasLineList::iterator end,
                                  std::string& joined) {
    std::string_view line = *at;
    if (!quote_left_open(line)) return line;
    joined = line;
    for (auto next = at; ++next != end && quote_left_open(joined); at = next) joined += *next;
    return joined;
}

// Every command that the value of the alias line answers, as the shell named reads it, or
// word by word without --shell.
Failure resolve_value(RunContext& run, Definitions& defs, std::string_view line,
                      const AliasParts& parts, CommandList& commands, size_t matched,
                      AliasIndex* aliases) {
    if (run.options.shell != ShellName::unset) {
        if (aliases != nullptr)
            return resolve_as_shell(run, defs, line, parts.name, commands, matched, *aliases);
        AliasIndex own(defs.AliasLines);
        return resolve_as_shell(run, defs, line, parts.name, commands, matched, own);
    }
    std::string_view word;
    CommandWords words = parts.words;
    while (next_command_word(words, word))
        if (Failure failure = resolve_word(run, defs, word, commands, matched, {"", 1}, '\0'))
            return failure;
    return {};
}

}  // namespace

std::optional<std::string> AliasIndex::value_of(std::string_view name) {
    if (!built_) {
        built_ = true;
        for (auto at = lines_.begin(); at != lines_.end(); ++at) {
            std::string joined;
            std::string_view line = whole_definition(at, lines_.end(), joined);
            if (!joined.empty()) line = joined_.emplace_back(std::move(joined));
            by_name_.try_emplace(split_alias_line(line).name, line);
        }
    }
    auto found = by_name_.find(name);
    if (found == by_name_.end()) return std::nullopt;
    return alias_value(found->second);
}

Failure resolve_alias_line(RunContext& run, Definitions& defs, std::string_view line,
                           CommandList& commands, AliasIndex* aliases) {
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
    Failure failure = resolve_value(run, defs, line, parts, commands, matched, aliases);
    if (run.records != nullptr) run.records->end_run();
    return failure;
}

Failure resolve_aliases(RunContext& run, Definitions& defs, CommandList& commands) {
    AliasIndex aliases(defs.AliasLines);
    bool as_shell = run.options.shell != ShellName::unset;
    for (auto at = defs.AliasLines.begin(); at != defs.AliasLines.end(); ++at) {
        std::string joined;
        std::string_view line =
            as_shell ? whole_definition(at, defs.AliasLines.end(), joined) : *at;
        if (Failure failure = resolve_alias_line(run, defs, line, commands, &aliases))
            return failure;
    }
    return {};
}
