#include <gtest/gtest.h>

#include <string>

#include "util/util.h"

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
        {"\xc2", "\xc2"},                              // a lone lead byte at the end
        {"\x80\x9f", "\x80\x9f"},                      // continuation bytes alone
        {"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(escape_controls(c.text), c.escaped) << c.text;
}
