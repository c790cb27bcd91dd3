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
        const char* name;
        const char* shell;
        const char* home;
    } cases[] = {
        {"full entry", "me:x:" + real_ids() + ":Me:/home/me:/bin/zsh\n", "me", "/bin/zsh",
         "/home/me"},
        {"empty shell", "me:x:" + real_ids() + "::/home/me:\n", "me", "/bin/sh", "/home/me"},
        {"empty home stays empty", "me:x:" + real_ids() + ":::/bin/zsh\n", "me", "/bin/zsh", ""},
        {"no entry", "other:x:4343:4343::/home/other:/bin/zsh\n", "I have no name!", "/bin/sh",
         "/"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_NO_FATAL_FAILURE(write_passwd(c.passwd));
        UserRecord record = load_user_record();
        EXPECT_EQ(user_home(), c.home);
        EXPECT_EQ(record.name, c.name);
        EXPECT_EQ(record.shell, c.shell);
    }
}

// Nothing is cached behind the caller's back: each call reads the database as it is then, and
// no call needs another made before it.
TEST_F(IdentityNss, EachCallReadsTheDatabaseAsItIs) {
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/first:/bin/sh\n"));
    EXPECT_EQ(user_home(), "/first");
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/second:/bin/zsh\n"));
    EXPECT_EQ(load_user_record().shell, "/bin/zsh");
    EXPECT_EQ(user_home(), "/second");
}

// Switches the effective ids for one scope; only root can, and gets them back afterwards.
class EffectiveIds {
  public:
    EffectiveIds(uid_t euid, gid_t egid) { ok_ = setegid(egid) == 0 && seteuid(euid) == 0; }
    ~EffectiveIds() {
        EXPECT_EQ(seteuid(0), 0);
        EXPECT_EQ(setegid(0), 0);
    }
    bool ok() const { return ok_; }

  private:
    bool ok_;
};

TEST_F(IdentityNss, IdsCompareRealAndEffective) {
    if (getuid() != 0 || geteuid() != 0 || getgid() != 0 || getegid() != 0)
        GTEST_SKIP() << "switching effective ids needs root";
    ASSERT_NO_FATAL_FAILURE(
        write_passwd("root:x:0:0::/root-home:/bin/sh\n"
                     "svc:x:1001:1001::/home/svc:/bin/sh\n"));
    EXPECT_FALSE(ids_differ(refresh_ids()));
    {
        EffectiveIds ids(1001, 0);
        ASSERT_TRUE(ids.ok());
        EXPECT_TRUE(ids_differ(refresh_ids()));
        EXPECT_EQ(refresh_ids().euid, 1001u);
        // The record describes the real user, not the effective one.
        EXPECT_EQ(user_home(), "/root-home");
        EXPECT_EQ(load_user_record().name, "root");
    }
    {
        EffectiveIds ids(0, 1001);
        ASSERT_TRUE(ids.ok());
        EXPECT_TRUE(ids_differ(refresh_ids()));
        EXPECT_EQ(refresh_ids().egid, 1001u);
    }
    EXPECT_FALSE(ids_differ(refresh_ids()));
}
