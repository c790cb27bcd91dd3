// --explain: the observer of the lookup. The lookup decides, and tells this file what became
// of each candidate; this file only puts that into words, finding out the little more that a
// verdict names (where a missing file went missing, where a link leads). What it learns about
// a directory is kept for the run: a long PATH and many COMMANDs meet the same directories
// again and again.
#include "search/explain.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fsfacts/acl.h"
#include "fsfacts/file_id.h"
#include "fsfacts/file_mode.h"
#include "fsfacts/interpreter.h"
#include "fsfacts/links.h"
#include "fsfacts/mount.h"
#include "fsfacts/permission.h"
#include "util/report.h"

// Names and link targets are another user's text: each line stays one line of trakko's own.
void write_report(RunContext& run, std::string_view text) {
    write_report_line(run.out, text);
}

void explain_line(RunContext& run, std::string_view command, std::string_view where,
                  std::string_view verdict) {
    std::string line(program_name);
    line.append(": ").append(command).append(": ").append(where).append(": ").append(verdict);
    write_report(run, line);
}

void explain_unsearched_path(RunContext& run, std::string_view command, const char* shown) {
    if (shown != nullptr && !run.options.opt_all)
        explain_line(
            run, command, "PATH",
            std::string("not searched: the ") + shown + " comes first (--all searches it too)");
    else if (run.path_list == nullptr)
        explain_line(run, command, "PATH", "unset");
    else if (*run.path_list == '\0')
        explain_line(run, command, "PATH", "empty");
}

namespace {

// Whether dir exists and, when it can be read, which of its names may be symbolic links (a
// file system that does not say a name's type leaves the name among them, to be looked at).
Explanation::Directory look_at_directory(const std::string& dir) {
    Explanation::Directory facts;
    const char* path = dir.empty() ? "." : dir.c_str();
    struct stat status;
    if (stat(path, &status) != 0) {
        facts.missing = errno == ENOENT;
        return facts;
    }
    DIR* stream = opendir(path);
    if (stream == nullptr) return facts;
    facts.listed = true;
    while (const struct dirent* name = readdir(stream))
        if (name->d_type == DT_LNK || name->d_type == DT_UNKNOWN) facts.links.emplace(name->d_name);
    closedir(stream);
    return facts;
}

// Where no directory refused, the candidate may be a link that fs.protected_symlinks keeps the
// kernel from following: another user's, in a sticky world-writable directory of a third
// user's. The kernel checks this only for a link that ends a path, as a candidate does.
std::string protected_link(Explanation& x, const std::string& candidate) {
    const PathStatus& link = look_at(x.facts, candidate);
    size_t slash = candidate.rfind('/');
    std::string holder = slash == std::string::npos ? "" : candidate.substr(0, slash + 1);
    const PathStatus& dir = look_at(x.facts, holder);
    if (link.error != 0 || !S_ISLNK(link.status.st_mode) || dir.error != 0) return "";
    mode_t sticky_open = S_ISVTX | S_IWOTH;
    if (link.status.st_uid == x.ids.uid || (dir.status.st_mode & sticky_open) != sticky_open ||
        dir.status.st_uid == link.status.st_uid)
        return "";
    return ": the kernel will not follow another user's link in a sticky world-writable "
           "directory (fs.protected_symlinks) (" +
           mode_owner_group(candidate.c_str(), link.status, x.names) + ")";
}

// "Permission denied" says that a directory on the way refused the search: the verdict names it.
std::string permission_verdict(RunContext& run, const CandidateReport& report) {
    Explanation& x = *run.explanation;
    auto [known, added] = x.refusals.try_emplace(std::string(report.dir));
    if (added) {
        // The walk that --check-path takes: through the links, as the kernel goes.
        Resolution walk = resolve(x.facts, known->first);
        if (walk.refusing) {
            const std::string& dir = *walk.refusing;
            const PathStatus& found = look_at(x.facts, dir);
            if (found.error == 0)
                known->second = (dir.empty() ? "." : dir) + " (" +
                                mode_owner_group(system_form(dir), found.status, x.names) + ")";
        }
    }
    if (!known->second.empty())
        return std::string(strerror(EACCES)) + ": cannot search " + known->second;
    return std::string(strerror(EACCES)) + protected_link(x, *report.candidate);
}

// A file that its mode and ACL would let run, on a file system mounted noexec, says why it
// cannot; one whose ACL refuses names the entry that does, which the mode does not show.
std::string not_executable_verdict(RunContext& run, const CandidateReport& report) {
    Explanation& x = *run.explanation;
    const char* path = report.candidate->c_str();
    const struct stat& status = report.probe->status;
    std::string described = mode_owner_group(path, status, x.names);
    std::vector<AclEntry> acl = access_acl(path, status);
    ExecGrant grant = exec_grant(status, acl, x.ids);
    if (grant.allowed && mounted_noexec(path))
        return "not executable: file system mounted noexec (" + described + ")";
    if (!grant.allowed && grant.entry)
        return "not executable: ACL entry " + acl_entry_text(grant, x.names) + " (" + described +
               ")";
    return "not executable (" + described + ")";
}

// Every link of a dangling chain, so that the missing end is named.
std::string dangling_verdict(const std::string& candidate) {
    std::string verdict = "dangling symbolic link to ";
    std::vector<std::string> chain = link_chain(candidate);
    for (size_t i = 0; i < chain.size(); ++i) verdict.append(i > 0 ? " -> " : "").append(chain[i]);
    return verdict;
}

// The verdict on a candidate that stat refused. A missing candidate is told apart by where it
// went missing: the link it is, or the directory it should be in.
std::string failure_verdict(RunContext& run, const CandidateReport& report) {
    int error = report.probe->error;
    if (error == ELOOP) return "symbolic link loop";
    if (error == ENOTDIR) return "not a directory";
    if (error == EACCES) return permission_verdict(run, report);
    if (error != ENOENT) return strerror(error);
    auto [known, added] = run.explanation->directories.try_emplace(std::string(report.dir));
    if (added) known->second = look_at_directory(known->first);
    const Explanation::Directory& dir = known->second;
    if (dir.missing) return "no such directory";
    const std::string& candidate = *report.candidate;
    struct stat status;
    if ((!dir.listed || dir.links.count(std::string(report.base_name)) != 0) &&
        lstat(candidate.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        return dangling_verdict(candidate);
    return "no such file";
}

// A match that is itself a symbolic link says where it leads.
void add_link_target(std::string& verdict, const std::string& candidate) {
    struct stat status;
    if (lstat(candidate.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) return;
    char* resolved = realpath(candidate.c_str(), nullptr);
    if (resolved == nullptr) return;
    verdict.append(" -> ").append(resolved);
    free(resolved);
}

// A match is what the search finds; a script whose "#!" line the kernel cannot follow still
// fails to start, and the verdict says so.
void add_start_refusal(std::string& verdict, const std::string& candidate, IdNames& names) {
    std::string refusal = start_refusal(candidate.c_str(), names);
    if (!refusal.empty()) verdict.append(", but the kernel will not start it: ").append(refusal);
}

// The verdict on a candidate that matched: taken, dropped, or past the stop.
std::string match_verdict(RunContext& run, const CandidateReport& report) {
    std::string verdict;
    switch (report.outcome) {
        case Outcome::dropped:
            verdict = "match under the home directory, dropped (--skip-tilde)";
            break;
        case Outcome::later:
            verdict = same_file(report.probe->status, report.first_match->status)
                          ? "also here, not printed: the same file as the match"
                          : "also here, not printed: shadowed by the match";
            break;
        default:
            verdict = report.dir.empty() || report.dir[0] != '/'
                          ? "match, through a relative entry: depends on the working directory"
                          : "match";
    }
    add_link_target(verdict, *report.candidate);
    add_start_refusal(verdict, *report.candidate, run.explanation->names);
    return verdict;
}

std::string verdict(RunContext& run, const CandidateReport& report) {
    switch (report.outcome) {
        case Outcome::skipped_tilde:
            return "skipped: tilde entry (--skip-tilde)";
        case Outcome::skipped_dot:
            return "skipped: relative entry (--skip-dot)";
        case Outcome::failed:
            return failure_verdict(run, report);
        case Outcome::directory:
            return "a directory";
        case Outcome::not_executable:
            return not_executable_verdict(run, report);
        case Outcome::taken:
        case Outcome::dropped:
        case Outcome::later:
            break;
    }
    return match_verdict(run, report);
}

}  // namespace

// The entry as written is the one named when it is skipped; the candidate, after tilde
// expansion, is named otherwise.
void explain_candidate(RunContext& run, const CandidateReport& report) {
    std::string_view where = report.candidate != nullptr ? *report.candidate : report.entry;
    explain_line(run, report.command, where, verdict(run, report));
}
