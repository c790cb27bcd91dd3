#include "identity/identity.h"

#include <grp.h>
#include <pwd.h>
#include <unistd.h>

// Some NSS modules hand out entries without a name or home directory; those count as empty.
static const char* text_or_empty(const char* text) {
    return text != nullptr ? text : "";
}

UserRecord load_user_record() {
    UserRecord record{"/"};
    // The entry lives in storage that the next lookup overwrites: the home is copied out
    // before the database is closed. An empty home stays empty: it is not replaced by "/".
    if (const struct passwd* entry = getpwuid(getuid()); entry != nullptr)
        record.home = text_or_empty(entry->pw_dir);
    endpwent();
    return record;
}

std::string user_home() {
    return load_user_record().home;
}

EffectiveIds effective_ids() {
    EffectiveIds ids{geteuid(), getegid(), {}};
    int count = getgroups(0, nullptr);
    if (count > 0) {
        ids.groups.resize(static_cast<size_t>(count));
        if (getgroups(count, ids.groups.data()) != count) ids.groups.clear();
    }
    return ids;
}

bool EffectiveIds::in_group(gid_t group) const {
    if (group == gid) return true;
    for (gid_t one : groups)
        if (one == group) return true;
    return false;
}

// The entries live in storage that the next lookup overwrites: each name is copied out before
// the database is closed.
const std::string& user_name(IdNames& names, uid_t uid) {
    auto [known, added] = names.users.try_emplace(uid);
    if (!added) return known->second;
    const struct passwd* entry = getpwuid(uid);
    known->second =
        entry != nullptr && entry->pw_name != nullptr ? entry->pw_name : std::to_string(uid);
    endpwent();
    return known->second;
}

const std::string& group_name(IdNames& names, gid_t gid) {
    auto [known, added] = names.groups.try_emplace(gid);
    if (!added) return known->second;
    const struct group* entry = getgrgid(gid);
    known->second =
        entry != nullptr && entry->gr_name != nullptr ? entry->gr_name : std::to_string(gid);
    endgrent();
    return known->second;
}
