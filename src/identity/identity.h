// User identity: the process's ids and the real user's password-database record.
#pragma once

#include <sys/types.h>

#include <string>
#include <unordered_map>
#include <vector>

// The real user's password-database record, as far as the run needs it.
struct UserRecord {
    std::string home;
};

// The password entry of the real user id as it is now (a home of "/" without one).
UserRecord load_user_record();

// The real user's home directory, from the password database as it is now.
std::string user_home();

// The ids the kernel decides access by: the effective user and group, and the supplementary
// groups.
struct EffectiveIds {
    uid_t uid;
    gid_t gid;
    std::vector<gid_t> groups;
    // True when gid is the effective group or one of the supplementary ones.
    bool in_group(gid_t group) const;
};

// The process's effective ids as they are now.
EffectiveIds effective_ids();

// The names of owners and groups met during one run, each id looked up once.
struct IdNames {
    std::unordered_map<uid_t, std::string> users;
    std::unordered_map<gid_t, std::string> groups;
};

// The name of the user uid, or its number when the password database has none.
const std::string& user_name(IdNames& names, uid_t uid);

// The name of the group gid, or its number when the group database has none.
const std::string& group_name(IdNames& names, gid_t gid);
