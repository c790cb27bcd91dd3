#include "identity/identity.h"

#include <pwd.h>
#include <unistd.h>

UserRecord user_record;

int refresh_ids() {
    uid_t uid = getuid();
    if (uid != user_record.uid) {
        user_record.loaded = false;
        user_record.name.clear();
        user_record.shell.clear();
        user_record.home.clear();
    }
    user_record.uid = uid;
    user_record.gid = getgid();
    user_record.euid = geteuid();
    user_record.egid = getegid();
    return user_record.uid != user_record.euid || user_record.gid != user_record.egid;
}

// Some NSS modules hand out entries without a name or home directory; those count as empty.
static const char* text_or_empty(const char* text) {
    return text != nullptr ? text : "";
}

static void set_texts(std::string_view name, std::string_view shell, std::string_view home) {
    user_record.name = name;
    user_record.shell = shell;
    user_record.home = home;
    user_record.loaded = true;
}

void load_user_record() {
    const struct passwd* entry = getpwuid(user_record.uid);
    if (entry != nullptr) {
        bool has_shell = entry->pw_shell != nullptr && entry->pw_shell[0] != '\0';
        // An empty home stays empty: it is not replaced by "/".
        set_texts(text_or_empty(entry->pw_name), has_shell ? entry->pw_shell : "/bin/sh",
                  text_or_empty(entry->pw_dir));
    } else {
        set_texts("I have no name!", "/bin/sh", "/");
    }
    endpwent();
}

const char* user_home() {
    if (!user_record.loaded) load_user_record();
    return user_record.home.c_str();
}
