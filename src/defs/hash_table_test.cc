#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "defs/defs.h"

using namespace std::string_literals;

namespace {

std::string kind_name(HashLine kind) {
    return kind == HashLine::none ? "none" : kind == HashLine::skipped ? "skipped" : "entry";
}

}  // namespace

// The rows in the shells' own spelling are lines that bash 5.2 (hash -l), zsh 5.9 (hash -L),
// ksh93 and mksh (alias -t, through the integration) wrote.
TEST(ParseHashLine, Table) {
    struct Case {
        std::string line;
        std::string kind;
        std::string name;
        std::string path;
    } cases[] = {
        {"builtin hash -p /usr/bin/ls ls\n", "entry", "ls", "/usr/bin/ls"},
        {"builtin hash -p '/tmp/hx/sp ace/t x' 't x'", "entry", "t x", "/tmp/hx/sp ace/t x"},
        {"builtin hash -p '/p/q'\\''x' 'q'\\''x'", "entry", "q'x", "/p/q'x"},
        {"builtin hash -p $'/p/e\\303\\251' $'e\\303\\251'", "entry", "e\xc3\xa9", "/p/e\xc3\xa9"},
        {"builtin hash -p $'/p/nl\\nx' $'nl\\nx'", "entry", "nl\nx", "/p/nl\nx"},
        {"builtin hash -p $'/tab\\tx' $'\\tt'", "entry", "\tt", "/tab\tx"},
        {"builtin hash -p '/back\\sl' 'b\\s'", "entry", "b\\s", "/back\\sl"},
        {"builtin hash -p /bin/ls -dash", "entry", "-dash", "/bin/ls"},
        {"builtin hash -p relative/x rel", "skipped", "", ""},
        {"builtin hash -p /bin/ls ", "none", "", ""},
        {"builtin hash -p /bin/ls a b", "none", "", ""},
        {"hash ls=/usr/bin/ls", "entry", "ls", "/usr/bin/ls"},
        {"hash -- -dash=/bin/ls", "entry", "-dash", "/bin/ls"},
        {"hash 'sp ace'='/z/sp ace'", "entry", "sp ace", "/z/sp ace"},
        {"hash 'sp ace'=/z/'sp ace'", "entry", "sp ace", "/z/sp ace"},
        {"hash 'q'\\''x'='/p/q'\\''x'", "entry", "q'x", "/p/q'x"},
        {"hash 'n'\\'='/p'\\'", "entry", "n'", "/p'"},
        {"hash $'e\\M-C\\M-)'=$'/p/e\\M-C\\M-)'", "entry", "e\xc3\xa9", "/p/e\xc3\xa9"},
        {"hash $'n\\C-A'=$'/p\\M-\\C-?'", "entry", "n\x01", "/p\xff"},
        {"hash $'n\\M-\\C-@'=$'/p\\M-\\t'", "entry", "n\x80", "/p\x89"},
        {"hash a='b=/c'", "skipped", "", ""},
        {"hash rel=rel/x", "skipped", "", ""},
        {"hash a/b=/bin/ls", "skipped", "", ""},
        {"hash -- =/bin/ls", "skipped", "", ""},
        {"hash -- 'n'=$'/p/e\\xc3\\xa9'", "entry", "n", "/p/e\xc3\xa9"},
        {"hash -- 'q'\\''x'=$'/p/q\\'x'", "entry", "q'x", "/p/q'x"},
        // Double quotes, the other escapes of $'...', and words glued together.
        {"hash \"d q\"=\"/a\\\"b\\\\c\\d\"", "entry", "d q", "/a\"b\\c\\d"},
        {"hash x=$'/\\a\\b\\e\\E\\f\\r\\v\\\"\\?\\q'", "entry", "x", "/\a\b\x1b\x1b\f\r\v\"?\\q"},
        {"hash x=$'/\\x41\\x4g\\xz\\101\\7\\u00e9\\U0001F600\\cA\\c?'", "entry", "x",
         "/A\x04g\\xzA\x07\xc3\xa9\xf0\x9f\x98\x80\x01\x7f"},
        {"hash x=/a\\ b\"c\"'d'$'e'", "entry", "x", "/a bcde"},
        {"hash x=$'/\\x414'", "entry", "x", "/A4"},  // two hex digits at most
        {"hash x=\"/a#b\" #c", "none", "", ""},      // a word of its own is a comment
        {"hash  x=/a  ", "entry", "x", "/a"},
        // Lines that are not the shells' own: ordinary lines.
        {"hash ls", "none", "", ""},
        {"hash -r", "none", "", ""},
        {"hash -x=/bin/ls", "none", "", ""},
        {"hash x=/a y=/b", "none", "", ""},
        {"hash 'x=/a", "none", "", ""},
        {"hash x=$'/a", "none", "", ""},
        {"hash x=$'/a\\'", "none", "", ""},
        {"hash x=\"/a", "none", "", ""},
        {"hash x=/a\\", "none", "", ""},
        {"hash x=/a;rm", "none", "", ""},
        {"hash x=/a|b", "none", "", ""},
        {"hash x=/$HOME", "none", "", ""},
        {"hash x=\"/$HOME\"", "none", "", ""},
        {"hash x=/`id`", "none", "", ""},
        {"hash x=\"/`id`\"", "none", "", ""},
        {"hash #x=/a", "none", "", ""},
        {"hash #'x'=/a", "none", "", ""},
        {"hash x=/*", "none", "", ""},
        {"hash ~x=/a", "none", "", ""},
        {"hash x=$'/a\\0b'", "none", "", ""},
        {"hash x=$'/a\\x00'", "none", "", ""},
        {"hashx=/a", "none", "", ""},
        {" hash x=/a", "none", "", ""},
        {"builtin hash -p", "none", "", ""},
        {"alias hash='hash -r'", "none", "", ""},
    };
    for (const Case& c : cases) {
        std::string name, path;
        HashLine kind = parse_hash_line(c.line, name, path);
        EXPECT_EQ(kind_name(kind), c.kind) << c.line;
        if (kind != HashLine::entry) continue;
        EXPECT_EQ(name, c.name) << c.line;
        EXPECT_EQ(path, c.path) << c.line;
    }
}

namespace {

std::string path_of(RememberedPaths& table, std::string_view name) {
    size_t line = table.find(name);
    return line == std::string_view::npos ? "none" : std::string(table.lines[line].path);
}

}  // namespace

TEST(ReadRemembered, LinesOutsideBodiesOnlyTheLastOneForANameCounts) {
    struct Case {
        std::string input;
        std::vector<std::string> lines;  // name=path, in input order
        std::vector<size_t> taken;
        std::string path_of_a;
    } cases[] = {
        {"hash a=/1\nhash b=/2\nhash a=/3\n", {"a=/1", "b=/2", "a=/3"}, {0, 10, 20}, "/3"},
        // A relative path leaves the earlier line alone, and its line is taken all the same.
        {"hash a=/1\nhash a=rel\n", {"a=/1"}, {0, 10}, "/1"},
        // Inside a body, even a here-document line that looks like one is body text.
        {"f () \n{ \n    cat <<E\nhash a=/1\nE\n}\nhash b=/2\n", {"b=/2"}, {35}, "none"},
        {"f () {\nhash a=/1\n", {}, {}, "none"},
        {"alias x=y\nhash a=/1\0\nhash b=/2"s, {"b=/2"}, {21}, "none"},
    };
    for (const Case& c : cases) {
        RememberedPaths table;
        std::vector<size_t> taken = read_remembered(c.input, c.input.size(), table);
        std::vector<std::string> lines;
        for (const RememberedPath& line : table.lines)
            lines.push_back(std::string(line.name) + "=" + std::string(line.path));
        EXPECT_EQ(lines, c.lines) << c.input;
        EXPECT_EQ(taken, c.taken) << c.input;
        EXPECT_EQ(path_of(table, "a"), c.path_of_a) << c.input;
    }
}

TEST(ReadRemembered, ManyLookupsGoThroughTheIndexWithTheSameAnswers) {
    RememberedPaths table;
    std::string input = "hash a=/1\nhash b=/2\nhash a=/3\n";
    read_remembered(input, input.size(), table);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(path_of(table, "a"), "/3");
        EXPECT_EQ(path_of(table, "b"), "/2");
        EXPECT_EQ(path_of(table, "c"), "none");
    }
    EXPECT_FALSE(table.last_by_name.empty());
}

TEST(ReadRemembered, TheLinesTakenAreNoAliasLines) {
    OptionSet options;
    options.opt_read_alias = true;
    options.opt_read_hash = true;
    std::string input = "alias ll='ls -l'\nhash ls=/bin/ls\nhash x\nbuiltin hash -p rel y\n";
    Definitions defs = read_definitions_from(input, options);
    std::vector<std::string> lines;
    for (std::string_view line : defs.AliasLines) lines.emplace_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"alias ll='ls -l'\n", "hash x\n"}));
    ASSERT_TRUE(defs.remembered);
    EXPECT_EQ(path_of(*defs.remembered, "ls"), "/bin/ls");

    options.opt_read_hash = false;
    defs = read_definitions_from(input, options);
    lines.clear();
    for (std::string_view line : defs.AliasLines) lines.emplace_back(line);
    EXPECT_EQ(lines.size(), 4u);
    EXPECT_FALSE(defs.remembered);
}
