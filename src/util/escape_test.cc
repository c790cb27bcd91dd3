#include <gtest/gtest.h>

#include <string>

#include "util/util.h"

using namespace std::string_literals;

TEST(EscapeControls, Table) {
    struct Case {
        std::string text;
        std::string expected;
    } cases[] = {
        {"", ""},
        {"/usr/bin/ls", "/usr/bin/ls"},
        {"a\nb\tc\rd", "a\\x0ab\\x09c\\x0dd"},
        {"\x1b[31mred", "\\x1b[31mred"},
        {"\0x"s, "\\x00x"},
        {"\x1f\x20\x7e\x7f", "\\x1f ~\\x7f"},
        {"a\\b", "a\\\\b"},
        {"\\x41", "\\\\x41"},
        // C1 controls as UTF-8: both bytes; the characters around them stay as they are.
        {"\xc2\x80\xc2\x9f", "\\xc2\\x80\\xc2\\x9f"},
        {"\xc2\xa0\xc2\x7f\xc3\xa9", "\xc2\xa0\xc2\\x7f\xc3\xa9"},
        {"\x9b"
         "1m",
         "\x9b"
         "1m"},
        {"end\xc2", "end\xc2"},
        {"\xc2\xc2\x85", "\xc2\\xc2\\x85"},
    };
    for (const Case& c : cases) EXPECT_EQ(escape_controls(c.text), c.expected) << c.text;
}
