#include "shell/alias_words.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using R = WordRequest;

// Each command as "word" or "word/request" (c: no function, n: no function nor builtin,
// b: builtin only), a "*" after a modifier.
std::string shown(const std::vector<AliasCommand>& commands) {
    std::string text;
    for (const AliasCommand& command : commands) {
        if (!text.empty()) text += ' ';
        text += command.word;
        if (command.request == R::no_function) text += "/c";
        if (command.request == R::no_function_no_builtin) text += "/n";
        if (command.request == R::builtin_only) text += "/b";
        if (command.modifier) text += '*';
    }
    return text;
}

const std::map<std::string, std::string, std::less<>> inner_aliases = {
    {"inner", "innercmd --flag"}, {"ll", "ls -l"},  {"s", "sudo "}, {"c", "command "},
    {"loop", "loop again"},       {"semi", "a; b"}, {"me", "x"}};

std::string commands_of(ShellName shell, std::string_view value) {
    AliasValueOf value_of = [](std::string_view name) -> std::optional<std::string> {
        auto found = inner_aliases.find(name);
        if (found == inner_aliases.end()) return std::nullopt;
        return found->second;
    };
    return shown(alias_commands(shell, "me", value, value_of));
}

struct Row {
    ShellName shell;
    const char* value;
    const char* commands;
};

constexpr ShellName bash = ShellName::bash, zsh = ShellName::zsh, ksh = ShellName::ksh93,
                    mksh = ShellName::mksh, fish = ShellName::fish;

const Row rows[] = {
    // Separators and groups: every command that runs.
    {bash, "target; true && a || b\nls", "target true a b ls"},
    {bash, "a|b|&e &d", "a b e d"},
    {bash, "(a; b) | { e; } && ! d", "a b e d"},
    {bash, "if a; then b; fi; e", "a b e"},
    {fish, "begin; a; end; and b; or not e", "a b e"},
    // Quoting, as the word reaches the shell.
    {bash, "'ta'\"rg\"et -l", "target"},
    {bash, "\\target -l 'x; y'", "target"},
    {bash, "a \"x | y\" $(b | c) `d; e` ${f;g}", "a"},
    {bash, "a # b; c", "a"},
    {bash, "$EDITOR file; b", "b"},
    // Assignments and redirections before the command word.
    {bash, "LC_ALL=C X+=1 target", "target"},
    {bash, ">out 2>&1 <in target >x", "target"},
    {bash, "a 2>/dev/null | b", "a b"},
    // Inner aliases: expanded, not the alias itself, not when quoted; the blank rule.
    {bash, "inner x", "innercmd"},
    {bash, "me --x", "me"},
    {bash, "\\inner; 'll'", "inner ll"},
    {bash, "loop", "loop"},
    {bash, "s ll", "sudo"},
    {bash, "c ll", "command* ls/c"},
    {bash, "semi | c2", "a b c2"},
    {bash, "X=1 ll; ! ll", "ls ls"},
    {bash, "command ll", "command* ll/c"},
    {bash, "time ll", "time* ls"},
    {fish, "c ll", "command* ll/n"},
    // Precommand modifiers, each shell's way.
    {bash, "command -p both", "command* both/c"},
    {zsh, "command both", "command* both/n"},
    {fish, "command both", "command* both/n"},
    {bash, "command -v both", "command*"},
    {bash, "builtin echo x", "builtin* echo/b"},
    {ksh, "builtin echo", "builtin*"},
    {mksh, "\\\\builtin whence -v", "\\builtin* whence/b"},
    {bash, "\\\\builtin whence -v", "\\builtin"},
    {bash, "exec -a name target", "exec* target/n"},
    {bash, "time -p target", "time* target"},
    {bash, "\\time target", "time"},
    {zsh, "noglob find .; nocorrect ll; - ll", "noglob* find nocorrect* ls -* ll"},
    {bash, "noglob find", "noglob"},
};

TEST(AliasWords, EachRowRunsItsCommands) {
    for (const Row& row : rows)
        EXPECT_EQ(commands_of(row.shell, row.value), row.commands) << row.value;
}

TEST(AliasWords, ValuesLoseTheQuotingOfTheirListing) {
    EXPECT_EQ(alias_value("alias l3='ls '\\''a b'\\'''\n"), "ls 'a b'");
    EXPECT_EQ(alias_value("l3=$'ls \\'a b\\''\n"), "ls 'a b'");
    EXPECT_EQ(alias_value("t=$'ls\\t-l'"), "ls\t-l");
    EXPECT_EQ(alias_value("g=git\n"), "git");
    EXPECT_EQ(alias_value("type='\\\\builtin whence -v'\n"), "\\\\builtin whence -v");
    EXPECT_EQ(alias_value("alias x='a $'\n"), "a $");
    EXPECT_EQ(alias_value("x='a\nb'\n"), "a\nb");
}

TEST(AliasWords, AQuoteLeftOpenGoesOnOnTheNextLine) {
    EXPECT_TRUE(quote_left_open("alias sq='target\n"));
    EXPECT_TRUE(quote_left_open("x=$'a\\'b\n"));
    EXPECT_TRUE(quote_left_open("x=\"a\\\"\n"));
    EXPECT_FALSE(quote_left_open("alias l3='ls '\\''a b'\\'''\n"));
    EXPECT_FALSE(quote_left_open("l3=$'ls \\'a b\\''\n"));
    EXPECT_FALSE(quote_left_open("g=git\n"));
    EXPECT_FALSE(quote_left_open("e=a\\'b\n"));
}

// An alias made of aliases doubles at every level; the expansion stops instead of growing.
TEST(AliasWords, ExpansionIsBounded) {
    AliasValueOf value_of = [](std::string_view name) -> std::optional<std::string> {
        if (name.size() > 40) return std::nullopt;
        return std::string(name) + "a;" + std::string(name) + "b";
    };
    EXPECT_LE(alias_commands(ShellName::bash, "top", "x", value_of).size(), 8192u);
}

}  // namespace
