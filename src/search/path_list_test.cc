#include "search/path_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

static std::vector<std::string> split(const char* list) {
    std::vector<std::string> entries;
    size_t pos = 0;
    std::string entry;
    while (next_path_entry(list, pos, entry)) entries.push_back(entry);
    return entries;
}

TEST(NextPathEntry, ColonRuleTable) {
    struct Case {
        const char* list;
        std::vector<std::string> entries;
    } cases[] = {
        {"", {}},
        {"/bin:/usr/bin", {"/bin", "/usr/bin"}},
        {"/bin::/usr/bin", {"/bin", ".", "/usr/bin"}},
        {"/bin:::/usr/bin", {"/bin", ".", "/usr/bin"}},
        {"/bin::::/usr/bin", {"/bin", ".", ".", "/usr/bin"}},
        {":/bin", {".", "/bin"}},
        {"::/bin", {".", "/bin"}},
        {":::/bin", {".", ".", "/bin"}},
        {"/bin:", {"/bin", "."}},
        {"/bin::", {"/bin", "."}},
        {"/bin:::", {"/bin", ".", "."}},
        {":", {"."}},
        {"::", {".", "."}},
        {"a:.:b", {"a", ".", "b"}},
        {"~/bin:x~y", {"~/bin", "x~y"}},
    };
    for (const Case& c : cases) EXPECT_EQ(split(c.list), c.entries) << "PATH=" << c.list;
}

TEST(NextPathEntry, AbsentListHasNoEntries) {
    EXPECT_TRUE(split(nullptr).empty());
}

TEST(JoinDirName, AddsOneSlashOnlyWhenNeeded) {
    EXPECT_EQ(join_dir_name("", "x"), "x");
    EXPECT_EQ(join_dir_name("/", "x"), "/x");
    EXPECT_EQ(join_dir_name("/bin/", "x"), "/bin/x");
    EXPECT_EQ(join_dir_name("/bin", "x"), "/bin/x");
    EXPECT_EQ(join_dir_name("/bin", ""), "/bin/");
}
