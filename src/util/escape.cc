#include "util/report.h"

namespace {

bool continuation(std::string_view text, size_t i, unsigned low = 0x80, unsigned high = 0xbf) {
    if (i >= text.size()) return false;
    auto byte = static_cast<unsigned char>(text[i]);
    return byte >= low && byte <= high;
}

// The length of the valid UTF-8 sequence at i (no overlong form, no surrogate, nothing past
// U+10FFFF), or 0 when the byte there begins none.
size_t sequence_at(std::string_view text, size_t i) {
    auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) return 1;
    if (lead >= 0xc2 && lead <= 0xdf) return continuation(text, i + 1) ? 2 : 0;
    if (lead >= 0xe0 && lead <= 0xef) {
        unsigned low = lead == 0xe0 ? 0xa0 : 0x80, high = lead == 0xed ? 0x9f : 0xbf;
        return continuation(text, i + 1, low, high) && continuation(text, i + 2) ? 3 : 0;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        unsigned low = lead == 0xf0 ? 0x90 : 0x80, high = lead == 0xf4 ? 0x8f : 0xbf;
        return continuation(text, i + 1, low, high) && continuation(text, i + 2) &&
                       continuation(text, i + 3)
                   ? 4
                   : 0;
    }
    return 0;
}

void append_hex(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xf];
}

}  // namespace

// A C1 control is U+0080 to U+009F, in UTF-8 the two bytes C2 80 to C2 9F; both are written, so
// that a terminal that reads UTF-8 sees neither, and one that does not sees no 8-bit control.
std::string escape_controls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size();) {
        auto byte = static_cast<unsigned char>(text[i]);
        size_t length = sequence_at(text, i);
        bool c1 = byte == 0xc2 && length == 2 && static_cast<unsigned char>(text[i + 1]) <= 0x9f;
        if (length == 0 || c1 || byte < 0x20 || byte == 0x7f) {
            for (size_t k = 0; k < (c1 ? 2 : 1); ++k)
                append_hex(out, static_cast<unsigned char>(text[i + k]));
            i += c1 ? 2 : 1;
        } else if (byte == '\\') {
            out += "\\\\";
            ++i;
        } else {
            out.append(text.substr(i, length));
            i += length;
        }
    }
    return out;
}
