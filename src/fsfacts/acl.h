// POSIX ACLs as the kernel keeps them: the entries of a file's access ACL, and whether ls -l
// marks the file with a '+'.
#pragma once

#include <sys/stat.h>

#include <string_view>
#include <vector>

// One entry of a POSIX ACL: its tag, its permission bits (acl_read, acl_write, acl_execute) and
// the user or group id of a named entry.
struct AclEntry {
    unsigned tag;
    unsigned perm;
    unsigned id;
    bool operator==(const AclEntry&) const = default;
};
inline constexpr unsigned acl_user_obj = 0x01;   // the owner
inline constexpr unsigned acl_user = 0x02;       // a named user
inline constexpr unsigned acl_group_obj = 0x04;  // the owning group
inline constexpr unsigned acl_group = 0x08;      // a named group
inline constexpr unsigned acl_mask = 0x10;       // the most any but owner and others may have
inline constexpr unsigned acl_other = 0x20;      // everyone else
inline constexpr unsigned acl_read = 4, acl_write = 2, acl_execute = 1;

// The entries of an ACL in the form the kernel keeps it in an extended attribute; none when the
// bytes are not such an ACL (another version, a size that is not a whole number of entries).
std::vector<AclEntry> decode_acl(std::string_view bytes);

// True when the ACL says more than a mode can: a named user or group, or a mask.
bool extends_mode(const std::vector<AclEntry>& acl);

// The access ACL of path, whose status is status (a link's own from lstat: the link's ACL);
// none where it has none or the system keeps none.
std::vector<AclEntry> access_acl(const char* path, const struct stat& status);

// True when ls -l shows a '+' after the mode of path: an access ACL beyond its mode, or a
// default ACL.
bool shows_acl_mark(const char* path, const struct stat& status);
