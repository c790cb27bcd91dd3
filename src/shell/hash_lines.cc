// --read-hash: the lines in which the shells list the paths they remember for commands.
//   builtin hash -p PATH NAME    bash's hash -l
//   hash NAME=PATH               zsh's hash -L, and the ksh93 and mksh integration's lines for
//   hash -- NAME=PATH            their tracked aliases (alias -t)
// Such a line counts only in the block of facts that leads the listing (shell/facts.h).
#include "defs/defs.h"
#include "shell/remembered.h"

namespace {

// The words of one line, in storage that the next line reuses: views into the line, or into
// text when quoting had to be taken off.
struct LineWords {
    std::vector<std::string_view> views;
    bool quoted = false;
    std::string text;
    std::vector<size_t> ends;
};

bool read_words(std::string_view rest, LineWords& words) {
    words.views.clear();
    words.quoted = false;
    if (split_plain_words(rest, words.views)) return true;
    words.views.clear();
    words.quoted = true;
    words.text.clear();
    words.ends.clear();
    if (!read_shell_words(rest, words.text, words.ends)) return false;
    for (size_t i = 0, start = 0; i < words.ends.size(); start = words.ends[i++])
        words.views.push_back(std::string_view(words.text).substr(start, words.ends[i] - start));
    return true;
}

// The path and name of a hash line whose words are the rest of the line after its keywords.
HashLine parse_words(std::string_view rest, bool bash_form, bool options_over, LineWords& words,
                     std::string_view& name, std::string_view& path) {
    if (!read_words(rest, words)) return HashLine::none;
    if (bash_form) {
        if (words.views.size() != 2) return HashLine::none;
        path = words.views[0];
        name = words.views[1];
    } else {
        // zsh's hash takes the text up to its first '=' as the name, quoted or not.
        if (words.views.size() != 1) return HashLine::none;
        std::string_view word = words.views[0];
        size_t equals = word.find('=');
        if (equals == std::string_view::npos || (!options_over && word.starts_with('-')))
            return HashLine::none;
        name = word.substr(0, equals);
        path = word.substr(equals + 1);
    }
    // The shells search PATH again for a relative path, and never look up a name with a slash
    // (or an empty one) in their table: such an entry tells nothing about what runs.
    if (path.empty() || path[0] != '/' || name.empty() || name.find('/') != std::string::npos)
        return HashLine::skipped;
    return HashLine::entry;
}

HashLine parse_line(std::string_view line, LineWords& words, std::string_view& name,
                    std::string_view& path) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.starts_with("builtin hash -p "))
        return parse_words(line.substr(16), true, true, words, name, path);
    if (line.starts_with("hash -- "))
        return parse_words(line.substr(8), false, true, words, name, path);
    if (line.starts_with("hash "))
        return parse_words(line.substr(5), false, false, words, name, path);
    return HashLine::none;
}

}  // namespace

HashLine parse_hash_line(std::string_view line, std::string& name, std::string& path) {
    LineWords words;
    std::string_view name_view, path_view;
    HashLine kind = parse_line(line, words, name_view, path_view);
    name = name_view;
    path = path_view;
    return kind;
}

HashLine read_hash_line(std::string_view line, RememberedPaths& table) {
    LineWords words;
    std::string_view name, path;
    HashLine kind = parse_line(line, words, name, path);
    if (kind == HashLine::entry) table.add(name, path, words.quoted);
    return kind;
}
