#include <gtest/gtest.h>

#include <string>

#include "util/report.h"

TEST(EscapeControls, Table) {
    using namespace std::string_literals;
    struct Case {
        std::string text;
        std::string escaped;
    } cases[] = {
        {"/usr/bin/ls", "/usr/bin/ls"},
        {"a\nb", "a\\x0ab"},
        {"\t\r\x1b[31m", "\\x09\\x0d\\x1b[31m"},
        {"\x7f", "\\x7f"},
        {"back\\slash", "back\\\\slash"},
        {"\0x"s, "\\x00x"},
        {"\xc2\x80\xc2\x9f", "\\xc2\\x80\\xc2\\x9f"},  // C1 controls, both bytes
        {"\xc2\xa0\xc3\xa9", "\xc2\xa0\xc3\xa9"},      // other UTF-8 stays as it is
        {"\xc2", "\\xc2"},                             // a lone lead byte at the end
        {"\x80\x9f", "\\x80\\x9f"},                    // continuation bytes alone: 8-bit C1
        {"\x9b"
         "2K\x9b"
         "1G",
         "\\x9b2K\\x9b1G"},  // CSI as one byte: a forged line
        {"\xe2\x82\xac\xf0\x9f\x98\x80", "\xe2\x82\xac\xf0\x9f\x98\x80"},  // three, four
        {"\xc0\xaf", "\\xc0\\xaf"},                                        // an overlong '/'
        {"\xe0\x80\xaf", "\\xe0\\x80\\xaf"},                               // and in three bytes
        {"\xf0\x80\x80\xaf", "\\xf0\\x80\\x80\\xaf"},                      // and in four
        {"\xed\xa0\x80", "\\xed\\xa0\\x80"},                               // a surrogate
        {"\xf4\x90\x80\x80", "\\xf4\\x90\\x80\\x80"},                      // past U+10FFFF
        {"\xe2\x82", "\\xe2\\x82"},                                        // cut short
        {"\xff", "\\xff"},
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(escape_controls(c.text), c.escaped) << c.text;
}
