// The reader of alias values as the shells read them. Any bytes at all, as the value of an
// alias among aliases that name each other, must be read without a crash and with a bounded
// number of commands; and a value built of plain commands, each with its assignments, joined by
// the separators of the shells, must give back exactly those command words, in order.
//
// Input: the first byte picks the shell, the second what follows; the rest is the value, or
// the words of the built value (each ended by a NUL, led by a byte that picks its separator).

#include "shell/alias_words.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "check.h"

namespace {

constexpr ShellName shells[] = {ShellName::bash, ShellName::zsh, ShellName::ksh93, ShellName::mksh,
                                ShellName::fish};

// Aliases that expand to one another, and to themselves, with and without a trailing blank.
std::optional<std::string> value_of(std::string_view name) {
    if (name == "a") return std::string("b x; a ");
    if (name == "b") return std::string("c | a");
    if (name == "c") return std::string("a && b ");
    return std::nullopt;
}

// Words that the shells read as more than a command: reserved words and precommand modifiers.
bool special(std::string_view word) {
    static constexpr std::string_view words[] = {
        "if",    "then",    "else", "elif",    "fi",     "do",       "done",
        "while", "until",   "end",  "begin",   "not",    "and",      "or",
        "time",  "command", "exec", "builtin", "noglob", "nocorrect"};
    for (std::string_view known : words)
        if (word == known) return true;
    return false;
}

bool plain(char c) {
    return (c >= 'd' && c <= 'z') || (c >= '0' && c <= '9');
}

void any_bytes(ShellName shell, std::string_view value) {
    AliasValueOf lookup = value_of;
    std::vector<AliasCommand> commands = alias_commands(shell, "top", value, lookup);
    // Each expansion of a, b or c adds at most three commands, and there is a bound on them.
    CHECK(commands.size() <= value.size() + 3 * 4096 + 1);
    std::string line = "alias top=" + std::string(value);
    (void)quote_left_open(line);
    (void)alias_value(line);
}

void built_value(ShellName shell, std::string_view input) {
    static const char* const separators[] = {"; ", " && ", " || ", " | ", " & ", "\n", ";"};
    std::string value;
    std::vector<std::string> expected;
    for (size_t pos = 0; pos + 1 < input.size();) {
        auto pick = static_cast<unsigned char>(input[pos++]);
        size_t end = input.find('\0', pos);
        if (end == std::string_view::npos) end = input.size();
        std::string word;
        for (char c : input.substr(pos, end - pos))
            if (plain(c)) word += c;
        pos = end + 1;
        if (word.empty() || (word[0] >= '0' && word[0] <= '9') || special(word)) continue;
        if (!expected.empty()) value += separators[pick % 7];
        if (pick & 0x10) value += "V_1=x ";
        value += (pick & 0x20) ? "'" + word + "'" : word;
        if (pick & 0x40) value += " -x arg";
        expected.push_back(word);
    }
    AliasValueOf lookup = value_of;
    std::vector<AliasCommand> commands = alias_commands(shell, "top", value, lookup);
    CHECK(commands.size() == expected.size());
    for (size_t n = 0; n < expected.size(); ++n) CHECK(commands[n].word == expected[n]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    ShellName shell = shells[static_cast<unsigned char>(input[0]) % 5];
    if (input[1] & 1)
        any_bytes(shell, input.substr(2));
    else
        built_value(shell, input.substr(2));
    return 0;
}
