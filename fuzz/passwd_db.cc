// A password database of the fuzz targets' own: getpwnam and endpwent defined here take the
// place of the C library's in the targets that link this file. The system's database would
// make every run read files and try daemons, slowly and differently on every machine, and
// could not offer the odd entries that matter: an empty home, an unset one, "/" and a home
// longer than any path buffer.

#include <pwd.h>

#include <cstring>
#include <string>

namespace {

struct User {
    const char* name;
    const char* home;  // null: an entry that leaves pw_dir unset
};

const std::string long_home = "/" + std::string(3000, 'l');

const User users[] = {
    {"root", "/root"}, {"svc", "/home/svc"}, {"nohome", ""},         {"nulldir", nullptr},
    {"slash", "/"},    {"long", nullptr},    {"t\t~", "/tab/tilde"},
};

struct passwd stored_entry;

}  // namespace

extern "C" struct passwd* getpwnam(const char* name) {
    for (const User& user : users) {
        if (strcmp(user.name, name) != 0) continue;
        stored_entry = {};
        stored_entry.pw_name = const_cast<char*>(user.name);
        const char* home = strcmp(user.name, "long") == 0 ? long_home.c_str() : user.home;
        stored_entry.pw_dir = const_cast<char*>(home);
        return &stored_entry;
    }
    return nullptr;
}

extern "C" void endpwent() {}
