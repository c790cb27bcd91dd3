// The shell words of the remembered-path lines: words from the input, each quoted in one of the
// ways the shells write words (single quotes, $'...' with octal, hex or zsh's \M- and \C-
// escapes, ksh93's \x[hh] and \u[hhhh], double quotes), one after another on a line, must be read
// back as exactly those words. Any bytes at all, read as a line, must give an entry only with an
// absolute path and a plain name, without NUL bytes.
//
// A line of bare words, that the hash lines are read with in one pass, must be read the same
// way by the full reader.
//
// Input: the words, each ended by a NUL, each led by a byte that picks its quoting.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "defs/defs.h"
#include "shell/remembered.h"

namespace {

std::string octal(unsigned char c) {
    return {'\\', static_cast<char>('0' + (c >> 6)), static_cast<char>('0' + (c >> 3 & 7)),
            static_cast<char>('0' + (c & 7))};
}

std::string hex(unsigned char c) {
    static const char digits[] = "0123456789abcdef";
    return {'\\', 'x', digits[c >> 4], digits[c & 15]};
}

// zsh's \M- for the high bit, \C- for a control byte ("?" for 0x7f); its (qqqq) form also
// writes "\!". Either may stand before the other, any number of times.
std::string zsh_escape(unsigned char c) {
    std::string out = c & 0x80 ? "\\M-" : "";
    c &= 0x7f;
    // zsh would write "\C-\" for 0x1c, which its own reader takes for an escaped quote.
    if (c == 0x1c) return out + "\\C-\\\\";
    if (c < 0x20) return out + "\\C-" + static_cast<char>(c | 0x40);
    if (c == 0x7f) return out + "\\C-?";
    if (c == '\\' || c == '\'' || c == '!') return out + "\\" + static_cast<char>(c);
    return out + static_cast<char>(c);
}

// ksh93's form: "\x[hh]" for every byte it will not print, "\u[hhhh]" for a UTF-8 character.
std::string ksh93_escape(std::string_view word, size_t& at) {
    static const char digits[] = "0123456789abcdef";
    auto c = static_cast<unsigned char>(word[at++]);
    // A two-byte character (what ksh93 writes for NBSP and the C1 controls in C.UTF-8).
    if (c >= 0xc2 && c < 0xe0 && at < word.size() && (word[at] & 0xc0) == 0x80) {
        unsigned code = (c & 0x1f) << 6 | (word[at++] & 0x3f);
        std::string out = "]";
        for (; code != 0; code >>= 4) out.insert(out.begin(), digits[code & 15]);
        return "\\u[" + out;
    }
    return std::string("\\x[") + digits[c >> 4] + digits[c & 15] + "]";
}

std::string quoted(std::string_view word, unsigned char style) {
    std::string out;
    switch (style % 6) {
        case 0:
            out = "'";
            for (char c : word) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
            return out + "'";
        case 1:
        case 2:
            out = "$'";
            for (char c : word) {
                auto b = static_cast<unsigned char>(c);
                bool plain = b >= 0x20 && b < 0x7f && c != '\\' && c != '\'';
                out += plain ? std::string(1, c) : style % 6 == 1 ? octal(b) : hex(b);
            }
            return out + "'";
        case 5:
            out = "$'";
            for (size_t at = 0; at < word.size();) {
                auto b = static_cast<unsigned char>(word[at]);
                bool plain = b >= 0x20 && b < 0x7f && b != '\\' && b != '\'';
                out += plain ? std::string(1, word[at++]) : ksh93_escape(word, at);
            }
            return out + "'";
        case 3:
            out = "$'";
            for (char c : word) out += zsh_escape(static_cast<unsigned char>(c));
            return out + "'";
        default:
            out = "\"";
            for (char c : word) {
                if (c == '$' || c == '`' || c == '"' || c == '\\') out += '\\';
                out += c;
            }
            return out + "\"";
    }
}

// line must read as exactly the expected words.
template <typename Word>
void check_words(std::string_view line, const std::vector<Word>& expected) {
    std::string text;
    std::vector<size_t> ends;
    CHECK(read_shell_words(line, text, ends));
    CHECK(ends.size() == expected.size());
    for (size_t i = 0, start = 0; i < expected.size(); start = ends[i++])
        CHECK(text.substr(start, ends[i] - start) == expected[i]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string name, path;
    if (parse_hash_line(input, name, path) == HashLine::entry) {
        CHECK(!path.empty() && path[0] == '/');
        CHECK(!name.empty() && name.find('/') == std::string::npos);
        CHECK(name.find('\0') == std::string::npos && path.find('\0') == std::string::npos);
    }

    // Bare words: both readers agree.
    std::vector<std::string_view> plain;
    if (split_plain_words(input, plain)) check_words(input, plain);

    std::vector<std::string> words;
    std::string line;
    for (size_t pos = 0; pos + 1 < input.size();) {
        size_t end = input.find('\0', pos + 1);
        if (end == std::string_view::npos) break;
        auto style = static_cast<unsigned char>(input[pos]);
        words.emplace_back(input.substr(pos + 1, end - pos - 1));
        line += (line.empty() ? "" : " ") + quoted(words.back(), style);
        pos = end + 1;
    }
    check_words(line, words);
    return 0;
}
