#include <string>

#include "defs/defs.h"

static bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

static size_t skip_blanks(std::string_view text, size_t pos) {
    while (pos < text.size() && is_blank(text[pos])) ++pos;
    return pos;
}

// A newline ends a word too: shells list aliases unquoted when they can (zsh writes g=git),
// and the word "git\n" could never be found.
static bool ends_word(char c, char quote) {
    return is_blank(c) || c == '&' || c == '|' || c == '\n' || (quote != '\0' && c == quote);
}

AliasParts split_alias_line(std::string_view line) {
    size_t pos = skip_blanks(line, 0);
    if (line.substr(pos, 5) == "alias") pos = skip_blanks(line, pos + 5);
    size_t name_end = line.find_first_of(" \t=", pos);
    if (name_end == std::string_view::npos) name_end = line.size();

    AliasParts parts;
    parts.name = line.substr(pos, name_end - pos);
    pos = skip_blanks(line, name_end);
    if (pos < line.size() && line[pos] == '=') pos = skip_blanks(line, pos + 1);
    if (pos < line.size() && (line[pos] == '"' || line[pos] == '\''))
        parts.words.quote = line[pos++];
    parts.words.line = line;
    parts.words.pos = pos;
    return parts;
}

// Only the first word of each command counts; the rest of a command, a closing quote and
// whatever follows a ';' are passed over up to the next run of '|' or of '&'.
bool next_command_word(CommandWords& words, std::string_view& word) {
    if (words.done) return false;
    std::string_view line = words.line;
    size_t start = skip_blanks(line, words.pos);
    size_t end = start;
    while (end < line.size() && !ends_word(line[end], words.quote)) ++end;
    word = line.substr(start, end - start);

    size_t separator = line.find_first_of("|&", end);
    if (separator == std::string_view::npos) {
        words.done = true;
        return true;
    }
    char kind = line[separator];
    while (separator < line.size() && line[separator] == kind) ++separator;
    words.pos = separator;
    return true;
}

// Shows word as a function and searches it along PATH, as the options select.
static Failure show_word(RunContext& run, Definitions& defs, std::string_view word) {
    std::string text(word);
    bool shown = false;
    if (run.options.opt_read_functions && text.find('/') == std::string::npos)
        shown = show_function(run, defs, 1, text);
    if (run.explanation != nullptr) explain_unsearched_path(run, text, shown);
    if (shown && !run.options.opt_all) return {};
    LookupResult result;
    if (run.path_list != nullptr && *run.path_list != '\0')
        result = lookup_command(run, 1, text.c_str());
    if (result.failure) return result.failure;
    if (run.options.opt_read_hash) tell_remembered(run, text, result);
    return {};
}

// With --all a word equal to the matched COMMAND strikes it, so that the loop does not show it
// again. A word prints the same wherever it stands, so each distinct one is resolved once and
// its output repeated: an alias value of a million "|" would otherwise walk PATH for every
// empty command between them.
static Failure resolve_word(RunContext& run, Definitions& defs, std::string_view word,
                            CommandList& commands, size_t matched) {
    const char*& entry = commands.entries[matched];
    if (entry != nullptr && std::string_view(entry) == word) entry = nullptr;

    // --explain says why for every occurrence, on standard error, that the copy does not hold.
    if (run.explanation != nullptr) return show_word(run, defs, word);
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
    if (matched == std::string_view::npos) return {};

    if (run.explanation != nullptr)
        explain_line(run, parts.name, "alias", "shown from the listing");
    put_text(run.out, line);
    if (!run.options.opt_all) commands.entries[matched] = nullptr;
    std::string_view word;
    while (next_command_word(parts.words, word))
        if (Failure failure = resolve_word(run, defs, word, commands, matched)) return failure;
    return {};
}
