#include "tilde/tilde.h"

#include <pwd.h>

#include <algorithm>
#include <array>

#include "identity/identity.h"

// Inside an entry a tilde word begins at the '~' of one of these; the blank or tab in front of
// it stays with the plain text before the word.
static constexpr std::array<std::string_view, 2> tilde_word_starts = {" ~", "\t~"};

// A tilde word ends right before one of these, which then belongs to the plain text after it.
// The two lists differ on purpose: a tab starts a word but does not end one ("~\t~" is a single
// word naming the user "\t~"), and a newline ends a word but does not start one.
static constexpr std::array<std::string_view, 2> tilde_word_ends = {" ", "\n"};

static bool starts_with_any(std::string_view text, const std::array<std::string_view, 2>& entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [text](std::string_view entry) { return text.starts_with(entry); });
}

// Offset of the '~' that begins the next tilde word at or after cursor, or npos. A '~' right at
// the cursor only happens at the start of the text: after a word the cursor stands on the '/',
// blank or newline that ended it.
static size_t next_word_start(std::string_view text, size_t cursor) {
    if (cursor < text.size() && text[cursor] == '~') return cursor;
    for (size_t i = cursor; i < text.size(); ++i) {
        for (std::string_view entry : tilde_word_starts)
            if (text.substr(i).starts_with(entry)) return i + entry.size() - 1;
    }
    return std::string_view::npos;
}

// Offset just past the tilde word that begins at start: before its first '/', blank or newline.
static size_t word_end(std::string_view text, size_t start) {
    size_t i = start;
    while (i < text.size() && text[i] != '/' && !starts_with_any(text.substr(i), tilde_word_ends))
        ++i;
    return i;
}

std::string expand_tildes(std::string_view text, TildeHomes& homes) {
    std::string expanded;
    size_t cursor = 0;
    while (cursor < text.size()) {
        size_t start = next_word_start(text, cursor);
        if (start == std::string_view::npos) {
            expanded.append(text.substr(cursor));
            break;
        }
        expanded.append(text.substr(cursor, start - cursor));
        cursor = word_end(text, start);
        expanded.append(expand_tilde_prefix(text.substr(start, cursor - start), homes));
    }
    return expanded;
}

// "~" and "~/..." name the current user's home: HOME when it is set (even when empty), the
// password database's home of the real user otherwise.
static std::string expand_own_home(std::string_view word, TildeHomes& homes) {
    if (homes.home_variable != nullptr) return join_prefix_rest(homes.home_variable, word, 1);
    if (!homes.own) homes.own = user_home();
    return join_prefix_rest(homes.own->c_str(), word, 1);
}

// The home of user from the password database, or none when it has no such user. The entry
// lives in storage that the next lookup overwrites: its home is copied out before the database
// is closed. Some NSS modules leave pw_dir null; that counts as empty.
static std::optional<std::string> home_of(const std::string& user) {
    std::optional<std::string> home;
    if (const struct passwd* entry = getpwnam(user.c_str()); entry != nullptr)
        home = entry->pw_dir != nullptr ? entry->pw_dir : "";
    endpwent();
    return home;
}

std::string expand_tilde_prefix(std::string_view word, TildeHomes& homes) {
    if (word.empty() || word[0] != '~') return std::string(word);
    if (word.size() == 1 || word[1] == '/') return expand_own_home(word, homes);

    size_t name_end = std::min(word.find('/'), word.size());
    std::string name(word.substr(1, name_end - 1));
    auto known = homes.users.find(name);
    if (known == homes.users.end()) known = homes.users.emplace(name, home_of(name)).first;
    if (!known->second) return std::string(word);
    return join_prefix_rest(known->second->c_str(), word, 1 + name.size());
}

std::string_view leading_tilde_user(std::string_view text) {
    if (text.empty() || text[0] != '~') return {};
    return text.substr(1, word_end(text, 0) - 1);
}

std::string join_prefix_rest(const char* prefix, std::string_view text, size_t skip) {
    std::string joined = prefix != nullptr ? prefix : "";
    joined.append(text.substr(std::min(skip, text.size())));
    return joined;
}
