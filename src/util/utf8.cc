#include "util/utf8.h"

namespace {

unsigned char byte_at(std::string_view text, size_t pos) {
    return static_cast<unsigned char>(text[pos]);
}

bool continuation(std::string_view text, size_t pos) {
    return pos < text.size() && (byte_at(text, pos) & 0xc0) == 0x80;
}

}  // namespace

size_t utf8_sequence_length(std::string_view text, size_t pos) {
    unsigned char lead = byte_at(text, pos);
    if (lead < 0x80) return 1;
    // The range of the second byte narrows for the leads whose longest forms would be
    // overlong (E0, F0), surrogates (ED) or past U+10FFFF (F4).
    size_t length;
    unsigned char low = 0x80, high = 0xbf;
    if (lead >= 0xc2 && lead <= 0xdf) {
        length = 2;
    } else if (lead >= 0xe0 && lead <= 0xef) {
        length = 3;
        if (lead == 0xe0) low = 0xa0;
        if (lead == 0xed) high = 0x9f;
    } else if (lead >= 0xf0 && lead <= 0xf4) {
        length = 4;
        if (lead == 0xf0) low = 0x90;
        if (lead == 0xf4) high = 0x8f;
    } else {
        return 0;
    }
    if (pos + 1 >= text.size() || byte_at(text, pos + 1) < low || byte_at(text, pos + 1) > high)
        return 0;
    for (size_t i = 2; i < length; ++i)
        if (!continuation(text, pos + i)) return 0;
    return length;
}

unsigned utf8_code_point(std::string_view text, size_t pos, size_t length) {
    static constexpr unsigned char lead_bits[] = {0, 0x7f, 0x1f, 0x0f, 0x07};
    unsigned point = byte_at(text, pos) & lead_bits[length];
    for (size_t i = 1; i < length; ++i) point = (point << 6) | (byte_at(text, pos + i) & 0x3f);
    return point;
}
