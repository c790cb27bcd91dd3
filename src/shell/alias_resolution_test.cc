#include "shell/alias_resolution.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "defs/commands_test.h"

namespace {

// Resolves lines against commands with no PATH and no functions; returns what was printed.
std::string resolve(std::vector<std::string> lines, Commands& commands, bool all) {
    RunContext run;
    run.options.opt_all = all;
    Definitions defs;
    char* buffer = nullptr;
    size_t size = 0;
    run.out.stream = open_memstream(&buffer, &size);
    for (const std::string& line : lines) resolve_alias_line(run, defs, line, commands.list);
    fclose(run.out.stream);
    std::string text(buffer, size);
    free(buffer);
    return text;
}

}  // namespace

TEST(AliasLine, StrikesTheFirstLiveMatchOnly) {
    Commands commands({"x", "ll", "ll"});
    EXPECT_EQ(resolve({"alias ll='ls'\n"}, commands, false), "alias ll='ls'\n");
    EXPECT_EQ(commands.struck(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(resolve({"alias ll='ls'\n", "alias ll=a\n", "alias y=z\n"}, commands, false),
              "alias ll='ls'\n");
    EXPECT_EQ(commands.struck(), (std::vector<bool>{false, true, true}));
}

TEST(AliasLine, WithAllOnlyAnEqualWordStrikes) {
    Commands same({"ls", "ls"});
    EXPECT_EQ(resolve({"alias ls='ls -F'\n"}, same, true), "alias ls='ls -F'\n");
    EXPECT_EQ(same.struck(), (std::vector<bool>{true, false}));

    Commands other({"ll"});
    EXPECT_EQ(resolve({"alias ll='ls -F'\n", "alias ll=x\n"}, other, true),
              "alias ll='ls -F'\nalias ll=x\n");
    EXPECT_EQ(other.struck(), (std::vector<bool>{false}));
}

TEST(AliasLine, NoCommandsOrNoMatchPrintNothing) {
    Commands none({});
    EXPECT_EQ(resolve({"alias ll='ls'\n"}, none, false), "");
    Commands newline({"x"});
    EXPECT_EQ(resolve({"alias x\n", "alias  X=x\n"}, newline, false), "");
    EXPECT_EQ(newline.struck(), (std::vector<bool>{false}));
}

namespace {

// The whole alias stage over a listing, under --shell=bash with functions read; what it printed.
std::string resolve_listing(const std::string& listing, Commands& commands) {
    RunContext run;
    run.options.opt_read_alias = run.options.opt_read_functions = true;
    run.options.shell = ShellName::bash;
    Definitions defs = read_definitions_from(listing, run.options);
    char* buffer = nullptr;
    size_t size = 0;
    run.out.stream = open_memstream(&buffer, &size);
    resolve_aliases(run, defs, commands.list);
    fclose(run.out.stream);
    std::string text(buffer, size);
    free(buffer);
    return text;
}

}  // namespace

// "command f" skips the function that a plain "f" shows: one word asked for in two ways is
// answered twice, not once from what the first printed.
TEST(AliasLine, AsTheShellReadsIt) {
    Commands commands({"x", "nl"});
    std::string listing =
        "alias inner='f'\nalias nl='g\ninner'\nalias x='command f; inner; f'\n"
        "f () \n{ \n    y\n}\n";
    EXPECT_EQ(resolve_listing(listing, commands),
              "alias nl='g\ninner'\n\tf ()\n\t{ \n\t    y\n\t}\n"
              "alias x='command f; inner; f'\n\tf ()\n\t{ \n\t    y\n\t}\n"
              "\tf ()\n\t{ \n\t    y\n\t}\n");
    EXPECT_EQ(commands.struck(), (std::vector<bool>{true, true}));
}
