// What the kernel-style walk to an entry's directory met, put into the audit's findings. Every
// path looked at is looked at once per run.
#include "audit/examine.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <unordered_set>

#include "fsfacts/acl.h"
#include "fsfacts/file_id.h"
#include "fsfacts/file_mode.h"
#include "fsfacts/mount.h"
#include "fsfacts/permission.h"
#include "search/cwd.h"
#include "search/path_list.h"

namespace {

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
    const PathStatus& there = look_at(audit.facts, absolute);
    const PathStatus& here = look_at(audit.facts, path);
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

std::string writer_text(Audit& audit, const Writer& writer) {
    switch (writer.kind) {
        case Writer::others:
            return "others";
        case Writer::group:
            return "group";
        case Writer::user_entry:
            return "user " + user_name(audit.names, writer.id) + " (ACL)";
        case Writer::group_entry:
            break;
    }
    return "group " + group_name(audit.names, writer.id) + " (ACL)";
}

// The "writable by ..." findings of dir.
const std::vector<std::string>& writers_found(Audit& audit, const std::string& dir,
                                              const struct stat& status) {
    auto [known, added] = audit.writers.try_emplace(dir);
    if (!added) return known->second;
    std::vector<AclEntry> acl = access_acl(system_form(dir), status);
    for (const Writer& writer : writers_of(status, acl, audit.euid))
        known->second.push_back("writable by " + writer_text(audit, writer) + ": " +
                                describe(audit, dir, status));
    return known->second;
}

// Anyone who may write into the entry's own directory may add a command to it, sticky bit or
// not; a directory further up lets them replace what lies below unless the sticky bit keeps
// them to their own names.
void judge(Audit& audit, const std::string& dir, const struct stat& status, bool own,
           Examination& exam) {
    if (exam.writable.empty() && (own || !(status.st_mode & S_ISVTX)))
        exam.writable = writers_found(audit, dir, status);
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
        const PathStatus& found = look_at(audit.facts, dir);
        if (relative && (found.error != 0 || (below != nullptr && same_file(*below, found.status))))
            return;
        if (found.error == 0) judge(audit, dir, found.status, own, exam);
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
        const PathStatus& found = look_at(audit.facts, *refusing);
        if (found.error == 0) return "not searchable: " + describe(audit, *refusing, found.status);
    }
    return std::string("not searchable: ") + strerror(error);
}

// Each link on the way that another user than root and the effective user owns, nearest the
// entry (the last followed) first, each once.
void judge_links(Audit& audit, const std::vector<std::string>& links, Examination& exam) {
    std::unordered_set<std::string> seen;
    for (auto link = links.rbegin(); link != links.rend(); ++link) {
        const struct stat& status = look_at(audit.facts, *link).status;
        if (status.st_uid == 0 || status.st_uid == audit.euid || !seen.insert(*link).second)
            continue;
        exam.foreign_links.push_back("owned by another user: " + describe(audit, *link, status));
    }
}

}  // namespace

// The entry is looked at with a name below it, as every lookup in it is: a link it ends in is
// followed where the kernel would refuse the link alone (fs.protected_symlinks).
Examination examine(Audit& audit, const std::string& text) {
    Examination exam;
    std::string path = inside(text);
    Resolution resolution = resolve(audit.facts, text);
    struct stat status;
    int error = 0;
    if (stat(path.c_str(), &status) != 0) {
        error = errno;
    } else if (!S_ISDIR(status.st_mode)) {
        exam.state = "not a directory";
    } else {
        exam.is_dir = true;
        exam.dev = status.st_dev;
        exam.ino = status.st_ino;
        exam.noexec = mounted_noexec(path.c_str());
        error = resolution.search_error;
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
