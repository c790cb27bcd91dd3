#include "util/json.h"

#include "util/utf8.h"

namespace {

// By hand rather than with snprintf, which nothing else imports: each import is one more
// relocation for the loader on every run, --json or not.
void append_unicode_escape(std::string& out, unsigned point) {
    static constexpr char digits[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4) out += digits[(point >> shift) & 0xf];
}

// True for a code point that JSON, or the terminal of whoever reads the record, must not see
// raw.
bool needs_escape(unsigned point) {
    return point < 0x20 || point == 0x7f || (point >= 0x80 && point <= 0x9f) || point == 0x2028 ||
           point == 0x2029;
}

void append_escaped(std::string& out, unsigned point) {
    switch (point) {
        case '\n':
            out += "\\n";
            return;
        case '\t':
            out += "\\t";
            return;
        case '\r':
            out += "\\r";
            return;
        default:
            append_unicode_escape(out, point);
    }
}

}  // namespace

bool append_json_string(std::string& out, std::string_view text) {
    bool exact = true;
    out += '"';
    for (size_t i = 0; i < text.size();) {
        size_t length = utf8_sequence_length(text, i);
        if (length == 0) {
            out += "\xef\xbf\xbd";  // U+FFFD
            exact = false;
            ++i;
            continue;
        }
        unsigned point = utf8_code_point(text, i, length);
        if (point == '"' || point == '\\') {
            out += '\\';
            out += text[i];
        } else if (needs_escape(point)) {
            append_escaped(out, point);
        } else {
            out.append(text, i, length);
        }
        i += length;
    }
    out += '"';
    return exact;
}

std::string base64(std::string_view bytes) {
    static constexpr char digits[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        size_t left = bytes.size() - i;
        unsigned group = static_cast<unsigned char>(bytes[i]) << 16;
        if (left > 1) group |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (left > 2) group |= static_cast<unsigned char>(bytes[i + 2]);
        out += digits[(group >> 18) & 63];
        out += digits[(group >> 12) & 63];
        out += left > 1 ? digits[(group >> 6) & 63] : '=';
        out += left > 2 ? digits[group & 63] : '=';
    }
    return out;
}

void JsonWriter::separate() {
    if (has_items_.empty()) return;
    if (has_items_.back()) out_ += ',';
    has_items_.back() = true;
}

void JsonWriter::key(std::string_view name) {
    separate();
    if (name.empty()) return;
    append_json_string(out_, name);
    out_ += ':';
}

void JsonWriter::begin_object(std::string_view name) {
    key(name);
    out_ += '{';
    has_items_.push_back(false);
}

void JsonWriter::end_object() {
    out_ += '}';
    has_items_.pop_back();
}

void JsonWriter::begin_array(std::string_view name) {
    key(name);
    out_ += '[';
    has_items_.push_back(false);
}

void JsonWriter::end_array() {
    out_ += ']';
    has_items_.pop_back();
}

void JsonWriter::string(std::string_view name, std::string_view text) {
    key(name);
    if (append_json_string(out_, text)) return;
    std::string exact(name);
    exact += "_b64";
    key(exact);
    append_json_string(out_, base64(text));
}

void JsonWriter::number(std::string_view name, long long value) {
    key(name);
    out_ += std::to_string(value);
}

void JsonWriter::boolean(std::string_view name, bool value) {
    key(name);
    out_ += value ? "true" : "false";
}
