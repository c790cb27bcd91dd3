// --explain: the observer of the lookup. The lookup decides, and tells this file what became
// of each candidate; this file only puts that into words, finding out the little more that a
// verdict names (where a missing file went missing, where a link leads). What it learns about
// a directory is kept for the run: a long PATH and many COMMANDs meet the same directories
// again and again.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "search/search.h"

// Names and link targets are another user's text: each line stays one line of trakko's own.
void write_report(RunContext& run, std::string_view text) {
    flush_output(run.out);
    std::string line = escape_controls(text);
    line += '\n';
    // One write: standard error is unbuffered, and a line in pieces could interleave with the
    // output of another process on the same terminal.
    fwrite(line.data(), 1, line.size(), stderr);
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

// The first directory on the way into dir (from "/", or from the working directory "." for a
// relative one, then each of dir's leading components and dir itself) that the effective ids
// may not search, written as dir's own leading components; "" when none refuses.
std::string first_unsearchable(const std::string& dir) {
    std::vector<std::string> way{dir.starts_with('/') ? "/" : "."};
    for (size_t slash = dir.find('/', 1); slash != std::string::npos;
         slash = dir.find('/', slash + 1))
        if (dir[slash - 1] != '/') way.push_back(dir.substr(0, slash));
    if (!dir.empty() && dir != "/" && !dir.ends_with('/')) way.push_back(dir);
    for (const std::string& step : way)
        if (effective_access(step.c_str(), X_OK) != 0 && errno == EACCES) return step;
    return "";
}

// "Permission denied" says that a directory on the way refused the search: the verdict names it.
std::string permission_verdict(RunContext& run, const CandidateReport& report) {
    Explanation& x = *run.explanation;
    auto [known, added] = x.refusals.try_emplace(std::string(report.dir));
    if (added) {
        std::string dir = first_unsearchable(known->first);
        struct stat status;
        if (!dir.empty() && stat(dir.c_str(), &status) == 0)
            known->second = dir + " (" + mode_owner_group(dir.c_str(), status, x.names) + ")";
    }
    if (known->second.empty()) return strerror(EACCES);
    return std::string(strerror(EACCES)) + ": cannot search " + known->second;
}

// The mode says the effective ids may run the file: the owner's, the group's or the others'
// execute bit, whichever applies to them (any of the three for root).
bool mode_lets_run(const struct stat& status) {
    mode_t mode = status.st_mode;
    uid_t euid = geteuid();
    if (euid == 0) return (mode & (S_IXUSR | S_IXGRP | S_IXOTH)) != 0;
    if (euid == status.st_uid) return (mode & S_IXUSR) != 0;
    bool in_group = getegid() == status.st_gid;
    int count = getgroups(0, nullptr);
    std::vector<gid_t> groups(count > 0 ? static_cast<size_t>(count) : 0);
    if (count > 0 && getgroups(count, groups.data()) == count)
        for (gid_t group : groups) in_group = in_group || group == status.st_gid;
    return (mode & (in_group ? S_IXGRP : S_IXOTH)) != 0;
}

// A file that its mode would let run, on a file system mounted noexec, says why it cannot.
std::string not_executable_verdict(RunContext& run, const CandidateReport& report) {
    const struct stat& status = report.probe->status;
    std::string described =
        mode_owner_group(report.candidate->c_str(), status, run.explanation->names);
    if (mode_lets_run(status) && mounted_noexec(report.candidate->c_str()))
        return "not executable: file system mounted noexec (" + described + ")";
    return "not executable (" + described + ")";
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
        return "dangling symbolic link to " + read_link(candidate);
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

// The verdict on a candidate that matched: taken, dropped, or past the stop.
std::string match_verdict(const CandidateReport& report) {
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
    return match_verdict(report);
}

}  // namespace

// The entry as written is the one named when it is skipped; the candidate, after tilde
// expansion, is named otherwise.
void explain_candidate(RunContext& run, const CandidateReport& report) {
    std::string_view where = report.candidate != nullptr ? *report.candidate : report.entry;
    explain_line(run, report.command, where, verdict(run, report));
}
