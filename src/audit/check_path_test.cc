#include <grp.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "audit/audit.h"

namespace {

// A scratch tree of directories with the modes the rows need; the audit writes into a string.
class CheckPath : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/trakko-audit.XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        root = pattern;
        for (auto [name, mode] : {std::pair{"/ok", 0755},
                                  {"/open", 0777},
                                  {"/sticky", 01777},
                                  {"/wonly", 0702},
                                  {"/grp", 0775},
                                  {"/grpw", 0765}}) {
            ASSERT_EQ(mkdir((root + name).c_str(), 0700), 0);
            ASSERT_EQ(chmod((root + name).c_str(), mode), 0);
        }
        sink = fopen("/dev/null", "w");
        ASSERT_NE(sink, nullptr);
    }
    void TearDown() override {
        if (sink != nullptr) fclose(sink);
        std::string command = "rm -rf '" + root + "'";
        EXPECT_EQ(system(command.c_str()), 0);
    }
    // The audit's lines and status for PATH, with "$S" standing for the scratch tree and "$ME"
    // for the effective user and group that own it.
    std::string audit(std::string path, int& status) {
        for (size_t at; (at = path.find("$S")) != std::string::npos;) path.replace(at, 2, root);
        RunContext run;
        run.path_list = path.c_str();
        run.out.stream = sink;
        std::string lines;
        run.out.copy = &lines;
        status = check_path(run);
        const struct passwd* user = getpwuid(geteuid());
        const struct group* group = getgrgid(getegid());
        std::string me = std::string(user != nullptr ? user->pw_name : "") + " " +
                         (group != nullptr ? group->gr_name : "") + ")";
        for (size_t at; !me.empty() && (at = lines.find(me)) != std::string::npos;)
            lines.replace(at, me.size(), "$ME)");
        for (size_t at; (at = lines.find(root)) != std::string::npos;)
            lines.replace(at, root.size(), "$S");
        return lines;
    }
    std::string root;
    FILE* sink = nullptr;
};

// Each row one PATH: which findings, which status. Modes decide, so no other user is needed:
// a class writes a name into a directory only when it may search it too.
TEST_F(CheckPath, Table) {
    struct Row {
        const char* path;
        const char* lines;
        int status;
    } rows[] = {
        {"$S/ok", "", 0},
        {"$S/open", "1: $S/open: writable by others: $S/open (drwxrwxrwx $ME)\n", 1},
        {"$S/wonly", "", 0},  // others may write but not search
        {"$S/grpw", "", 0},   // and so may the group
        {"$S/grp", "1: $S/grp: writable by group: $S/grp (drwxrwxr-x $ME)\n", 1},
        // A missing entry under a sticky directory: its creator may make it, the sticky bit
        // aside.
        {"$S/sticky/sub",
         "1: $S/sticky/sub: missing\n"
         "1: $S/sticky/sub: writable by others: $S/sticky (drwxrwxrwt $ME)\n",
         1},
        {"$S/open/gone/x",
         "1: $S/open/gone/x: missing\n"
         "1: $S/open/gone/x: writable by others: $S/open (drwxrwxrwx $ME)\n",
         1},
        {"$S/wonly/none", "1: $S/wonly/none: missing\n", 1},
        {"::",
         "1: (empty): empty: stands for the working directory\n"
         "2: (empty): empty: stands for the working directory\n"
         "2: (empty): duplicate of entry 1\n"
         "3: (empty): empty: stands for the working directory\n"
         "3: (empty): duplicate of entry 1\n",
         3},
        {"$S/ok:$S/ok/", "2: $S/ok/: note: the same directory as entry 1\n", 0},
        {"$S/ok:$S/ok", "2: $S/ok: duplicate of entry 1\n", 1},
    };
    for (const Row& row : rows) {
        int status = -1;
        EXPECT_EQ(audit(row.path, status), row.lines) << row.path;
        EXPECT_EQ(status, row.status) << row.path;
    }
}

}  // namespace
