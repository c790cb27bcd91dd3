#include "identity/identity.h"

#include <pwd.h>
#include <unistd.h>

ProcessIds refresh_ids() {
    return {getuid(), geteuid(), getgid(), getegid()};
}

bool ids_differ(const ProcessIds& ids) {
    return ids.uid != ids.euid || ids.gid != ids.egid;
}

// Some NSS modules hand out entries without a name or home directory; those count as empty.
static const char* text_or_empty(const char* text) {
    return text != nullptr ? text : "";
}

UserRecord load_user_record() {
    UserRecord record{refresh_ids(), "I have no name!", "/bin/sh", "/"};
    // The entry lives in storage that the next lookup overwrites: the texts are copied out
    // before the database is closed.
    if (const struct passwd* entry = getpwuid(record.ids.uid); entry != nullptr) {
        bool has_shell = entry->pw_shell != nullptr && entry->pw_shell[0] != '\0';
        record.name = text_or_empty(entry->pw_name);
        if (has_shell) record.shell = entry->pw_shell;
        // An empty home stays empty: it is not replaced by "/".
        record.home = text_or_empty(entry->pw_dir);
    }
    endpwent();
    return record;
}

std::string user_home() {
    return load_user_record().home;
}
