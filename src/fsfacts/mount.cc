#include "fsfacts/mount.h"

#include <sys/statvfs.h>

// ST_NOEXEC is no POSIX flag: a system without it says nothing of the kind.
bool mounted_noexec(const char* path) {
#if defined(ST_NOEXEC)
    struct statvfs system;
    return statvfs(path, &system) == 0 && (system.f_flag & ST_NOEXEC) != 0;
#else
    (void)path;
    return false;
#endif
}
