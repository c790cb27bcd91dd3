// --explain: why each candidate of a lookup was taken or passed over. A lookup explained goes
// past its last printed match, to name the copies that a plain run never reaches; those are
// only probed, never normalised, so that nothing about them can end the run or change what it
// prints and returns.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "search/search.h"

void explain_line(RunContext& run, std::string_view command, std::string_view where,
                  std::string_view verdict) {
    flush_output(run.out);
    std::string line(program_name);
    line.append(": ").append(command).append(": ").append(where).append(": ").append(verdict);
    line += '\n';
    // One write: standard error is unbuffered, and a line in pieces could interleave with the
    // output of another process on the same terminal.
    fwrite(line.data(), 1, line.size(), stderr);
}

void explain_unsearched_path(RunContext& run, std::string_view command, bool function_shown) {
    if (function_shown && !run.options.opt_all)
        explain_line(run, command, "PATH",
                     "not searched: the shell function comes first (--all searches it too)");
    else if (run.path_list == nullptr)
        explain_line(run, command, "PATH", "unset");
    else if (*run.path_list == '\0')
        explain_line(run, command, "PATH", "empty");
}

namespace {

// One explained lookup.
struct Explained {
    RunContext& run;
    int indent;
    std::string_view command;
    LookupResult& result;
    bool stopped = false;  // a plain run would have ended its search before this candidate
    bool found = false;    // a line was printed
    dev_t match_dev = 0;   // the file that the first printed line names
    ino_t match_ino = 0;
};

// stat of a candidate and, for what is not a directory, the access test: exactly what
// probe_file decides a match on, with the reason of a failure kept.
struct Probe {
    int error = 0;
    struct stat status;
    bool exec = false;
};

Probe probe(const char* path) {
    Probe result;
    if (stat(path, &result.status) != 0) {
        result.error = errno;
        return result;
    }
    result.exec = !S_ISDIR(result.status.st_mode) && effective_access(path, X_OK) == 0;
    return result;
}

// The verdict on a candidate that stat refused. A missing candidate is told apart by where it
// went missing: the link it is, or the directory it should be in.
std::string failure_verdict(int error, const std::string& candidate, const std::string& dir) {
    if (error == ELOOP) return "symbolic link loop";
    if (error == ENOTDIR) return "not a directory";
    if (error != ENOENT) return strerror(error);
    struct stat status;
    if (lstat(candidate.c_str(), &status) == 0 && S_ISLNK(status.st_mode))
        return "dangling symbolic link to " + read_link(candidate);
    if (stat(dir.empty() ? "." : dir.c_str(), &status) != 0 && errno == ENOENT)
        return "no such directory";
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

constexpr std::string_view dropped_verdict =
    "match under the home directory, dropped (--skip-tilde)";

// A match that a plain run reaches: normalised, explained, then printed as it would be.
void take_match(Explained& x, const std::string& candidate, const std::string& dir,
                const Probe& found) {
    RunContext& run = x.run;
    Match match;
    match.via_dot_entry = !dir.empty() && dir[0] == '.';
    build_full_path(run, candidate.c_str(), match);
    if (run.options.opt_read_hash) keep_first_match(x.result, candidate, match);
    bool dropped = run.options.opt_skip_tilde && lies_under(match.ResultPath, run.HomePrefix);
    std::string verdict(dropped ? dropped_verdict
                        : dir.empty() || dir[0] != '/'
                            ? "match, through a relative entry: depends on the working directory"
                            : "match");
    add_link_target(verdict, candidate);
    explain_line(run, x.command, candidate, verdict);
    if (dropped) return;
    show_result(run, match, x.indent);
    if (!x.found) {
        x.match_dev = found.status.st_dev;
        x.match_ino = found.status.st_ino;
    }
    x.found = true;
    if (!run.options.opt_all) x.stopped = true;
}

// Whether a later match lies under the home directory, found without anything that could end
// the run: a relative candidate whose working directory cannot be named, or one too long to
// normalise, counts as lying elsewhere.
bool later_under_home(RunContext& run, const std::string& candidate) {
    PathPrefix own_cwd;
    const PathPrefix* cwd = &run.CwdPrefix;
    if (candidate[0] != '/' && cwd->length == 0) {
        if (!fill_cwd(own_cwd)) return false;
        cwd = &own_cwd;
    }
    char result[path_buffer_size];
    return normalise_path(candidate.c_str(), *cwd, result) && lies_under(result, run.HomePrefix);
}

void name_later_match(Explained& x, const std::string& candidate, const Probe& found) {
    std::string verdict;
    if (x.run.options.opt_skip_tilde && later_under_home(x.run, candidate))
        verdict = dropped_verdict;
    else if (found.status.st_dev == x.match_dev && found.status.st_ino == x.match_ino)
        verdict = "also here, not printed: the same file as the match";
    else
        verdict = "also here, not printed: shadowed by the match";
    add_link_target(verdict, candidate);
    explain_line(x.run, x.command, candidate, verdict);
}

// The entry as written is the one named when it is skipped; the candidate, after tilde
// expansion, is named otherwise.
void explain_entry(Explained& x, const std::string& entry, std::string_view base_name,
                   std::string& candidate) {
    RunContext& run = x.run;
    std::string dir = entry;
    switch (prepare_entry(run, dir)) {
        case EntrySkip::tilde:
            explain_line(run, x.command, entry, "skipped: tilde entry (--skip-tilde)");
            return;
        case EntrySkip::dot:
            explain_line(run, x.command, entry, "skipped: relative entry (--skip-dot)");
            return;
        case EntrySkip::none:
            break;
    }
    join_dir_name(dir, base_name, candidate);
    Probe found = probe(candidate.c_str());
    if (found.error != 0) {
        explain_line(run, x.command, candidate, failure_verdict(found.error, candidate, dir));
    } else if (S_ISDIR(found.status.st_mode)) {
        explain_line(run, x.command, candidate, "a directory");
    } else if (!found.exec) {
        IdNames names;
        std::string verdict = "not executable (" + mode_owner_group(found.status, names) + ")";
        explain_line(run, x.command, candidate, verdict);
    } else if (!x.stopped) {
        take_match(x, candidate, dir, found);
    } else {
        name_later_match(x, candidate, found);
    }
}

}  // namespace

LookupResult explain_lookup(RunContext& run, int indent, const char* name) {
    LookupResult result;
    Explained x{run, indent, name, result};
    std::string entry, candidate;
    if (contains_slash(name)) {
        result.name_has_slash = true;
        result.slash_dir = slash_dir_of(name);
        explain_entry(x, result.slash_dir, strrchr(name, '/') + 1, candidate);
    } else {
        size_t entry_pos = 0;
        while (next_path_entry(run.path_list, entry_pos, entry))
            explain_entry(x, entry, name, candidate);
    }
    result.found = x.found;
    return result;
}
