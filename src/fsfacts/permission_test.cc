#include "fsfacts/permission.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct stat status_of(mode_t mode, uid_t owner, gid_t group) {
    struct stat status {};
    status.st_mode = mode;
    status.st_uid = owner;
    status.st_gid = group;
    return status;
}

constexpr unsigned rwx = 7, r_x = 5, rw_ = 6, r__ = 4;

}  // namespace

// Adding a name to a directory takes write and search both; the sticky bit is the audit's
// business, not this one's.
TEST(WritersOf, Table) {
    const uid_t me = 1000;
    struct Case {
        mode_t mode;
        std::vector<AclEntry> acl;
        std::vector<Writer> writers;
    } cases[] = {
        {S_IFDIR | 0777, {}, {{Writer::others}}},
        {S_IFDIR | 01777, {}, {{Writer::others}}},
        {S_IFDIR | 0772, {}, {{Writer::group}}},  // others write, cannot search
        {S_IFDIR | 0762, {}, {}},                 // nor can the group
        {S_IFDIR | 0775, {}, {{Writer::group}}},
        {S_IFDIR | 0755, {}, {}},
        {S_IFDIR | 0703, {}, {{Writer::others}}},
        // The mask bounds the owning group and the named entries, not the others.
        {S_IFDIR | 0757,
         {{acl_user_obj, rwx, 0}, {acl_group_obj, rwx, 0}, {acl_mask, r_x, 0}, {acl_other, rwx, 0}},
         {{Writer::others}}},
        {S_IFDIR | 0755,
         {{acl_user_obj, rwx, 0},
          {acl_user, rwx, 60001},
          {acl_user, rw_, 60002},  // write without search
          {acl_user, rwx, 0},      // root may anyway
          {acl_user, rwx, me},     // and so may the effective user
          {acl_group_obj, r_x, 0},
          {acl_group, rwx, 60050},
          {acl_group, rw_, 60051},
          {acl_mask, rwx, 0},
          {acl_other, r_x, 0}},
         {{Writer::user_entry, 60001}, {Writer::group_entry, 60050}}},
        {S_IFDIR | 0755,
         {{acl_user_obj, rwx, 0},
          {acl_user, rwx, 60001},
          {acl_group_obj, rwx, 0},
          {acl_mask, r_x, 0},
          {acl_other, r_x, 0}},
         {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(writers_of(status_of(c.mode, 0, 0), c.acl, me), c.writers) << std::oct << c.mode;
}

// The kernel's order: the owner's entry, a named user's, any group entry that grants (and a
// refusal once one matched), the others'; root by any execute bit.
TEST(ExecGrant, Table) {
    const EffectiveIds user{1000, 100, {200}};
    const EffectiveIds root{0, 0, {}};
    const std::vector<AclEntry> none;
    std::vector<AclEntry> named_user = {{acl_user_obj, rwx, 0},
                                        {acl_user, r__, 1000},
                                        {acl_group_obj, r_x, 0},
                                        {acl_mask, r_x, 0},
                                        {acl_other, r_x, 0}};
    std::vector<AclEntry> masked_user = {{acl_user_obj, rwx, 0},
                                         {acl_user, rwx, 1000},
                                         {acl_group_obj, r_x, 0},
                                         {acl_mask, r__, 0},
                                         {acl_other, r_x, 0}};
    std::vector<AclEntry> masked_group = {{acl_user_obj, rwx, 0},
                                          {acl_group_obj, r_x, 0},
                                          {acl_group, r_x, 200},
                                          {acl_mask, r__, 0},
                                          {acl_other, r_x, 0}};
    std::vector<AclEntry> named_group = {{acl_user_obj, rwx, 0},
                                         {acl_group_obj, r_x, 0},
                                         {acl_group, r__, 200},
                                         {acl_mask, rwx, 0},
                                         {acl_other, r_x, 0}};
    std::vector<AclEntry> second_group = {{acl_user_obj, rwx, 0},
                                          {acl_group_obj, r__, 0},
                                          {acl_group, r_x, 200},
                                          {acl_mask, r_x, 0},
                                          {acl_other, 0, 0}};
    struct Case {
        mode_t mode;
        uid_t owner;
        gid_t group;
        const std::vector<AclEntry>& acl;
        const EffectiveIds& ids;
        bool allowed;
        std::optional<AclEntry> entry;
    } cases[] = {
        {0755, 1000, 100, none, user, true, std::nullopt},
        {0655, 1000, 100, none, user, false, std::nullopt},  // the owner's bits only
        {0705, 0, 100, none, user, false, std::nullopt},     // the group's, not the others'
        {0750, 0, 200, none, user, true, std::nullopt},      // a supplementary group
        {0701, 0, 300, none, user, true, std::nullopt},
        {0600, 0, 0, none, root, false, std::nullopt},
        {0701, 0, 0, none, root, true, std::nullopt},
        {0755, 0, 0, named_user, user, false, AclEntry{acl_user, r__, 1000}},
        {0745, 0, 0, masked_user, user, false, AclEntry{acl_user, rwx, 1000}},
        {0745, 0, 0, masked_group, user, false, AclEntry{acl_group, r_x, 200}},
        {0775, 0, 0, named_group, user, false, AclEntry{acl_group, r__, 200}},  // not the others'
        {0750, 0, 100, second_group, user, true, std::nullopt},
        {0755, 0, 100, named_user, root, true, std::nullopt},
    };
    for (const Case& c : cases) {
        ExecGrant grant = exec_grant(status_of(S_IFREG | c.mode, c.owner, c.group), c.acl, c.ids);
        EXPECT_EQ(grant.allowed, c.allowed)
            << std::oct << c.mode << " by " << std::dec << c.ids.uid;
        EXPECT_EQ(grant.entry, c.entry) << std::oct << c.mode << " by " << std::dec << c.ids.uid;
    }
}

TEST(AclEntryText, NamesTheEntryAndTheMask) {
    IdNames names;
    names.users[1000] = "ann";
    names.groups[200] = "staff";
    EXPECT_EQ(acl_entry_text({false, AclEntry{acl_user, r__, 1000}, rwx}, names), "user:ann:r--");
    EXPECT_EQ(acl_entry_text({false, AclEntry{acl_group, r_x, 200}, r__}, names),
              "group:staff:r-x, masked to r--");
    EXPECT_EQ(acl_entry_text({false, AclEntry{acl_group_obj, rwx, 0}, rw_}, names),
              "group::rwx, masked to rw-");
    EXPECT_EQ(acl_entry_text({true, std::nullopt, rwx}, names), "");
}
