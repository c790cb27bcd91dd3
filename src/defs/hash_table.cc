// --read-hash: the lines in which the shells list the paths they remember for commands.
//   builtin hash -p PATH NAME    bash's hash -l
//   hash NAME=PATH               zsh's hash -L, and the ksh93 and mksh integration's lines for
//   hash -- NAME=PATH            their tracked aliases (alias -t)
// Like the header of a function, such a line counts only outside a function body: a
// here-document inside a body may hold anything.
#include "defs/defs.h"

namespace {

// The path and name of a hash line whose words are the rest of the line after its keywords.
HashLine parse_words(std::string_view rest, bool bash_form, bool options_over, std::string& name,
                     std::string& path) {
    std::vector<std::string> words;
    if (!split_shell_words(rest, words)) return HashLine::none;
    if (bash_form) {
        if (words.size() != 2) return HashLine::none;
        path = std::move(words[0]);
        name = std::move(words[1]);
    } else {
        // zsh's hash takes the text up to its first '=' as the name, quoted or not.
        if (words.size() != 1) return HashLine::none;
        size_t equals = words[0].find('=');
        if (equals == std::string::npos || (!options_over && words[0].starts_with('-')))
            return HashLine::none;
        name = words[0].substr(0, equals);
        path = words[0].substr(equals + 1);
    }
    // The shells search PATH again for a relative path, and never look up a name with a slash
    // (or an empty one) in their table: such an entry tells nothing about what runs.
    if (path.empty() || path[0] != '/' || name.empty() || name.find('/') != std::string::npos)
        return HashLine::skipped;
    return HashLine::entry;
}

}  // namespace

HashLine parse_hash_line(std::string_view line, std::string& name, std::string& path) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    if (line.starts_with("builtin hash -p "))
        return parse_words(line.substr(16), true, true, name, path);
    if (line.starts_with("hash -- ")) return parse_words(line.substr(8), false, true, name, path);
    if (line.starts_with("hash ")) return parse_words(line.substr(5), false, false, name, path);
    return HashLine::none;
}

std::vector<size_t> read_remembered(std::string_view input, RememberedPaths& table) {
    std::vector<size_t> taken;
    std::string name, path;
    for (size_t pos = 0; pos < input.size();) {
        std::string_view raw = next_line(input, pos);
        std::string_view line = until_nul(raw, true);
        size_t next = pos + raw.size();
        if (!line.empty() && is_function_header(line)) {
            pos = function_body_end(input, next);
            continue;
        }
        // A line with a NUL byte cannot come from a shell listing.
        HashLine kind =
            line.size() == raw.size() ? parse_hash_line(raw, name, path) : HashLine::none;
        if (kind == HashLine::entry) table.remember(std::move(name), std::move(path));
        if (kind != HashLine::none) taken.push_back(pos);
        pos = next;
    }
    return taken;
}
