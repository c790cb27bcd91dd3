// The kernel looks a name up only in a directory that it may search, and every directory above
// the current one was searched to reach it: a refusal on the way is the current one's.
#include "fsfacts/walk.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "fsfacts/links.h"
#include "util/util.h"

namespace {

// The system's own limit is at least this; a deeper chain of links is taken for a loop.
constexpr int max_links = 40;

std::string joined(const std::string& dir, std::string_view name) {
    std::string path = dir;
    if (!path.empty() && !path.ends_with('/')) path += '/';
    return path.append(name);
}

// "." is a lookup in the working directory, refused where that may not be searched; the
// directory itself can still be looked at.
int lstat_path(const std::string& path, struct stat& status) {
#if defined(AT_EMPTY_PATH)
    if (path.empty()) return fstatat(AT_FDCWD, "", &status, AT_EMPTY_PATH);
#endif
    return lstat(system_form(path), &status);
}

}  // namespace

std::string inside(const std::string& dir) {
    return dir.empty() ? std::string(".") : joined(dir, ".");
}

const PathStatus& look_at(FileFacts& facts, const std::string& path) {
    auto [known, added] = facts.paths.try_emplace(path);
    PathStatus& entry = known->second;
    if (!added) return entry;
    if (lstat_path(path, entry.status) != 0) {
        entry.error = errno;
    } else if (S_ISLNK(entry.status.st_mode)) {
        entry.link = read_link(path);
    }
    return entry;
}

std::string parent_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (path.starts_with('/')) return slash == 0 ? "/" : path.substr(0, slash);
    std::string_view last =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (path.empty() || last == "..") return joined(path, "..");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void push_components(std::vector<std::string>& pending, std::string_view path) {
    std::vector<std::string> parts;
    for (size_t start = 0; start <= path.size();) {
        size_t end = std::min(path.find('/', start), path.size());
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

// A link is always followed with a name below it (a PATH entry is a directory to look a name
// up in), so fs.protected_symlinks, which refuses only a link that ends a path, never applies.
Resolution resolve(FileFacts& facts, std::string_view text) {
    Resolution result;
    std::vector<std::string> pending;
    push_components(pending, text);
    std::string current = text.starts_with('/') ? "/" : "";
    int links = 0;
    result.complete = true;
    while (!pending.empty()) {
        std::string part = std::move(pending.back());
        pending.pop_back();
        std::string next = joined(current, part);
        const PathStatus& found = look_at(facts, next);
        bool is_link = found.error == 0 && S_ISLNK(found.status.st_mode);
        if (found.error != 0 || (is_link && ++links > max_links) ||
            (!is_link && !S_ISDIR(found.status.st_mode))) {
            result.entry_or_missing = found.error == ENOENT;
            if (found.error == EACCES) {
                result.refusing = current;
                result.search_error = EACCES;
            }
            result.complete = false;
            break;
        }
        if (!is_link) {
            if (part == "..")
                current = parent_of(current);
            else if (part != ".")
                current = std::move(next);
            continue;
        }
        result.links.push_back(next);
        result.link_holders.push_back(current);
        if (found.link.starts_with('/')) current = "/";
        push_components(pending, found.link);
    }
    // Reached, but not searchable itself.
    if (result.complete && effective_access(inside(current).c_str(), X_OK) != 0) {
        result.search_error = errno;
        if (errno == EACCES) result.refusing = current;
    }
    result.start = std::move(current);
    return result;
}
