#include "util/report.h"
#include "util/utf8.h"

namespace {

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
        size_t length = utf8_sequence_length(text, i);
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
