#include "fsfacts/file_mode.h"

#include <sys/stat.h>

#include "fsfacts/acl.h"

// The type letter, then read, write and execute for owner, group and others; a set-id or
// sticky bit shows in place of the execute letter it shares, lower case when that one is set.
static std::string mode_text(mode_t mode) {
    char type = S_ISDIR(mode)    ? 'd'
                : S_ISLNK(mode)  ? 'l'
                : S_ISCHR(mode)  ? 'c'
                : S_ISBLK(mode)  ? 'b'
                : S_ISFIFO(mode) ? 'p'
                : S_ISSOCK(mode) ? 's'
                                 : '-';
    struct Triple {
        mode_t read, write, exec, special;
        char special_letter;
    };
    static constexpr Triple triples[] = {
        {S_IRUSR, S_IWUSR, S_IXUSR, S_ISUID, 's'},
        {S_IRGRP, S_IWGRP, S_IXGRP, S_ISGID, 's'},
        {S_IROTH, S_IWOTH, S_IXOTH, S_ISVTX, 't'},
    };
    std::string text(1, type);
    for (const Triple& t : triples) {
        text += (mode & t.read) ? 'r' : '-';
        text += (mode & t.write) ? 'w' : '-';
        bool exec = (mode & t.exec) != 0;
        if (mode & t.special)
            text += exec ? t.special_letter : static_cast<char>(t.special_letter - 'a' + 'A');
        else
            text += exec ? 'x' : '-';
    }
    return text;
}

std::string mode_owner_group(const char* path, const struct stat& status, IdNames& names) {
    std::string text = mode_text(status.st_mode);
    if (shows_acl_mark(path, status)) text += '+';
    text += ' ';
    text += user_name(names, status.st_uid);
    text += ' ';
    text += group_name(names, status.st_gid);
    return text;
}
