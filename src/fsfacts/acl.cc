// POSIX ACLs, read from the extended attributes where the kernel keeps them rather than through
// libacl: one more shared library would be loaded by every run, and only --explain and
// --check-path ever look at an ACL.
#include <sys/stat.h>

#include <cerrno>
#include <string>

#if defined(TRAKKO_HAVE_XATTR)
#include <sys/xattr.h>
#endif

#include "fsfacts/acl.h"

namespace {

// The kernel's form: a little-endian 32-bit version, then entries of a 16-bit tag, a 16-bit
// permission set and a 32-bit id, each little-endian.
constexpr unsigned acl_version = 2;
constexpr size_t acl_header_size = 4;
constexpr size_t acl_entry_size = 8;

unsigned little_endian(std::string_view bytes, size_t at, size_t width) {
    unsigned value = 0;
    for (size_t i = width; i-- > 0;)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The value of the attribute name of path (of a link itself when of_link), or "" when it has
// none, the system keeps none, or it cannot be read.
std::string attribute(const char* path, const char* name, bool of_link) {
#if defined(TRAKKO_HAVE_XATTR)
    std::string value;
    for (;;) {
        ssize_t size =
            of_link ? lgetxattr(path, name, nullptr, 0) : getxattr(path, name, nullptr, 0);
        if (size <= 0) return std::string();
        value.resize(static_cast<size_t>(size));
        size = of_link ? lgetxattr(path, name, value.data(), value.size())
                       : getxattr(path, name, value.data(), value.size());
        if (size >= 0) {
            value.resize(static_cast<size_t>(size));
            return value;
        }
        // The ACL grew between the two calls: ask its size again.
        if (errno != ERANGE) return std::string();
    }
#else
    (void)path;
    (void)name;
    (void)of_link;
    return std::string();
#endif
}

}  // namespace

std::vector<AclEntry> decode_acl(std::string_view bytes) {
    std::vector<AclEntry> entries;
    if (bytes.size() < acl_header_size || (bytes.size() - acl_header_size) % acl_entry_size != 0 ||
        little_endian(bytes, 0, 4) != acl_version)
        return entries;
    for (size_t at = acl_header_size; at < bytes.size(); at += acl_entry_size)
        entries.push_back({little_endian(bytes, at, 2), little_endian(bytes, at + 2, 2),
                           little_endian(bytes, at + 4, 4)});
    return entries;
}

bool extends_mode(const std::vector<AclEntry>& acl) {
    for (const AclEntry& entry : acl)
        if (entry.tag == acl_user || entry.tag == acl_group || entry.tag == acl_mask) return true;
    return false;
}

// A link's own status (from lstat) means the link's own ACL; anything else is the file's.
std::vector<AclEntry> access_acl(const char* path, const struct stat& status) {
    return decode_acl(attribute(path, "system.posix_acl_access", S_ISLNK(status.st_mode)));
}

// ls -l marks a file whose access ACL says more than its mode, or that has a default ACL. Only
// a directory has a default ACL, the one its new files start from.
bool shows_acl_mark(const char* path, const struct stat& status) {
    return extends_mode(access_acl(path, status)) ||
           (S_ISDIR(status.st_mode) &&
            !decode_acl(attribute(path, "system.posix_acl_default", false)).empty());
}
