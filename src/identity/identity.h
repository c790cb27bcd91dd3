// User identity: the process's ids and the real user's password-database record.
#pragma once

#include <sys/types.h>

#include <string>

// The ids as of the last refresh_ids, and the real user's name, shell and home directory,
// loaded together on the first request for the home directory.
struct UserRecord {
    uid_t uid = static_cast<uid_t>(-1);
    uid_t euid = static_cast<uid_t>(-1);
    gid_t gid = static_cast<gid_t>(-1);
    gid_t egid = static_cast<gid_t>(-1);
    bool loaded = false;
    std::string name;
    std::string shell;
    std::string home;
};
extern UserRecord user_record;

// Reads the four ids, dropping the loaded texts when the real user changed; 1 when the real and
// effective user or group ids differ.
int refresh_ids();

// Loads name, shell and home from the password entry of the real user id (defaults without one).
void load_user_record();

// The real user's home directory, loading the record on first use; never null.
const char* user_home();
