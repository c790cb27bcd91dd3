#include "tilde/tilde.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "identity/identity.h"
#include "identity/passwd_file_test.h"

namespace {

struct Case {
    std::string input;
    std::string expanded;
};

// One run with HOME at home (null: unset): each home is looked up once for all the cases.
void expect_expansions(const char* home, const std::vector<Case>& cases) {
    TildeHomes homes;
    homes.home_variable = home;
    for (const Case& c : cases)
        EXPECT_EQ(expand_tildes(c.input, homes), c.expanded) << "input: " << c.input;
}

}  // namespace

// Where tilde words begin and end; only the current user's home is involved here.
TEST(ExpandTildes, WordBoundaries) {
    expect_expansions(
        "/home/u",
        {
            {"~", "/home/u"},
            {"~/", "/home/u/"},
            {"~/bin", "/home/u/bin"},
            {"~/a ~/b", "/home/u/a /home/u/b"},
            {"~/a\t~/b", "/home/u/a\t/home/u/b"},  // a tab starts a word
            {"~/a\n~/b", "/home/u/a\n~/b"},        // a newline does not
            {"~/a~b", "/home/u/a~b"},              // nor does anything but a blank or tab
            {"~ x", "/home/u x"},                  // a blank ends a word
            {"~\n~", "/home/u\n~"},                // and so does a newline
            {"~ ~ ~", "/home/u /home/u /home/u"},
            {"~  ~", "/home/u  /home/u"},
            {"~/a ~", "/home/u/a /home/u"},
            {"", ""},
            {"bin", "bin"},
            {"a ~/b", "a /home/u/b"},  // only PATH entries that begin with '~' get here at all
            {"a~/b", "a~/b"},
        });
}

TEST(ExpandTildes, EmptyHome) {
    expect_expansions("", {{"~/bin", "/bin"}, {"~", ""}, {"~/a ~/b", "/a /b"}});
}

// The output grows well past its first guess of the size without losing a byte.
TEST(ExpandTildes, LongExpansions) {
    std::string long_home = "/" + std::string(100, 'h');
    TildeHomes homes_;
    homes_.home_variable = long_home.c_str();
    EXPECT_EQ(expand_tildes("~", homes_), long_home);
    std::string input = "~/a ~/b\t~/c";
    std::string expected = long_home + "/a " + long_home + "/b\t" + long_home + "/c";
    for (int i = 0; i < 200; ++i) {
        input += " ~/x" + std::to_string(i);
        expected += " " + long_home + "/x" + std::to_string(i);
    }
    EXPECT_EQ(expand_tildes(input, homes_), expected);
}

TEST(LeadingTildeUser, Table) {
    struct UserCase {
        const char* text;
        const char* user;
    } cases[] = {
        {"~nouser/bin", "nouser"},
        {"~svc ~x", "svc"},
        {"~a\nb", "a"},
        {"~\t~/x", "\t~"},
        {"~", ""},
        {"~/bin", ""},
        {"bin~x", ""},
        {"", ""},
    };
    for (const UserCase& c : cases) EXPECT_EQ(leading_tilde_user(c.text), c.user) << c.text;
}

TEST(JoinPrefixRest, Table) {
    struct JoinCase {
        const char* prefix;
        const char* text;
        size_t skip;
        const char* joined;
    } cases[] = {
        {"/home/u", "~/bin", 1, "/home/u/bin"},
        {"/home/u/", "~/bin", 1, "/home/u//bin"},  // no slash merged at the seam
        {"/home/u", "~", 1, "/home/u"},
        {"/home/svc", "~svc/bin", 4, "/home/svc/bin"},
        {"", "~/bin", 1, "/bin"},
        {nullptr, "~/bin", 1, "/bin"},
        {nullptr, "~svc", 4, ""},
        {"/p", "abc", 0, "/pabc"},
    };
    for (const JoinCase& c : cases)
        EXPECT_EQ(join_prefix_rest(c.prefix, c.text, c.skip), c.joined)
            << (c.prefix ? c.prefix : "(null)") << " + " << c.text << " from " << c.skip;
}

// Named users come from the password database, here nss_wrapper's files.
class TildeNss : public NssTest {
  protected:
    void SetUp() override {
        NssTest::SetUp();
        if (IsSkipped()) return;
    }
    TildeHomes homes_;  // one run's: the first case of each fixture starts it afresh
    const std::string users_ =
        "svc:x:60001:60001::/home/svc:/bin/sh\n"
        "nohome:x:60002:60002:::/bin/sh\n";
    const std::string root_ = "root:x:0:0::/root:/bin/sh\n";
};

TEST_F(TildeNss, NamedUsers) {
    ASSERT_NO_FATAL_FAILURE(write_passwd(users_ + root_));
    expect_expansions("/home/u", {
                                     {"~svc", "/home/svc"},
                                     {"~svc/bin", "/home/svc/bin"},
                                     {"~nohome/x", "/x"},
                                     {"~nohome", ""},
                                     {"~nosuch/x", "~nosuch/x"},
                                     {"~nosuch", "~nosuch"},
                                     {"~\t~/x", "~\t~/x"},  // one word: the user "\t~"
                                     {"~svc ~root/x", "/home/svc /root/x"},
                                     {"~root~", "~root~"},  // the user "root~"
                                     {"~/a ~svc/b\t~nosuch/c\n~svc/d",
                                      "/home/u/a /home/svc/b\t~nosuch/c\n~svc/d"},
                                 });
}

TEST_F(TildeNss, ExpandTildePrefixTakesWholeWords) {
    ASSERT_NO_FATAL_FAILURE(write_passwd(users_));
    homes_.home_variable = "/home/u";
    EXPECT_EQ(expand_tilde_prefix("~svc/bin/x", homes_), "/home/svc/bin/x");
    EXPECT_EQ(expand_tilde_prefix("~/bin", homes_), "/home/u/bin");
    EXPECT_EQ(expand_tilde_prefix("~nosuch/bin", homes_), "~nosuch/bin");
    EXPECT_EQ(expand_tilde_prefix("svc", homes_), "svc");
    EXPECT_EQ(expand_tilde_prefix("", homes_), "");
}

TEST_F(TildeNss, HomeUnsetUsesTheRealUsersEntry) {
    ASSERT_NO_FATAL_FAILURE(write_passwd(users_ + "me:x:" + real_ids() + "::/home/me:/bin/sh\n"));
    EXPECT_EQ(expand_tildes("~/a ~/b\t~ ~svc", homes_),
              "/home/me/a /home/me/b\t/home/me /home/svc");

    // Each home is looked up once per run: a database changed since does not show.
    ASSERT_NO_FATAL_FAILURE(write_passwd("me:x:" + real_ids() + "::/moved:/bin/sh\n"));
    EXPECT_EQ(expand_tildes("~/bin ~svc", homes_), "/home/me/bin /home/svc");
    TildeHomes next_run;
    EXPECT_EQ(expand_tildes("~/bin ~svc", next_run), "/moved/bin ~svc");
}

TEST_F(TildeNss, HomeUnsetWithoutEntryIsRoot) {
    ASSERT_NO_FATAL_FAILURE(write_passwd(users_));
    if (getuid() == 60001 || getuid() == 60002) GTEST_SKIP() << "the real user has an entry";
    EXPECT_EQ(expand_tildes("~/bin", homes_), "//bin");
    EXPECT_EQ(expand_tildes("~", homes_), "/");
}
