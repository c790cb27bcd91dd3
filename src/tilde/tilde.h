// Tilde expansion of PATH entries: "~", "~/..." and "~user/..." words at the start of an entry
// and after a blank or tab inside it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// text with every tilde word expanded; other bytes are copied unchanged.
std::string expand_tildes(std::string_view text);

// The expansion of one tilde word; a word that does not begin with '~' comes back unchanged,
// and so does "~user" when the password database has no such user.
std::string expand_tilde_prefix(std::string_view word);

// prefix (when not null or empty) followed by text from byte skip on; no '/' added or removed.
std::string join_prefix_rest(const char* prefix, std::string_view text, size_t skip);
