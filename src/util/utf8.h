// UTF-8 as the strict decoders read it: no overlong forms, no surrogates, nothing past U+10FFFF.
#pragma once

#include <cstddef>
#include <string_view>

// The length of the well-formed UTF-8 sequence that starts at text[pos] (1 for an ASCII byte),
// or 0 when the byte there does not begin one.
size_t utf8_sequence_length(std::string_view text, size_t pos);

// The code point of the well-formed sequence of length bytes at text[pos].
unsigned utf8_code_point(std::string_view text, size_t pos, size_t length);
