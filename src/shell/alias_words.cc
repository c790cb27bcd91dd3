#include "shell/alias_words.h"

#include <algorithm>
#include <cstring>
#include <deque>
#include <span>

#include "defs/defs.h"

namespace {

enum class TokenKind : unsigned char { word, separator, open, close, redirect };

// One token of an alias value; raw is a view into the value that holds it. origin is the
// expansion that produced it, so that an alias is never expanded inside its own value.
struct Token {
    TokenKind kind;
    std::string_view raw;
    int origin;
    bool alias_checked = false;  // follows a value that ends in a blank
};

struct Expansion {
    std::string name;
    int parent;
};

// An alias made of aliases can double at every level, as in the shell itself; past this many
// expansions the words are taken as they stand, so that a hostile listing cannot make the run
// grow without bound.
constexpr size_t max_expansions = 4096;

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

bool ends_word(char c) {
    return is_blank(c) || c == '\n' || (c != '\0' && strchr(";&|()<>", c) != nullptr);
}

// The end of the quoted stretch that opens at pos with quote (after it), a backslash keeping
// the byte after it when escapes count there.
size_t quoted_end(std::string_view text, size_t pos, char quote, bool escapes) {
    while (pos < text.size() && text[pos] != quote) pos += escapes && text[pos] == '\\' ? 2 : 1;
    return std::min(pos + 1, text.size());
}

// The end of an expansion that opens with open at pos (after it), nested ones counted.
size_t nested_end(std::string_view text, size_t pos, char open, char close) {
    for (int depth = 1; pos < text.size() && depth > 0; ++pos)
        depth += text[pos] == open ? 1 : text[pos] == close ? -1 : 0;
    return pos;
}

// The end of the word at pos: its quotes and expansions may hold blanks and operators.
size_t word_end(std::string_view text, size_t pos, bool fish) {
    while (pos < text.size() && !ends_word(text[pos])) {
        char c = text[pos++];
        char next = pos < text.size() ? text[pos] : '\0';
        if (c == '\\') {
            ++pos;
        } else if (c == '\'') {
            pos = quoted_end(text, pos, '\'', fish);  // fish's single quotes know \' and \\.
        } else if (c == '"') {
            pos = quoted_end(text, pos, '"', true);
        } else if (c == '`') {
            pos = quoted_end(text, pos, '`', true);
        } else if (c == '$' && next == '\'') {
            pos = quoted_end(text, pos + 1, '\'', true);
        } else if (c == '$' && (next == '(' || next == '{')) {
            pos = nested_end(text, pos + 1, next, next == '(' ? ')' : '}');
        }
    }
    return std::min(pos, text.size());
}

bool all_digits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The operator at pos (a separator, a parenthesis or a redirection) and its length.
TokenKind operator_at(std::string_view text, size_t pos, size_t& length) {
    char c = text[pos];
    length = 1;
    if (c == '(') return TokenKind::open;
    if (c == ')') return TokenKind::close;
    bool redirect =
        c == '<' || c == '>' || (c == '&' && pos + 1 < text.size() && text[pos + 1] == '>');
    const char* run = redirect ? "<>&|-" : c == '\n' ? "" : ";&|";
    while (pos + length < text.size() && strchr(run, text[pos + length]) != nullptr &&
           text[pos + length] != '\0')
        ++length;
    return redirect ? TokenKind::redirect : TokenKind::separator;
}

void tokenize(std::string_view text, int origin, bool fish, std::deque<Token>& out,
              std::deque<Token>::iterator where) {
    std::vector<Token> tokens;
    for (size_t pos = 0; pos < text.size();) {
        char c = text[pos];
        if (is_blank(c)) {
            ++pos;
        } else if (c == '\\' && pos + 1 < text.size() && text[pos + 1] == '\n') {
            pos += 2;  // the line goes on
        } else if (c == '#') {
            pos = std::min(text.find('\n', pos), text.size());
        } else if (ends_word(c)) {
            size_t length = 0;
            TokenKind kind = operator_at(text, pos, length);
            tokens.push_back({kind, text.substr(pos, length), origin});
            pos += length;
        } else {
            size_t end = word_end(text, pos, fish);
            std::string_view raw = text.substr(pos, end - pos);
            pos = end;
            // "2>file": the digits belong to the redirection.
            if (all_digits(raw) && pos < text.size() && (text[pos] == '<' || text[pos] == '>'))
                continue;
            tokens.push_back({TokenKind::word, raw, origin});
        }
    }
    out.insert(where, tokens.begin(), tokens.end());
}

bool is_literal(std::string_view raw) {
    return raw.find_first_of("\\'\"") != std::string_view::npos;
}

// NAME=VALUE or NAME+=VALUE before the command word.
bool is_assignment(std::string_view raw) {
    size_t end =
        raw.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ_0123456789");
    if (end == 0 || end == std::string_view::npos || (raw[0] >= '0' && raw[0] <= '9')) return false;
    return raw[end] == '=' || raw.substr(end, 2) == "+=";
}

// The word with its quoting removed; nothing when the shell would expand it first.
std::optional<std::string> decoded(std::string_view raw) {
    std::string text;
    std::vector<size_t> ends;
    if (!read_shell_words(raw, text, ends) || ends.size() != 1) return std::nullopt;
    return text;
}

// Reserved words after which a command starts, and those that close what they opened.
bool opens_command(std::string_view raw, bool fish) {
    static constexpr std::string_view posix[] = {"{",    "!",  "if",    "then", "else",
                                                 "elif", "do", "while", "until"};
    static constexpr std::string_view fish_words[] = {"begin", "not",  "and",  "or",
                                                      "if",    "else", "while"};
    for (std::string_view word : fish ? std::span<const std::string_view>(fish_words)
                                      : std::span<const std::string_view>(posix))
        if (raw == word) return true;
    return false;
}

bool closes_group(std::string_view raw, bool fish) {
    return fish ? raw == "end" : raw == "}" || raw == "fi" || raw == "done";
}

class Reader {
  public:
    Reader(ShellName shell, const AliasValueOf& value_of) : shell_(shell), value_of_(value_of) {}

    std::vector<AliasCommand> read(std::string_view name, std::string_view value) {
        expansions_.push_back({std::string(name), -1});
        tokenize(value, 0, fish(), pending_, pending_.end());
        while (!pending_.empty()) {
            Token token = pending_.front();
            pending_.pop_front();
            take(token);
        }
        return std::move(commands_);
    }

  private:
    bool fish() const { return shell_ == ShellName::fish; }

    void start_command() {
        at_command_ = true;
        alias_checked_ = true;
        request_ = WordRequest::any;
    }

    void take(const Token& token) {
        switch (token.kind) {
            case TokenKind::separator:
            case TokenKind::open:
                start_command();
                return;
            case TokenKind::close:
                at_command_ = false;
                return;
            case TokenKind::redirect:
                if (!pending_.empty() && pending_.front().kind == TokenKind::word)
                    pending_.pop_front();  // its target
                return;
            case TokenKind::word:
                take_word(token);
                return;
        }
    }

    // True when name is an alias that the shell expands here (never inside its own value).
    bool expand(const Token& token) {
        if (is_literal(token.raw) || expansions_.size() >= max_expansions) return false;
        for (int at = token.origin; at >= 0; at = expansions_[at].parent)
            if (expansions_[at].name == token.raw) return false;
        std::optional<std::string> value = value_of_(token.raw);
        if (!value) return false;
        std::string_view text = values_.emplace_back(std::move(*value));
        // A value that ends in a blank has the word after it checked for an alias too.
        if (!fish() && !text.empty() && is_blank(text.back()) && !pending_.empty())
            pending_.front().alias_checked = true;
        expansions_.push_back({std::string(token.raw), token.origin});
        tokenize(text, static_cast<int>(expansions_.size() - 1), fish(), pending_,
                 pending_.begin());
        return true;
    }

    void take_word(const Token& token) {
        bool checked = alias_checked_ || token.alias_checked;
        if (!at_command_) {
            if (token.alias_checked) expand(token);
            return;
        }
        bool literal = is_literal(token.raw);
        if (!literal && is_assignment(token.raw)) return;
        if (!literal && opens_command(token.raw, fish())) return start_command();
        if (!literal && closes_group(token.raw, fish())) {
            at_command_ = false;
            return;
        }
        if (checked && expand(token)) return;
        std::optional<std::string> word = decoded(token.raw);
        if (!word) {
            at_command_ = false;  // "$EDITOR": what runs is not in the listing
            return;
        }
        commands_.push_back({*word, request_});
        at_command_ = false;
        commands_.back().modifier = modifier(*word, literal);
    }

    void skip_options(std::string_view takes_argument) {
        while (!pending_.empty() && pending_.front().kind == TokenKind::word &&
               pending_.front().raw.size() > 1 && pending_.front().raw[0] == '-') {
            std::string_view option = pending_.front().raw;
            pending_.pop_front();
            if (option == "--") return;
            if (option.find_first_of(takes_argument) != std::string_view::npos && !pending_.empty())
                pending_.pop_front();
        }
    }

    // What a precommand modifier just answered makes of the word after it; false for a word
    // that is none.
    bool modifier(std::string_view word, bool literal) {
        bool zsh = shell_ == ShellName::zsh;
        bool mksh_builtin = shell_ == ShellName::mksh && word == "\\builtin";
        if (word == "command") {
            // command -v and -V only describe the word.
            if (!pending_.empty() && pending_.front().kind == TokenKind::word &&
                pending_.front().raw.size() > 1 && pending_.front().raw[0] == '-' &&
                pending_.front().raw.find_first_of("vV") != std::string_view::npos)
                return true;
            skip_options("");
            follow(zsh || fish() ? WordRequest::no_function_no_builtin : WordRequest::no_function,
                   false);
        } else if (word == "builtin" || mksh_builtin) {
            // ksh93's builtin adds or lists builtins; it runs none.
            if (shell_ != ShellName::ksh93) follow(WordRequest::builtin_only, false);
        } else if (word == "exec") {
            skip_options("a");
            follow(WordRequest::no_function_no_builtin, false);
        } else if (word == "time" && !literal) {
            skip_options("");
            follow(WordRequest::any, true);
        } else if (zsh && (word == "noglob" || word == "-" || word == "nocorrect")) {
            follow(WordRequest::any, word == "nocorrect");
        } else {
            return false;
        }
        return true;
    }

    void follow(WordRequest request, bool alias_checked) {
        at_command_ = true;
        request_ = request;
        alias_checked_ = alias_checked;
    }

    ShellName shell_;
    const AliasValueOf& value_of_;
    std::deque<Token> pending_;
    std::deque<std::string> values_;  // the values of inner aliases, that tokens point into
    std::vector<Expansion> expansions_;
    std::vector<AliasCommand> commands_;
    bool at_command_ = true;
    bool alias_checked_ = true;
    WordRequest request_ = WordRequest::any;
};

}  // namespace

std::string alias_value(std::string_view line) {
    AliasParts parts = split_alias_line(line);
    size_t start = parts.words.pos - (parts.words.quote != '\0' ? 1 : 0);
    std::string_view raw = line.substr(start);
    if (!raw.empty() && raw.back() == '\n') raw.remove_suffix(1);
    if (std::optional<std::string> value = decoded(raw)) return *value;
    // Not one shell word: the text between the quotes, as the listing has it.
    raw = line.substr(parts.words.pos);
    if (!raw.empty() && raw.back() == '\n') raw.remove_suffix(1);
    if (parts.words.quote != '\0' && !raw.empty() && raw.back() == parts.words.quote)
        raw.remove_suffix(1);
    return std::string(raw);
}

bool quote_left_open(std::string_view line) {
    AliasParts parts = split_alias_line(line);
    std::string_view raw = line.substr(parts.words.pos - (parts.words.quote != '\0' ? 1 : 0));
    for (size_t pos = 0; pos < raw.size(); ++pos) {
        char c = raw[pos];
        bool ansi = c == '$' && pos + 1 < raw.size() && raw[pos + 1] == '\'';
        if (c == '\\') {
            ++pos;
        } else if (c == '\'' || c == '"' || ansi) {
            // quoted_end stops past the closing quote, or at the end when there is none.
            size_t start = pos + (ansi ? 2 : 1);
            pos = quoted_end(raw, start, ansi ? '\'' : c, c != '\'') - 1;
            if (pos < start || raw[pos] != (ansi ? '\'' : c)) return true;
        }
    }
    return false;
}

std::vector<AliasCommand> alias_commands(ShellName shell, std::string_view name,
                                         std::string_view value, const AliasValueOf& value_of) {
    return Reader(shell, value_of).read(name, value);
}
