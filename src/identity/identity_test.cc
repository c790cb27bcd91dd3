#include "identity/identity.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <unistd.h>

#include <string>

#include "identity/passwd_file_test.h"

// Every case starts from the record as the program loads it, ids unread.
class IdentityNss : public NssTest {
  protected:
    void SetUp() override {
        NssTest::SetUp();
        user_record = UserRecord{};
    }
};

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
        user_record = UserRecord{};
        ASSERT_NO_FATAL_FAILURE(write_passwd(c.passwd));
        refresh_ids();
        EXPECT_STREQ(user_home(), c.home);
        EXPECT_EQ(user_record.name, c.name);
        EXPECT_EQ(user_record.shell, c.shell);
    }
}

TEST_F(IdentityNss, DatabaseIsReadOncePerLoad) {
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/first:/bin/sh\n"));
    refresh_ids();
    const char* first = user_home();
    EXPECT_STREQ(first, "/first");

    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/second:/bin/sh\n"));
    const struct passwd* entry = getpwuid(getuid());
    ASSERT_NE(entry, nullptr);
    ASSERT_STREQ(entry->pw_dir, "/second");  // the database did change
    endpwent();

    EXPECT_EQ(user_home(), first);
    EXPECT_STREQ(user_home(), "/first");
    // The same real user again keeps what was loaded.
    refresh_ids();
    EXPECT_STREQ(user_home(), "/first");
}

TEST_F(IdentityNss, AnotherRealUserDropsTheLoadedTexts) {
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/first:/bin/sh\n"));
    refresh_ids();
    EXPECT_STREQ(user_home(), "/first");

    // As if the texts had been loaded while the process ran as some other real user.
    user_record.uid = getuid() + 1;
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/second:/bin/sh\n"));
    refresh_ids();
    EXPECT_EQ(user_record.uid, getuid());
    EXPECT_STREQ(user_home(), "/second");
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

TEST_F(IdentityNss, RefreshIdsComparesRealAndEffectiveIds) {
    if (getuid() != 0 || geteuid() != 0 || getgid() != 0 || getegid() != 0)
        GTEST_SKIP() << "switching effective ids needs root";
    ASSERT_NO_FATAL_FAILURE(
        write_passwd("root:x:0:0::/root-home:/bin/sh\n"
                     "svc:x:1001:1001::/home/svc:/bin/sh\n"));
    EXPECT_EQ(refresh_ids(), 0);
    {
        EffectiveIds ids(1001, 0);
        ASSERT_TRUE(ids.ok());
        EXPECT_EQ(refresh_ids(), 1);
        EXPECT_EQ(user_record.euid, 1001u);
        // The record describes the real user, not the effective one.
        EXPECT_STREQ(user_home(), "/root-home");
        EXPECT_EQ(user_record.name, "root");
    }
    {
        EffectiveIds ids(0, 1001);
        ASSERT_TRUE(ids.ok());
        EXPECT_EQ(refresh_ids(), 1);
        EXPECT_EQ(user_record.egid, 1001u);
    }
    EXPECT_EQ(refresh_ids(), 0);
}
