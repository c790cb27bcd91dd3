#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "defs/commands_test.h"
#include "defs/defs.h"
#include "util/util.h"

namespace {

std::vector<std::string> words_of(std::string_view line) {
    AliasParts parts = split_alias_line(line);
    std::vector<std::string> words;
    std::string_view word;
    while (next_command_word(parts.words, word)) words.emplace_back(word);
    return words;
}

}  // namespace

TEST(AliasLine, NameAndWordTable) {
    struct Case {
        std::string line;
        std::string name;
        std::vector<std::string> words;
    } cases[] = {
        {"alias ll='ls -l'\n", "ll", {"ls"}},
        {"ll='ls -l'\n", "ll", {"ls"}},
        {"  \talias \t ll = 'ls -l'\n", "ll", {"ls"}},
        {"aliasll='ls -l'\n", "ll", {"ls"}},
        {"alias ll='ls -l | grep x || wc && sort & tee; cat'\n",
         "ll",
         {"ls", "grep", "wc", "sort", "tee;"}},
        {"alias ll=\"ls -l|grep x||wc&&sort&tee\"\n", "ll", {"ls", "grep", "wc", "sort", "tee"}},
        {"alias x=ls\tfoo\n", "x", {"ls"}},
        {"alias x 'ls'\n", "x", {"ls"}},
        {"alias x=  \t'  ls'\n", "x", {"ls"}},
        {"alias ll=ls\n", "ll", {"ls"}},
        {"g=git\n", "g", {"git"}},
        {"alias x=''\n", "x", {""}},
        {"alias x='ls &'\n", "x", {"ls", ""}},
        {"alias x='ls |& wc'\n", "x", {"ls", "", "wc"}},
        {"alias x='a;b'\n", "x", {"a;b"}},
        {"alias x='a \"b|c\" d'\n", "x", {"a", "c\""}},
        {"alias x=\"a 'b|c' d\"\n", "x", {"a", "c'"}},
        {"alias x='(a)<b>c'\n", "x", {"(a)<b>c"}},
        {"alias x=a|||&&b\n", "x", {"a", "", "b"}},
        {"alias x\n", "x\n", {""}},
        {"alias x", "x", {""}},
        {"alias =ls\n", "", {"ls"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split_alias_line(c.line).name, c.name) << c.line;
        EXPECT_EQ(words_of(c.line), c.words) << c.line;
    }
}

TEST(FirstUnstruck, ManyCopiesOfOneCommand) {
    Commands commands(std::vector<std::string>(1000, "ll"));
    for (size_t i = 0; i < 1000; ++i) {
        ASSERT_EQ(first_unstruck(commands.list, "ll"), i);
        commands.list.entries[i] = nullptr;
    }
    EXPECT_EQ(first_unstruck(commands.list, "ll"), std::string_view::npos);
    EXPECT_EQ(first_unstruck(commands.list, "ls"), std::string_view::npos);
}
