// Shell words as bash, zsh, ksh93 and mksh write them in their own listings: plain text with
// backslash escapes, single quotes, double quotes and $'...' with its escapes, glued together
// in any order. Anything the shell would expand or treat as an operator is refused rather than
// guessed at: the shells quote such bytes themselves.
#include <algorithm>
#include <cstring>
#include <vector>

#include "defs/defs.h"

namespace {

bool is_blank(char c) {
    return c == ' ' || c == '\t';
}

// What a byte of an unquoted word is: itself, or the start of something to read otherwise.
// Unquoted, the special bytes end a command, start an expansion or a pattern. A table, as
// every byte of every hash line goes through it.
enum class ByteKind : unsigned char { plain, blank, quoting, special };

struct ByteKinds {
    ByteKind of[256] = {};
    constexpr ByteKinds() {
        for (unsigned char c : std::string_view(" \t")) of[c] = ByteKind::blank;
        for (unsigned char c : std::string_view("'\"\\$")) of[c] = ByteKind::quoting;
        for (unsigned char c : std::string_view("|&;<>()`*?[")) of[c] = ByteKind::special;
        of[0] = ByteKind::special;  // no shell writes a NUL byte
    }
};
constexpr ByteKinds byte_kinds;

ByteKind kind_of(char c) {
    return byte_kinds.of[static_cast<unsigned char>(c)];
}

int hex_value(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Up to max_digits digits of base at pos; the value, or -1 when there is none.
long read_number(std::string_view text, size_t& pos, int base, size_t max_digits) {
    long value = -1;
    for (size_t n = 0; n < max_digits && pos < text.size(); ++n, ++pos) {
        int digit = hex_value(text[pos]);
        if (digit < 0 || digit >= base) break;
        value = (value < 0 ? 0 : value) * base + digit;
    }
    return value;
}

// ksh93's "\x[hh]" and "\u[hhhh]", that it writes when a hex digit follows or for a character
// it will not print: the digits up to the closing bracket. False, pos unmoved, for any other text.
bool bracketed_number(std::string_view text, size_t& pos, long& value) {
    if (pos >= text.size() || text[pos] != '[') return false;
    size_t at = pos + 1;
    value = read_number(text, at, 16, 8);
    if (value < 0 || at >= text.size() || text[at] != ']') return false;
    pos = at + 1;
    return true;
}

void append_utf8(std::string& out, unsigned long code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xc0 | code >> 6);
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xe0 | code >> 12);
        out += static_cast<char>(0x80 | (code >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    } else {
        out += static_cast<char>(0xf0 | (code >> 18 & 0x07));
        out += static_cast<char>(0x80 | (code >> 12 & 0x3f));
        out += static_cast<char>(0x80 | (code >> 6 & 0x3f));
        out += static_cast<char>(0x80 | (code & 0x3f));
    }
}

char simple_escape(char c) {
    switch (c) {
        case 'a':
            return '\a';
        case 'b':
            return '\b';
        case 'e':
        case 'E':
            return '\x1b';
        case 'f':
            return '\f';
        case 'n':
            return '\n';
        case 'r':
            return '\r';
        case 't':
            return '\t';
        case 'v':
            return '\v';
        case '\\':
        case '\'':
        case '"':
        case '?':
        case '!':  // zsh's (qqqq) quoting writes "\!"
            return c;
        default:
            return '\0';
    }
}

void ansi_escape(std::string_view body, size_t& pos, std::string& out);

// The character after "\c" (bash, ksh) or "\C-" (zsh) as a control character; zsh's "\M-"
// sets the high bit of the one after it. The character may be modified again ("\M-\C-a"),
// any number of times: the modifiers are read in a loop, not one call each, so that no run of
// them can exhaust the stack, and applied from the innermost out.
void modified_char(std::string_view body, size_t& pos, std::string& out, bool meta) {
    std::vector<bool> metas{meta};
    for (;;) {
        if (pos >= body.size()) return;
        if (body[pos] != '\\' || pos + 1 == body.size()) {
            out += body[pos++];
            break;
        }
        char c = body[pos + 1];
        if (c == 'c' && pos + 2 < body.size()) {
            metas.push_back(false);
            pos += 2;
        } else if ((c == 'C' || c == 'M') && pos + 3 < body.size() && body[pos + 2] == '-') {
            metas.push_back(c == 'M');
            pos += 3;
        } else {
            ++pos;
            ansi_escape(body, pos, out);  // no modifier: it returns without coming back here
            break;
        }
    }
    if (out.empty()) return;
    auto last = static_cast<unsigned char>(out.back());
    for (size_t i = metas.size(); i-- > 0;)
        last = metas[i] ? last | 0x80 : last == '?' ? 0x7f : last & 0x9f;
    out.back() = static_cast<char>(last);
}

// One escape of a $'...' body, pos just after its backslash.
void ansi_escape(std::string_view body, size_t& pos, std::string& out) {
    char c = body[pos++];
    long value = -1;
    if (char simple = simple_escape(c); simple != '\0') {
        out += simple;
    } else if (c >= '0' && c <= '7') {
        --pos;
        out += static_cast<char>(read_number(body, pos, 8, 3) & 0xff);
    } else if ((c == 'x' || c == 'u') && bracketed_number(body, pos, value)) {
        if (c == 'x' && value <= 0xff)
            out += static_cast<char>(value);
        else
            append_utf8(out, static_cast<unsigned long>(value));
    } else if (c == 'x' || c == 'u' || c == 'U') {
        value = read_number(body, pos, 16, c == 'x' ? 2 : c == 'u' ? 4 : 8);
        if (value < 0)
            out.append("\\").append(1, c);
        else if (c == 'x')
            out += static_cast<char>(value);
        else
            append_utf8(out, static_cast<unsigned long>(value));
    } else if (c == 'c' && pos < body.size()) {
        modified_char(body, pos, out, false);
    } else if ((c == 'C' || c == 'M') && pos + 1 < body.size() && body[pos] == '-') {
        ++pos;
        modified_char(body, pos, out, c == 'M');
    } else {
        out.append("\\").append(1, c);  // an unknown escape stands for itself
    }
}

// The body of $'...' from pos (after the opening quote) to its closing quote; a backslash
// keeps the byte after it, a quote included, from ending it.
bool ansi_quoted(std::string_view line, size_t& pos, std::string& out) {
    size_t start = pos;
    while (pos < line.size() && line[pos] != '\'') pos += line[pos] == '\\' ? 2 : 1;
    if (pos >= line.size()) return false;
    std::string_view body = line.substr(start, pos++ - start);
    for (size_t at = 0; at < body.size();) {
        size_t escape = std::min(body.find('\\', at), body.size());
        out.append(body.substr(at, escape - at));
        at = escape + 1;
        if (escape < body.size()) ansi_escape(body, at, out);
    }
    return true;
}

// Inside double quotes a backslash escapes only what could end or expand them.
bool double_quoted(std::string_view line, size_t& pos, std::string& out) {
    for (; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c == '$' || c == '`') return false;
        if (c == '\\' && pos + 1 < line.size() && strchr("$`\"\\", line[pos + 1]) != nullptr)
            c = line[++pos];
        out += c;
    }
    return false;
}

// One word from pos, which is not a blank, appended to word; false when the shell would read
// more than a word. Runs of plain bytes are copied whole: most words are nothing else.
bool one_word(std::string_view line, size_t& pos, std::string& word) {
    if (line[pos] == '~' || line[pos] == '#') return false;
    while (pos < line.size()) {
        size_t run = pos;
        while (run < line.size() && kind_of(line[run]) == ByteKind::plain) ++run;
        word.append(line.substr(pos, run - pos));
        pos = run;
        if (pos == line.size() || kind_of(line[pos]) == ByteKind::blank) return true;
        char c = line[pos++];
        if (c == '\'') {
            size_t end = line.find('\'', pos);
            if (end == std::string_view::npos) return false;
            word.append(line.substr(pos, end - pos));
            pos = end + 1;
        } else if (c == '"') {
            if (!double_quoted(line, pos, word)) return false;
        } else if (c == '$' && pos < line.size() && line[pos] == '\'') {
            if (!ansi_quoted(line, ++pos, word)) return false;
        } else if (c == '\\') {
            if (pos == line.size()) return false;  // the line would go on on the next one
            word += line[pos++];
        } else {
            return false;  // a '$' that expands, or a special byte
        }
    }
    return true;
}

}  // namespace

// The common case, a line of bare words, is told apart in one pass over its bytes.
bool split_plain_words(std::string_view line, std::vector<std::string_view>& words) {
    for (size_t pos = 0; pos < line.size();) {
        char c = line[pos];
        ByteKind kind = kind_of(c);
        if (kind == ByteKind::blank) {
            ++pos;
            continue;
        }
        if (kind != ByteKind::plain || c == '~' || c == '#') return false;
        size_t start = pos;
        while (++pos < line.size() && (kind = kind_of(line[pos])) == ByteKind::plain) {
        }
        if (pos < line.size() && kind != ByteKind::blank) return false;
        words.push_back(line.substr(start, pos - start));
    }
    return true;
}

bool read_shell_words(std::string_view line, std::string& text, std::vector<size_t>& ends) {
    for (size_t pos = 0;;) {
        while (pos < line.size() && is_blank(line[pos])) ++pos;
        if (pos == line.size()) return true;
        size_t start = text.size();
        if (!one_word(line, pos, text) || text.find('\0', start) != std::string::npos) return false;
        ends.push_back(text.size());
    }
}
