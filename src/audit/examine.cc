// The walk to an entry's directory, component by component as the kernel takes it: from '/' for
// an absolute entry, from the working directory itself for a relative one (whose name may be too
// long to write, or not be known at all). Every path looked at is looked at once per run.
#include "audit/examine.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// The system's own limit is at least this; a deeper chain of links is taken for a loop.
constexpr int max_links = 40;

const char* system_form(const std::string& path) {
    return path.empty() ? "." : path.c_str();
}

// "." is a lookup in the working directory, refused where that may not be searched; the
// directory itself can still be looked at.
int lstat_path(const std::string& path, struct stat& status) {
#if defined(AT_EMPTY_PATH)
    if (path.empty()) return fstatat(AT_FDCWD, "", &status, AT_EMPTY_PATH);
#endif
    return lstat(system_form(path), &status);
}

PathStatus& look_at(Audit& audit, const std::string& path) {
    auto [known, added] = audit.paths.try_emplace(path);
    PathStatus& entry = known->second;
    if (!added) return entry;
    if (lstat_path(path, entry.status) != 0) {
        entry.error = errno;
    } else if (S_ISLNK(entry.status.st_mode)) {
        entry.link = read_link(path);
    }
    return entry;
}

// The paths walked are resolved: no links, no "." and, but for leading ones in a relative path,
// no "..". Without a final '/' but for the root itself.
std::string parent_of(const std::string& path) {
    size_t slash = path.rfind('/');
    if (path.starts_with('/')) return slash == 0 ? "/" : path.substr(0, slash);
    std::string_view last =
        std::string_view(path).substr(slash == std::string::npos ? 0 : slash + 1);
    if (path.empty() || last == "..") return join_dir_name(path, "..");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Puts the components of path on pending, the first one last, so that it is taken next.
void push_components(std::vector<std::string>& pending, std::string_view path) {
    std::vector<std::string> parts;
    for (size_t start = 0; start <= path.size();) {
        size_t end = std::min(path.find('/', start), path.size());
        if (end > start) parts.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    pending.insert(pending.end(), parts.rbegin(), parts.rend());
}

// A relative path as an absolute one, when the working directory can be named and the two
// name the same file; the path itself otherwise.
std::string anchored(Audit& audit, const std::string& path) {
    const PathPrefix* cwd = path.starts_with('/') ? nullptr : working_directory(audit.run);
    if (cwd == nullptr) return path;
    std::string absolute(cwd->text, cwd->length);
    if (absolute.size() > 1) absolute.pop_back();
    std::vector<std::string> pending;
    push_components(pending, path);
    for (; !pending.empty(); pending.pop_back())
        absolute =
            pending.back() == ".." ? parent_of(absolute) : join_dir_name(absolute, pending.back());
    const PathStatus& there = look_at(audit, absolute);
    const PathStatus& here = look_at(audit, path);
    bool same = there.error == 0 && here.error == 0 && same_file(there.status, here.status);
    return same ? absolute : path;
}

// "DIR (MODE OWNER GROUP)": DIR absolute where it can be, relative to the working directory
// otherwise.
std::string describe(Audit& audit, const std::string& path, const struct stat& status) {
    std::string shown = anchored(audit, path);
    // The absolute path reaches a directory that the relative one may not (its ACL).
    std::string mode = mode_owner_group(system_form(shown), status, audit.names);
    return (shown.empty() ? "." : shown) + " (" + mode + ")";
}

// Where the walk of an entry ends, and what it met on the way.
struct Resolution {
    std::string start;  // the resolved directory, or the last one reached on the way to it
    bool entry_or_missing = true;  // start is the entry itself or stands where it is missing
    bool complete = false;         // start is the directory that the entry names
    std::vector<std::string> link_holders;
    std::vector<std::string> links;  // each link followed, in the order followed
    // The directory that refused a search on the way, or the link that the kernel would not
    // follow.
    std::optional<std::string> refusing;
};

// True when the kernel refuses to follow the link at path itself (fs.protected_symlinks): it
// refuses to go through it while it goes from holder to the link's target. Asked only of a
// link that ends the walk: the kernel follows one on the way to a name below it.
bool refuses_to_follow(const std::string& path, const std::string& holder,
                       const std::string& target) {
    struct stat status;
    if (stat(system_form(path), &status) == 0 || errno != EACCES) return false;
    std::string way = target.starts_with('/') ? target : join_dir_name(holder, target);
    return stat(system_form(way), &status) == 0 || errno != EACCES;
}

// Follows text component by component, stopping at what is missing, not a directory, or cannot
// be looked at. The kernel looks a name up only in a directory that it may search, and every
// directory above the current one was searched to reach it: a refusal is the current one's.
Resolution resolve(Audit& audit, std::string_view text) {
    Resolution result;
    std::vector<std::string> pending;
    push_components(pending, text);
    std::string current = text.starts_with('/') ? "/" : "";
    int links = 0;
    result.complete = true;
    while (!pending.empty()) {
        std::string part = std::move(pending.back());
        pending.pop_back();
        std::string next = join_dir_name(current, part);
        const PathStatus& found = look_at(audit, next);
        bool is_link = found.error == 0 && S_ISLNK(found.status.st_mode);
        if (found.error != 0 || (is_link && ++links > max_links) ||
            (!is_link && !S_ISDIR(found.status.st_mode))) {
            result.entry_or_missing = found.error == ENOENT;
            if (found.error == EACCES) result.refusing = current;
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
        if (pending.empty() && refuses_to_follow(next, current, found.link)) {
            result.entry_or_missing = false;
            result.refusing = std::move(next);
            result.complete = false;
            break;
        }
        result.links.push_back(next);
        result.link_holders.push_back(current);
        if (found.link.starts_with('/')) current = "/";
        push_components(pending, found.link);
    }
    result.start = std::move(current);
    return result;
}

// The "writable by ..." findings of dir: others, or else the owning group; then each user and
// each group that its ACL names, but root and the effective user. The ACL's mask bounds what
// all of its entries but the owner's and the others' grant.
const std::vector<std::string>& writers_of(Audit& audit, const std::string& dir,
                                           PathStatus& found) {
    if (found.writers) return *found.writers;
    const struct stat& status = found.status;
    std::vector<AclEntry> acl = access_acl(system_form(dir), status);
    unsigned mask = acl_read | acl_write | acl_execute;
    unsigned group = (status.st_mode & S_IRWXG) >> 3;
    for (const AclEntry& entry : acl) {
        if (entry.tag == acl_mask) mask = entry.perm;
        if (entry.tag == acl_group_obj) group = entry.perm;
    }
    std::vector<std::string> who;
    if (status.st_mode & S_IWOTH)
        who.emplace_back("others");
    else if (group & mask & acl_write)
        who.emplace_back("group");
    for (unsigned tag : {acl_user, acl_group}) {
        for (const AclEntry& entry : acl) {
            if (entry.tag != tag || !(entry.perm & mask & acl_write)) continue;
            if (tag == acl_user && (entry.id == 0 || entry.id == audit.euid)) continue;
            const std::string& name = tag == acl_user ? user_name(audit.names, entry.id)
                                                      : group_name(audit.names, entry.id);
            who.push_back((tag == acl_user ? "user " : "group ") + name + " (ACL)");
        }
    }
    found.writers.emplace();
    for (const std::string& one : who)
        found.writers->push_back("writable by " + one + ": " + describe(audit, dir, status));
    return *found.writers;
}

// Anyone who may write into the entry's own directory may add a command to it, sticky bit or
// not; a directory further up lets them replace what lies below unless the sticky bit keeps
// them to their own names.
void judge(Audit& audit, const std::string& dir, PathStatus& found, bool own, Examination& exam) {
    const struct stat& status = found.status;
    if (exam.writable.empty() && (own || !(status.st_mode & S_ISVTX)))
        exam.writable = writers_of(audit, dir, found);
    if (exam.foreign.empty() && status.st_uid != 0 && status.st_uid != audit.euid)
        exam.foreign = "owned by another user: " + describe(audit, dir, status);
}

// dir and every directory above it, up to '/', until both findings are made. A relative dir
// climbs through "..": the root is the directory that is its own parent, and nothing above a
// directory that cannot be looked at can be reached that way.
void walk_up(Audit& audit, const std::string& from, bool own, Examination& exam) {
    std::string dir = anchored(audit, from);
    bool relative = !dir.starts_with('/');
    const struct stat* below = nullptr;
    for (;; own = false) {
        PathStatus& found = look_at(audit, dir);
        if (relative && (found.error != 0 || (below != nullptr && same_file(*below, found.status))))
            return;
        if (found.error == 0) judge(audit, dir, found, own, exam);
        if (dir == "/" || (!exam.writable.empty() && !exam.foreign.empty())) return;
        below = &found.status;
        dir = parent_of(dir);
    }
}

std::string state_of(Audit& audit, int error, const std::optional<std::string>& refusing) {
    if (error == ENOENT) return "missing";
    if (error == ENOTDIR) return "not a directory";
    if (error == ELOOP) return "symbolic link loop";
    if (error == EACCES && refusing) {
        const PathStatus& found = look_at(audit, *refusing);
        if (found.error == 0) return "not searchable: " + describe(audit, *refusing, found.status);
    }
    return std::string("not searchable: ") + strerror(error);
}

// Each link on the way that another user than root and the effective user owns, nearest the
// entry (the last followed) first, each once.
void judge_links(Audit& audit, const std::vector<std::string>& links, Examination& exam) {
    std::unordered_set<std::string> seen;
    for (auto link = links.rbegin(); link != links.rend(); ++link) {
        const struct stat& status = look_at(audit, *link).status;
        if (status.st_uid == 0 || status.st_uid == audit.euid || !seen.insert(*link).second)
            continue;
        exam.foreign_links.push_back("owned by another user: " + describe(audit, *link, status));
    }
}

}  // namespace

Examination examine(Audit& audit, const std::string& text) {
    Examination exam;
    const char* path = system_form(text);
    Resolution resolution = resolve(audit, text);
    struct stat status;
    int error = 0;
    if (stat(path, &status) != 0) {
        error = errno;
    } else if (!S_ISDIR(status.st_mode)) {
        exam.state = "not a directory";
    } else {
        exam.is_dir = true;
        exam.dev = status.st_dev;
        exam.ino = status.st_ino;
        exam.noexec = mounted_noexec(path);
        // Reached, but not searchable itself.
        if (effective_access(path, X_OK) != 0) {
            error = errno;
            if (resolution.complete) resolution.refusing = resolution.start;
        }
    }
    if (error != 0) exam.state = state_of(audit, error, resolution.refusing);
    walk_up(audit, resolution.start, resolution.entry_or_missing, exam);
    // The link nearest to the entry first: walking up from the entry, it comes before the
    // links met earlier on the way down.
    for (auto holder = resolution.link_holders.rbegin(); holder != resolution.link_holders.rend();
         ++holder)
        walk_up(audit, *holder, false, exam);
    judge_links(audit, resolution.links, exam);
    return exam;
}
