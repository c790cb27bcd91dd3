#include "fsfacts/walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// The parent of a walked path: a relative one climbs through "..", past its leading ones.
TEST(ParentOf, Table) {
    struct Case {
        std::string path, parent;
    } cases[] = {
        {"/", "/"},      {"/a", "/"},    {"/a/b", "/a"},        {"", ".."}, {"a", ""}, {"a/b", "a"},
        {"..", "../.."}, {"../a", ".."}, {"../..", "../../.."},
    };
    for (const Case& c : cases) EXPECT_EQ(parent_of(c.path), c.parent) << c.path;
}

TEST(PushComponents, FirstComponentLastSoTakenNext) {
    std::vector<std::string> pending{"kept"};
    push_components(pending, "/a//b/./c/");
    EXPECT_EQ(pending, (std::vector<std::string>{"kept", "c", ".", "b", "a"}));
}

TEST(Inside, PutsANameBelowTheDirectory) {
    EXPECT_EQ(inside(""), ".");
    EXPECT_EQ(inside("/"), "/.");
    EXPECT_EQ(inside("a/b"), "a/b/.");
    EXPECT_EQ(inside("a/"), "a/.");
}
