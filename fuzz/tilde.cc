// Tilde expansion of a PATH entry: expand_tildes of an entry from the input, under a HOME from
// the input (or none), compared with a model of the expansion that follows the documented word
// rules step by step. Both ask the same password database, so a "~user" word must come out the
// same way in both.
//
// "~user" words are looked up in the small database of passwd_db.cc.
//
// Input: the first line is HOME ("\x01" alone: HOME unset), the rest is the entry; both end at
// the first NUL, since neither can hold one.

#include "tilde/tilde.h"

#include <pwd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "check.h"
#include "identity/identity.h"

// HOME lives in this buffer, handed to the environment once with putenv; each run rewrites it in
// place, so that no run leaves environment memory behind.
static char home_variable[8192] = "HOME=";

static void set_home(std::string_view home, bool present) {
    unsetenv("HOME");
    if (!present) return;
    size_t length = std::min(home.size(), sizeof home_variable - 6);
    memcpy(home_variable + 5, home.data(), length);
    home_variable[5 + length] = '\0';
    putenv(home_variable);
}

static bool starts_a_word(std::string_view text, size_t i) {
    return text.substr(i).starts_with(" ~") || text.substr(i).starts_with("\t~");
}

static bool ends_a_word(std::string_view text, size_t i) {
    return text[i] == ' ' || text[i] == '\n';
}

static std::string model_prefix(std::string_view word) {
    if (word.size() == 1 || word[1] == '/') {
        const char* home = getenv("HOME");
        return std::string(home != nullptr ? home : user_home()) + std::string(word.substr(1));
    }
    size_t name_end = word.find('/', 1);
    if (name_end == std::string_view::npos) name_end = word.size();
    std::string name(word.substr(1, name_end - 1));
    const struct passwd* entry = getpwnam(name.c_str());
    std::string result = entry != nullptr
                             ? std::string(entry->pw_dir != nullptr ? entry->pw_dir : "") +
                                   std::string(word.substr(name_end))
                             : std::string(word);
    endpwent();
    return result;
}

// The expansion as documented: a plain segment up to and including the blank or tab before the
// next "~", then the tilde word up to the first '/', blank or newline, and so on.
static std::string model_expand(std::string_view text) {
    std::string out;
    size_t cursor = 0;
    for (;;) {
        size_t word = std::string_view::npos;
        if (cursor < text.size() && text[cursor] == '~') {
            word = cursor;
        } else {
            for (size_t i = cursor; i < text.size() && word == std::string_view::npos; ++i)
                if (starts_a_word(text, i)) word = i + 1;
        }
        out.append(
            text.substr(cursor, (word == std::string_view::npos ? text.size() : word) - cursor));
        if (word == std::string_view::npos) return out;
        size_t end = word + 1;
        while (end < text.size() && text[end] != '/' && !ends_a_word(text, end)) ++end;
        out.append(model_prefix(text.substr(word, end - word)));
        cursor = end;
        if (cursor == text.size()) return out;
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    input = input.substr(0, input.find('\0'));
    size_t newline = input.find('\n');
    if (newline == std::string_view::npos) return -1;
    std::string_view home = input.substr(0, newline);
    std::string entry(input.substr(newline + 1));
    set_home(home, home != "\x01");

    // A run of its own: every home is looked up afresh.
    TildeHomes homes;
    homes.home_variable = getenv("HOME");
    std::string expanded = expand_tildes(entry, homes);
    CHECK(expanded == model_expand(entry));
    if (entry.find('~') == std::string::npos) CHECK(expanded == entry);
    return 0;
}
