#include "fsfacts/links.h"

#include <sys/stat.h>
#include <unistd.h>

std::string read_link(const std::string& path) {
    std::string text(256, '\0');
    for (;;) {
        ssize_t length = readlink(path.c_str(), text.data(), text.size());
        if (length < 0) return std::string();
        if (static_cast<size_t>(length) < text.size()) {
            text.resize(static_cast<size_t>(length));
            return text;
        }
        text.resize(2 * text.size());
    }
}

namespace {

// The system's own limit is at least this; a longer chain is taken for a loop.
constexpr size_t max_links = 40;

// Where a link's text leads from the directory that holds the link at path.
std::string target_of(const std::string& path, const std::string& text) {
    if (text.starts_with('/')) return text;
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? text : path.substr(0, slash + 1) + text;
}

}  // namespace

std::vector<std::string> link_chain(const std::string& path) {
    std::vector<std::string> texts;
    std::string at = path;
    struct stat status;
    while (texts.size() < max_links && lstat(at.c_str(), &status) == 0 && S_ISLNK(status.st_mode)) {
        texts.push_back(read_link(at));
        at = target_of(at, texts.back());
    }
    return texts;
}
