#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "defs/defs.h"
#include "util/util.h"

using namespace std::string_literals;

namespace {

// The options and the definitions of the current case: each read is a run of its own.
OptionSet options;
Definitions defs;

// Sets the two reading options for one test.
struct ReadOptions {
    ReadOptions(bool read_alias, bool read_functions) {
        options = OptionSet{};
        options.opt_read_alias = read_alias;
        options.opt_read_functions = read_functions;
    }
};

// Reads input as a run would; returns the header form it chose.
int read_from(std::string_view input) {
    defs = read_definitions_from(input, options);
    return defs.brace_style ? 1 : 0;
}

std::vector<std::string> alias_lines() {
    std::vector<std::string> lines;
    for (std::string_view line : defs.AliasLines) lines.emplace_back(line);
    return lines;
}

std::vector<std::string> function_names() {
    std::vector<std::string> names;
    for (const FunctionDef& def : defs.function_table.records) names.emplace_back(def.name);
    return names;
}

}  // namespace

TEST(ReadDefinitions, HeaderTable) {
    ReadOptions read(0, 1);
    struct Case {
        std::string line;
        std::vector<std::string> names;
        int brace;
    } cases[] = {
        {"f () \n", {"f"}, 0},
        {"f ()\t \r\n", {"f"}, 0},
        {"f ()\v\f\n", {"f"}, 0},
        {"f ()", {"f"}, 0},
        {"f ()\xa0\n", {}, 0},
        {"f () {\n", {"f"}, 1},
        {"f () {  \n", {"f"}, 1},
        {"declare -f foo ()\n", {"foo"}, 0},
        {"declare - foo ()\n", {"foo"}, 0},
        {"declare -fx foo bar ()\n", {"foo"}, 0},
        {"declare -f foo () {\n", {"declare"}, 1},
        {"declare -f ()\n", {"()\n"}, 0},
        {"a b ()\n", {"a"}, 0},
        {"a\tb ()\n", {"a\tb"}, 0},
        {"  f ()\n", {""}, 0},
        {" ()\n", {""}, 0},
        {" () {\n", {}, 0},
        {"f (){\n", {}, 0},
        {"f()\n", {}, 0},
        {"f\t()\n", {}, 0},
        {"f ( )\n", {}, 0},
        {"f () {x\n", {}, 0},
        {"()", {}, 0},
        {")", {}, 0},
        {"   \n", {}, 0},
        {"f\0 ()\n"s, {}, 0},
        {"\0f ()\n"s, {}, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(read_from(c.line), c.brace) << c.line;
        EXPECT_EQ(function_names(), c.names) << c.line;
    }
}

TEST(ReadDefinitions, Bodies) {
    ReadOptions read(0, 1);
    std::string long_line(1023, 'x');
    struct Case {
        std::string input;
        std::string body;
        int line_count;
    } cases[] = {
        {"f () \n{ \n    echo hi\n}\n", "{ \n    echo hi\n}\n", 3},
        {"f () {\n  foo\n}\nrest\n", "  foo\n}\n", 2},
        {"f ()\n{\ng ()\n}\n", "{\ng ()\n}\n", 3},
        {"f ()\n} \n}", "} \n}", 2},
        {"f ()\n", "", 0},
        // A long line is one line: its tail is neither a closing line nor a line of its own.
        {"f ()\n{\n" + long_line + "}\n  echo\n}\n", "{\n" + long_line + "}\n  echo\n}\n", 4},
        // Braces that do not stand alone on their line do not end the body.
        {"f ()\n{\n  x=${y}\n}}\n }\n}x\n}\n", "{\n  x=${y}\n}}\n }\n}x\n}\n", 6},
        {"f ()\n}\nrest\n", "}\n", 1},
        {"f ()\n{\n\0}\n}\n"s, "{\n\0}\n}\n"s, 3},
        {"f ()\n{\n}", "{\n}", 2},
        // Long lines before the closing one, and a body of nothing but line ends.
        {"f ()\n" + std::string(237, 'x') + "\n}\n", std::string(237, 'x') + "\n}\n", 2},
        {"f ()\n" + std::string(238, 'x') + "\n}\n", std::string(238, 'x') + "\n}\n", 2},
        {"f ()\n" + std::string(600, '\n') + "}\n", std::string(600, '\n') + "}\n", 601},
    };
    for (const Case& c : cases) {
        read_from(c.input);
        ASSERT_EQ(defs.function_table.records.size(), 1u) << c.input;
        EXPECT_EQ(defs.function_table.records[0].body, c.body) << c.input;
        EXPECT_EQ(body_line_count(defs.function_table.records[0]), c.line_count) << c.input;
    }
}

TEST(ReadDefinitions, BraceStyleHoldsForTheWholeRunAndEachCallStartsAfresh) {
    ReadOptions read(1, 1);
    EXPECT_EQ(read_from("g ()\n{\n}\nf () {\n}\nh ()\n{\n}\n"), 1);
    EXPECT_TRUE(defs.brace_style);
    EXPECT_EQ(function_names(), (std::vector<std::string>{"g", "f", "h"}));
    EXPECT_EQ(read_from("alias a=b\n"), 0);
    EXPECT_FALSE(defs.brace_style);
    EXPECT_TRUE(defs.function_table.records.empty());
    EXPECT_EQ(alias_lines(), (std::vector<std::string>{"alias a=b\n"}));
    EXPECT_EQ(read_from(""), 0);
    EXPECT_TRUE(alias_lines().empty());
}

TEST(ReadDefinitions, SameNameTwiceKeepsBothAndFindsTheFirst) {
    ReadOptions read(0, 1);
    read_from("f ()\n{ one\n}\nf ()\n{ two\n}\n");
    ASSERT_EQ(defs.function_table.records.size(), 2u);
    ASSERT_NE(find_function(defs.function_table, "f"), nullptr);
    EXPECT_EQ(find_function(defs.function_table, "f")->body, "{ one\n}\n");
    EXPECT_EQ(find_function(defs.function_table, "F"), nullptr);
}

// The first lookups scan the records and later ones go through the index: both find the first
// record of a name, and neither finds a name that is not there.
TEST(ReadDefinitions, LookupsBeforeAndAfterTheIndexAgree) {
    ReadOptions read(0, 1);
    std::string listing;
    for (int i = 0; i < 100; ++i)
        listing += "f" + std::to_string(i) + " ()\n{ " + std::to_string(i) + "\n}\n";
    listing += "f7 ()\n{ again\n}\n ()\n{ empty\n}\n";
    read_from(listing);
    for (int round = 0; round < 3; ++round) {
        for (int i = 0; i < 100; i += 7) {
            const FunctionDef* def = find_function(defs.function_table, "f" + std::to_string(i));
            ASSERT_NE(def, nullptr) << i;
            EXPECT_EQ(def->body, "{ " + std::to_string(i) + "\n}\n") << i;
        }
        EXPECT_EQ(find_function(defs.function_table, "f100"), nullptr);
        EXPECT_EQ(find_function(defs.function_table, "f"), nullptr);
        ASSERT_NE(find_function(defs.function_table, ""), nullptr);
        EXPECT_EQ(find_function(defs.function_table, "")->body, "{ empty\n}\n");
    }
    EXPECT_FALSE(defs.function_table.first_by_name.empty());
}

TEST(ReadDefinitions, AliasLineTable) {
    std::string long_alias = "alias l='" + std::string(1488, 'y') + "'\n";
    std::string listing = "alias a='b'\ndeclare -fx f\n\0nul\nf () \n{ \n}\nalias c=d\n"s;
    struct Case {
        int read_alias, read_functions;
        std::string input;
        std::vector<std::string> lines;
    } cases[] = {
        {1, 1, listing, {"alias a='b'\n"}},
        {1, 0, listing, {"alias a='b'\n", "", "f () \n", "{ \n", "}\n", "alias c=d\n"}},
        {0, 1, listing, {}},
        {1, 1, "f ()\n{\n}\nalias a=b\n", {}},
        {1, 1, long_alias + "x", {long_alias, "x"}},
        {1, 0, "alias a='b'\0junk\nalias c\n"s, {"alias a='b'", "alias c\n"}},
        {1, 1, "declare -\ndeclare -a\ndeclare x\n", {"declare x\n"}},
    };
    for (const Case& c : cases) {
        ReadOptions read(c.read_alias, c.read_functions);
        read_from(c.input);
        EXPECT_EQ(alias_lines(), c.lines) << c.read_alias << c.read_functions << c.input;
    }
}
