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
