#include "identity/identity.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "identity/passwd_file_test.h"

using IdentityNss = NssTest;

TEST_F(IdentityNss, RecordComesFromTheRealUsersEntry) {
    struct Case {
        const char* what;
        std::string passwd;
        const char* home;
    } cases[] = {
        {"full entry", "me:x:" + real_ids() + ":Me:/home/me:/bin/zsh\n", "/home/me"},
        {"empty home stays empty", "me:x:" + real_ids() + ":::/bin/zsh\n", ""},
        {"no entry", "other:x:4343:4343::/home/other:/bin/zsh\n", "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(write_passwd(c.passwd));
        EXPECT_EQ(user_home(), c.home);
        EXPECT_EQ(load_user_record().home, c.home);
    }
}

// Nothing is cached behind the caller's back: each call reads the database as it is then, and
// no call needs another made before it.
TEST_F(IdentityNss, EachCallReadsTheDatabaseAsItIs) {
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/first:/bin/sh\n"));
    EXPECT_EQ(user_home(), "/first");
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/second:/bin/zsh\n"));
    EXPECT_EQ(user_home(), "/second");
}

// Switches the effective ids for one scope; only root can, and gets them back afterwards.
class SwitchedIds {
  public:
    SwitchedIds(uid_t euid, gid_t egid) { ok_ = setegid(egid) == 0 && seteuid(euid) == 0; }
    ~SwitchedIds() {
        EXPECT_EQ(seteuid(0), 0);
        EXPECT_EQ(setegid(0), 0);
    }
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

// The record describes the real user, not the effective one.
TEST_F(IdentityNss, RecordIsTheRealUsers) {
    if (getuid() != 0 || geteuid() != 0 || getgid() != 0 || getegid() != 0)
        GTEST_SKIP() << "switching effective ids needs root";
    ASSERT_NO_FATAL_FAILURE(
        write_passwd("root:x:0:0::/root-home:/bin/sh\n"
                     "svc:x:1001:1001::/home/svc:/bin/sh\n"));
    SwitchedIds ids(1001, 0);
    ASSERT_TRUE(ids.ok());
    EXPECT_EQ(user_home(), "/root-home");
}

// Access is the effective ids' business: the group is the effective one, not the real one.
TEST(EffectiveIdsOfProcess, AreTheEffectiveOnes) {
    if (getuid() != 0 || geteuid() != 0 || getgid() != 0 || getegid() != 0)
        GTEST_SKIP() << "switching effective ids needs root";
    SwitchedIds switched(1001, 1002);
    ASSERT_TRUE(switched.ok());
    EffectiveIds ids = effective_ids();
    EXPECT_EQ(ids.uid, 1001u);
    EXPECT_EQ(ids.gid, 1002u);
    EXPECT_TRUE(ids.in_group(1002));
    EXPECT_FALSE(ids.in_group(1003));
}
