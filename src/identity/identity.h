// User identity: the process's ids and the real user's password-database record.
#pragma once

#include <sys/types.h>

#include <string>
#include <unordered_map>

// The real and effective ids of the process.
struct ProcessIds {
    uid_t uid = static_cast<uid_t>(-1);
    uid_t euid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);
    gid_t egid = static_cast<gid_t>(-1);
};

// The ids, and the real user's name, shell and home directory.
struct UserRecord {
    ProcessIds ids;
    std::string name;
    std::string shell;
    std::string home;
};

// The four ids as they are now; nothing is kept between calls.
ProcessIds refresh_ids();

// True when the real and effective user or group ids differ.
bool ids_differ(const ProcessIds& ids);

// The ids and the password entry of the real user id as they are now ("I have no name!", "/bin/sh"
// and "/" without one).
UserRecord load_user_record();

// The real user's home directory, from the password database as it is now.
std::string user_home();

// The names of owners and groups met during one run, each id looked up once.
struct IdNames {
    std::unordered_map<uid_t, std::string> users;
    std::unordered_map<gid_t, std::string> groups;
};

// The name of the user uid, or its number when the password database has none.
const std::string& user_name(IdNames& names, uid_t uid);

// The name of the group gid, or its number when the group database has none.
const std::string& group_name(IdNames& names, gid_t gid);
