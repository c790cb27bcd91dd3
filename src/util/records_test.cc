#include "util/records.h"

#include <gtest/gtest.h>

// Answers go to the innermost open record: a command of an alias value, and within it a command
// of an inner alias, each nested in the alias answered last; found follows the answers.
TEST(Records, NestsTheRunsOfAliases) {
    Records records;
    records.commands.resize(2);
    records.commands[0].name = "ll";
    records.commands[1].name = "x";
    records.open.push_back(&records.commands[0]);
    records.add("alias", "line", "alias ll='l'");
    records.begin_run("l");
    records.add("alias", "line", "alias l='ls'");
    records.begin_run("ls");
    records.add("file", "path", "/bin/ls", 3);
    records.end_run();
    records.end_run();
    records.begin_run("nosuch");
    records.end_run();
    records.end_run();
    EXPECT_TRUE(records.open.empty());
    EXPECT_EQ(record_line(records.commands[0]),
              "{\"name\":\"ll\",\"found\":true,\"answers\":[{\"kind\":\"alias\",\"line\":\"alias "
              "ll='l'\",\"runs\":[{\"name\":\"l\",\"found\":true,\"answers\":[{\"kind\":\"alias\","
              "\"line\":\"alias l='ls'\",\"runs\":[{\"name\":\"ls\",\"found\":true,\"answers\":[{"
              "\"kind\":\"file\",\"path\":\"/bin/ls\",\"entry\":3}]}]}]},{\"name\":\"nosuch\","
              "\"found\":false,\"answers\":[]}]}]}\n");
    EXPECT_EQ(record_line(records.commands[1]),
              "{\"name\":\"x\",\"found\":false,\"answers\":[]}\n");
}
