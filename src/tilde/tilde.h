// Tilde expansion of PATH entries: "~", "~/..." and "~user/..." words at the start of an entry
// and after a blank or tab inside it.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

// The homes that tilde words named during one run. Each is looked up once: a PATH of many
// "~user" entries is expanded again for every COMMAND, and the password database may be a
// network service.
struct TildeHomes {
    const char* home_variable = nullptr;  // HOME as the run read it at start: null when unset
    std::optional<std::string> own;       // the real user's home, read while HOME is unset
    std::unordered_map<std::string, std::optional<std::string>> users;  // none: no such user
};

// text with every tilde word expanded; other bytes are copied unchanged.
std::string expand_tildes(std::string_view text, TildeHomes& homes);

// The expansion of one tilde word; a word that does not begin with '~' comes back unchanged,
// and so does "~user" when the password database has no such user.
std::string expand_tilde_prefix(std::string_view word, TildeHomes& homes);

// The user that the tilde word at the start of text names: "" for "~" and "~/...", and for a
// text that does not begin with '~'.
std::string_view leading_tilde_user(std::string_view text);

// prefix (when not null or empty) followed by text from byte skip on; no '/' added or removed.
std::string join_prefix_rest(const char* prefix, std::string_view text, size_t skip);
