#include "util/json.h"

#include <gtest/gtest.h>

#include <string>

TEST(JsonString, Table) {
    using namespace std::string_literals;
    struct Case {
        std::string text;
        std::string json;
        bool exact;
    } cases[] = {
        {"/usr/bin/ls", "\"/usr/bin/ls\"", true},
        {"a\"b\\c", "\"a\\\"b\\\\c\"", true},
        {"\n\t\r\x01\x1f\x7f", "\"\\n\\t\\r\\u0001\\u001f\\u007f\"", true},
        {"\0x"s, "\"\\u0000x\"", true},
        {"\xc2\x85\xc2\xa0", "\"\\u0085\xc2\xa0\"", true},         // C1 escaped, NBSP kept
        {"\xe2\x80\xa8\xe2\x80\xa9", "\"\\u2028\\u2029\"", true},  // line and paragraph separators
        {"\xf0\x9f\x98\x80", "\"\xf0\x9f\x98\x80\"", true},        // four bytes
        {"a\xffz", "\"a\xef\xbf\xbdz\"", false},                   // a byte that never begins one
        {"\xc3", "\"\xef\xbf\xbd\"", false},                       // cut short at the end
        {"\xc0\xaf", "\"\xef\xbf\xbd\xef\xbf\xbd\"", false},       // overlong '/'
        {"\xed\xa0\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"", false},  // a surrogate
        {"\xf4\x90\x80\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"", false},
        {"\xe0\x80\x80", "\"\xef\xbf\xbd\xef\xbf\xbd\xef\xbf\xbd\"", false},
        {"", "\"\"", true},
    };
    for (const Case& c : cases) {
        std::string out;
        EXPECT_EQ(append_json_string(out, c.text), c.exact) << c.text;
        EXPECT_EQ(out, c.json) << c.text;
    }
}

TEST(Base64, Rfc4648Vectors) {
    struct Case {
        std::string bytes, encoded;
    } cases[] = {{"", ""},
                 {"f", "Zg=="},
                 {"fo", "Zm8="},
                 {"foo", "Zm9v"},
                 {"foob", "Zm9vYg=="},
                 {"fooba", "Zm9vYmE="},
                 {"foobar", "Zm9vYmFy"},
                 {"\xff\xfe", "//4="}};
    for (const Case& c : cases) EXPECT_EQ(base64(c.bytes), c.encoded) << c.bytes;
}

TEST(JsonWriter, NestsAndAddsTheExactBytes) {
    JsonWriter json;
    json.begin_object();
    json.string("name", "ls");
    json.boolean("found", true);
    json.begin_array("answers");
    json.begin_object();
    json.string("path", "/tmp/\xff");
    json.number("entry", 2);
    json.end_object();
    json.begin_object();
    json.end_object();
    json.end_array();
    json.end_object();
    EXPECT_EQ(json.text(),
              "{\"name\":\"ls\",\"found\":true,\"answers\":[{\"path\":\"/tmp/\xef\xbf\xbd\","
              "\"path_b64\":\"L3RtcC//\",\"entry\":2},{}]}");
}
