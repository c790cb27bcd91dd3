#include "util/util.h"

// A C1 control is U+0080 to U+009F, in UTF-8 the two bytes C2 80 to C2 9F; both are written, so
// that a terminal that reads UTF-8 sees neither, and one that does not sees no 8-bit control.
static bool c1_control_at(std::string_view text, size_t i) {
    return static_cast<unsigned char>(text[i]) == 0xc2 && i + 1 < text.size() &&
           static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
           static_cast<unsigned char>(text[i + 1]) <= 0x9f;
}

static void append_hex(std::string& out, unsigned char byte) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xf];
}

std::string escape_controls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (c1_control_at(text, i)) {
            append_hex(out, byte);
            append_hex(out, static_cast<unsigned char>(text[++i]));
        } else if (byte < 0x20 || byte == 0x7f) {
            append_hex(out, byte);
        } else if (byte == '\\') {
            out += "\\\\";
        } else {
            out += text[i];
        }
    }
    return out;
}
