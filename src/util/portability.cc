#include <fcntl.h>
#include <unistd.h>

#include "util/util.h"

// CMake tells which of the system's extensions exist (see CMakeLists.txt); every one has a
// POSIX fallback.
int effective_access(const char* path, int mode) {
#if defined(TRAKKO_HAVE_EACCESS)
    return eaccess(path, mode);
#else
    return faccessat(AT_FDCWD, path, mode, AT_EACCESS);
#endif
}

bool stream_failed(FILE* stream) {
    // One thread only: the unlocked test is an inline read of the flag, not a library call.
#if defined(TRAKKO_HAVE_FERROR_UNLOCKED)
    return ferror_unlocked(stream) != 0;
#else
    return ferror(stream) != 0;
#endif
}
