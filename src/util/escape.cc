#include "util/util.h"

namespace {

void append_hex(std::string& out, unsigned char byte) {
    static const char digits[] = "0123456789abcdef";
    out += "\\x";
    out += digits[byte >> 4];
    out += digits[byte & 0xf];
}

bool is_c1_second_byte(unsigned char byte) {
    return byte >= 0x80 && byte <= 0x9f;
}

}  // namespace

std::string escape_controls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto byte = static_cast<unsigned char>(text[i]);
        if (byte == '\\') {
            out += "\\\\";
        } else if (byte < 0x20 || byte == 0x7f) {
            append_hex(out, byte);
        } else if (byte == 0xc2 && i + 1 < text.size() &&
                   is_c1_second_byte(static_cast<unsigned char>(text[i + 1]))) {
            append_hex(out, byte);
            append_hex(out, static_cast<unsigned char>(text[++i]));
        } else {
            out += static_cast<char>(byte);
        }
    }
    return out;
}
