#include "fsfacts/interpreter.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "fsfacts/file_mode.h"
#include "fsfacts/mount.h"
#include "util/util.h"

namespace {

// The kernel reads no more of a script's first line than this.
constexpr size_t head_size = 256;

std::string head_of(const char* path) {
    std::string head(head_size, '\0');
    int fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return std::string();
    struct stat status;
    // Only a regular file is started as a script; a device or a FIFO is not read here.
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        return std::string();
    }
    ssize_t got = read(fd, head.data(), head.size());
    close(fd);
    head.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return head;
}

}  // namespace

std::string interpreter_of(std::string_view head) {
    if (!head.starts_with("#!")) return std::string();
    size_t start = head.find_first_not_of(" \t", 2);
    if (start == std::string_view::npos) return std::string();
    size_t end = head.find_first_of(std::string_view(" \t\n\0", 4), start);
    return std::string(head.substr(start, end == std::string_view::npos ? end : end - start));
}

// A carriage return is part of the name to the kernel: a script saved with CRLF line ends
// names "/bin/sh\r", which does not exist.
std::string start_refusal(const char* path, IdNames& names) {
    std::string interpreter = interpreter_of(head_of(path));
    if (interpreter.empty()) return std::string();
    std::string named = "its interpreter " + interpreter;
    const char* crlf =
        interpreter.ends_with('\r') ? " (the #! line ends in a carriage return)" : "";
    struct stat status;
    if (stat(interpreter.c_str(), &status) != 0)
        return named + (errno == ENOENT ? " does not exist" : ": " + std::string(strerror(errno))) +
               crlf;
    if (!S_ISDIR(status.st_mode) && effective_access(interpreter.c_str(), X_OK) == 0)
        return std::string();
    // The access test fails on a noexec mount whatever the mode says.
    if (!S_ISDIR(status.st_mode) && mounted_noexec(interpreter.c_str()))
        return named + " lies on a file system mounted noexec";
    return named + " is not executable (" + mode_owner_group(interpreter.c_str(), status, names) +
           ")";
}
