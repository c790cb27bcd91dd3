// --check-path: an audit of PATH itself, field by field as execvp(3) and the shells read it.
// Every directory the audit looks at is looked at once, whatever number of entries leads to
// it, and every table is a hash: a PATH of thousands of entries costs no more per entry than
// a short one.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <vector>

#include "search/search.h"

namespace {

constexpr int max_audit_status = 254;

// The system's own limit is at least this; a deeper chain of links is taken for a loop.
constexpr int max_links = 40;

// lstat of one absolute path, and the text of a symbolic link.
struct PathStatus {
    int error = 0;
    struct stat status;
    std::string link;
};

// What one entry's text leads to, worked out once for every entry with that text.
struct Examination {
    std::string state;  // "missing", "not a directory", "not searchable: ...", or empty
    bool is_dir = false;
    dev_t dev = 0;
    ino_t ino = 0;
    std::string writable;  // the "writable by ..." finding, or empty
    std::string foreign;   // the "owned by another user" finding, or empty
};

struct DirId {
    dev_t dev;
    ino_t ino;
    bool operator==(const DirId& other) const { return dev == other.dev && ino == other.ino; }
};

struct DirIdHash {
    size_t operator()(const DirId& id) const {
        return std::hash<dev_t>()(id.dev) * 31 + std::hash<ino_t>()(id.ino);
    }
};

struct Audit {
    explicit Audit(RunContext& context) : run(context) {}
    RunContext& run;
    uid_t euid = geteuid();
    IdNames names;
    std::unordered_map<std::string, PathStatus> paths;          // by absolute path
    std::unordered_map<std::string, Examination> examinations;  // by text after tilde expansion
    std::unordered_map<std::string, size_t> first_by_text;      // the first entry of each text
    std::unordered_map<DirId, size_t, DirIdHash> first_by_dir;  // the first entry of each dir
    PathPrefix cwd;
    bool cwd_tried = false;
};

const PathStatus& look_at(Audit& audit, const std::string& path) {
    auto [known, added] = audit.paths.try_emplace(path);
    PathStatus& entry = known->second;
    if (!added) return entry;
    if (lstat(path.c_str(), &entry.status) != 0) {
        entry.error = errno;
    } else if (S_ISLNK(entry.status.st_mode)) {
        entry.link = read_link(path);
    }
    return entry;
}

// Paths here are absolute, resolved, without a final '/' but for the root itself.
std::string parent_of(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == 0 || slash == std::string::npos ? "/" : path.substr(0, slash);
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

// Where the walk of an entry starts, and which directories held a link on the way.
struct Resolution {
    std::string start;  // the resolved directory, or the last one reached on the way to it
    bool entry_or_missing = true;  // start is the entry itself or stands where it is missing
    std::vector<std::string> link_holders;
};

// Follows path component by component, as the kernel does, stopping at what is missing, not
// a directory, or cannot be looked at.
Resolution resolve(Audit& audit, std::string_view path) {
    Resolution result;
    std::vector<std::string> pending;
    push_components(pending, path);
    std::string current = "/";
    int links = 0;
    while (!pending.empty()) {
        std::string part = std::move(pending.back());
        pending.pop_back();
        if (part == ".") continue;
        if (part == "..") {
            current = parent_of(current);
            continue;
        }
        std::string next = join_dir_name(current, part);
        const PathStatus& found = look_at(audit, next);
        bool is_link = found.error == 0 && S_ISLNK(found.status.st_mode);
        if (found.error != 0 || (is_link && ++links > max_links) ||
            (!is_link && !S_ISDIR(found.status.st_mode))) {
            result.entry_or_missing = found.error == ENOENT;
            break;
        }
        if (is_link) {
            result.link_holders.push_back(current);
            if (found.link.starts_with('/')) current = "/";
            push_components(pending, found.link);
            continue;
        }
        current = std::move(next);
    }
    result.start = std::move(current);
    return result;
}

std::string describe(Audit& audit, const std::string& dir, const struct stat& status) {
    return dir + " (" + mode_owner_group(status, audit.names) + ")";
}

// Anyone who may write into the entry's own directory may add a command to it, sticky bit or
// not; a directory further up lets them replace what lies below unless the sticky bit keeps
// them to their own names.
void judge(Audit& audit, const std::string& dir, const struct stat& status, bool own,
           Examination& exam) {
    mode_t mode = status.st_mode;
    if (exam.writable.empty() && (own || !(mode & S_ISVTX))) {
        if (mode & S_IWOTH)
            exam.writable = "writable by others: " + describe(audit, dir, status);
        else if (mode & S_IWGRP)
            exam.writable = "writable by group: " + describe(audit, dir, status);
    }
    if (exam.foreign.empty() && status.st_uid != 0 && status.st_uid != audit.euid)
        exam.foreign = "owned by another user: " + describe(audit, dir, status);
}

// dir and every directory above it, up to '/', until both findings are made.
void walk_up(Audit& audit, std::string dir, bool own, Examination& exam) {
    for (;; own = false) {
        const PathStatus& found = look_at(audit, dir);
        if (found.error == 0) judge(audit, dir, found.status, own, exam);
        if (dir == "/" || (!exam.writable.empty() && !exam.foreign.empty())) return;
        dir = parent_of(dir);
    }
}

// A relative entry is walked from the working directory; when that cannot be named, only what
// stat says of the entry is known.
bool absolute_form(Audit& audit, const std::string& text, std::string& absolute) {
    if (!text.empty() && text[0] == '/') {
        absolute = text;
        return true;
    }
    if (!audit.cwd_tried) {
        audit.cwd_tried = true;
        if (audit.run.CwdPrefix.length != 0)
            audit.cwd = audit.run.CwdPrefix;
        else if (!fill_cwd(audit.cwd))
            audit.cwd.length = 0;
    }
    if (audit.cwd.length == 0) return false;
    absolute.assign(audit.cwd.text, audit.cwd.length).append(text);
    return true;
}

Examination examine(Audit& audit, const std::string& text) {
    Examination exam;
    struct stat status;
    if (stat(text.c_str(), &status) != 0) {
        int error = errno;
        exam.state = error == ENOENT    ? "missing"
                     : error == ENOTDIR ? "not a directory"
                                        : std::string("not searchable: ") + strerror(error);
    } else if (!S_ISDIR(status.st_mode)) {
        exam.state = "not a directory";
    } else {
        exam.is_dir = true;
        exam.dev = status.st_dev;
        exam.ino = status.st_ino;
        if (effective_access(text.c_str(), X_OK) != 0)
            exam.state = std::string("not searchable: ") + strerror(errno);
    }
    std::string absolute;
    if (!absolute_form(audit, text, absolute)) return exam;
    Resolution resolution = resolve(audit, absolute);
    walk_up(audit, resolution.start, resolution.entry_or_missing, exam);
    // The link nearest to the entry first: walking up from the entry, it comes before the
    // links met earlier on the way down.
    for (auto holder = resolution.link_holders.rbegin(); holder != resolution.link_holders.rend();
         ++holder)
        walk_up(audit, *holder, false, exam);
    return exam;
}

void write_finding(Output& out, size_t number, std::string_view entry, std::string_view finding) {
    put_text(out, std::to_string(number));
    put_text(out, ": ");
    put_text(out, entry);
    put_text(out, ": ");
    put_text(out, finding);
    put_char(out, '\n');
}

// Writes the findings of one entry; true when one of them counts.
bool audit_entry(Audit& audit, size_t number, std::string_view field) {
    Output& out = audit.run.out;
    if (field.empty()) {
        write_finding(out, number, "(empty)", "empty: stands for the working directory");
        return true;
    }
    bool counts = false;
    auto finding = [&](std::string_view text) {
        write_finding(out, number, field, text);
        counts = true;
    };
    std::string written(field);
    std::string text = field[0] == '~' ? expand_tildes(written, audit.run.homes) : written;
    if (text.empty() || text[0] != '/') finding("relative: resolved against the working directory");
    if (field[0] == '~')
        finding(
            "tilde: expanded by trakko and bash only; other shells and execvp(3) take it "
            "literally");
    auto [known, added] = audit.examinations.try_emplace(text);
    if (added) known->second = examine(audit, text);
    const Examination& exam = known->second;
    if (!exam.state.empty()) finding(exam.state);
    auto [first, fresh] = audit.first_by_text.try_emplace(text, number);
    if (!fresh) finding("duplicate of entry " + std::to_string(first->second));
    if (!exam.writable.empty()) finding(exam.writable);
    if (!exam.foreign.empty()) finding(exam.foreign);
    if (fresh && exam.is_dir) {
        auto [same, unseen] = audit.first_by_dir.try_emplace(DirId{exam.dev, exam.ino}, number);
        if (!unseen)
            write_finding(out, number, field,
                          "note: the same directory as entry " + std::to_string(same->second));
    }
    return counts;
}

}  // namespace

int check_path(RunContext& run) {
    if (run.path_list == nullptr || *run.path_list == '\0') {
        put_text(run.out, run.path_list == nullptr ? "PATH is unset\n" : "PATH is empty\n");
        return audit_remembered(run, 1);
    }
    Audit audit(run);
    int flagged = 0;
    size_t number = 0;
    for (const char* field = run.path_list;;) {
        const char* colon = strchr(field, ':');
        size_t length = colon != nullptr ? static_cast<size_t>(colon - field) : strlen(field);
        if (audit_entry(audit, ++number, std::string_view(field, length)) &&
            flagged < max_audit_status)
            ++flagged;
        if (colon == nullptr) return audit_remembered(run, flagged);
        field = colon + 1;
    }
}
