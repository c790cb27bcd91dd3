#include "tilde/tilde.h"

// Placeholder until tilde expansion lands: entries come back unexpanded.
std::string expand_tildes(std::string_view text) {
    return std::string(text);
}
std::string expand_tilde_prefix(std::string_view word) {
    return std::string(word);
}
std::string join_prefix_rest(const char* prefix, std::string_view text, size_t skip) {
    std::string joined = prefix != nullptr ? prefix : "";
    joined.append(text.substr(skip));
    return joined;
}
