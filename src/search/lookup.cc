#include "search/lookup.h"

#include <algorithm>
#include <cstring>

#include "search/cwd.h"
#include "search/display.h"
#include "search/explain.h"
#include "search/normalise.h"
#include "search/path_list.h"
#include "search/probe.h"
#include "tilde/tilde.h"

// Relative names get "./" in front unless they begin with '.', '/' or '~'.
std::string slash_dir_of(const char* name) {
    std::string dir = name[0] == '.' || name[0] == '/' || name[0] == '~' ? std::string(name)
                                                                         : std::string("./") + name;
    dir.resize(dir.rfind('/'));
    // "/ls" has an empty directory part; it names the root directory.
    if (dir.empty()) dir = "/";
    return dir;
}

PreparedEntry prepare_entry(RunContext& run, const std::string& entry, std::string& expanded) {
    const OptionSet& options = run.options;
    PreparedEntry prepared{EntrySkip::none, &entry};
    if (entry[0] == '~') {
        if (options.opt_skip_tilde) return {EntrySkip::tilde, nullptr};
        // Only bash expands it, and only the tilde word that begins the entry.
        if (run.path_tildes != PathTildes::none) {
            expanded = run.path_tildes == PathTildes::words ? expand_tildes(entry, run.homes)
                                                            : expand_tilde_prefix(entry, run.homes);
            prepared.dir = &expanded;
        }
    }
    // --skip-dot looks at the expanded text and skips every relative entry, not only "./...".
    const std::string& dir = *prepared.dir;
    if (options.opt_skip_dot && (dir.empty() || dir[0] != '/')) return {EntrySkip::dot, nullptr};
    return prepared;
}

namespace {

// One lookup in progress.
struct Walk {
    Walk(RunContext& context, int lines_indent, std::string_view name, bool quietly,
         const BoundBuiltin* bound_builtin)
        : run(context),
          indent(lines_indent),
          command(name),
          quiet(quietly),
          explanation(quietly ? nullptr : context.explanation),
          bound(bound_builtin) {}
    RunContext& run;
    int indent;
    std::string_view command;
    // Only the first match is wanted: nothing is printed or explained, nothing ends the run.
    bool quiet;
    Explanation* explanation;   // the run's, unless quiet
    const BoundBuiltin* bound;  // a builtin met where its directory is reached, or null
    std::string candidate;      // storage kept from one entry to the next
    std::string expanded;       // the same, for a tilde entry's expansion
    Probe first_printed;        // the probe of the first printed match
    // A plain run has ended its search: what follows is only probed for the explanation.
    bool stopped = false;
    LookupResult result;
};

void report(Walk& walk, Outcome outcome, std::string_view entry, std::string_view dir,
            std::string_view base_name, const Probe* probe) {
    bool probed = probe != nullptr;
    explain_candidate(
        walk.run, {walk.command, entry, dir, base_name, probed ? &walk.candidate : nullptr, outcome,
                   probe, outcome == Outcome::later ? &walk.first_printed : nullptr});
}

// A match past the stop is never printed, so it is only normalised to tell whether it would be
// dropped, quietly: a working directory that cannot be named, or a result too long, leaves it
// counted as lying elsewhere, and nothing about it can end the run.
Outcome later_outcome(RunContext& run, const std::string& candidate) {
    if (!run.options.opt_skip_tilde) return Outcome::later;
    const PathPrefix* cwd = candidate[0] == '/' ? &run.CwdPrefix : working_directory(run);
    Match match;
    bool dropped = cwd != nullptr && normalise_path(candidate.c_str(), *cwd, match.ResultPath) &&
                   drops_match(run, match);
    return dropped ? Outcome::dropped : Outcome::later;
}

// A match that cannot be normalised is named as it was probed (only a quiet walk goes on past
// such a failure).
void keep_first_match(Walk& walk, const Match& match, const Probe& probe) {
    walk.result.first = {walk.candidate, walk.result.failure ? walk.candidate : match.ResultPath,
                         probe.status};
    walk.result.failure = walk.quiet ? Failure{} : walk.result.failure;
}

Outcome refusal(const Probe& probe) {
    if (!probe.exists) return Outcome::failed;
    return S_ISDIR(probe.status.st_mode) ? Outcome::directory : Outcome::not_executable;
}

// A builtin bound to dir runs there in place of any file: it is the match of the entry.
bool meets_bound_builtin(Walk& walk, std::string_view dir) {
    const std::vector<std::string_view>& dirs = walk.bound->dirs;
    if (std::find(dirs.begin(), dirs.end(), dir) == dirs.end()) return false;
    if (walk.indent == 1) put_char(walk.run.out, '\t');
    put_text(walk.run.out, walk.bound->line);
    walk.result.found = true;
    walk.stopped = !walk.run.options.opt_all;
    return true;
}

// Everything the search decides about one entry: whether a skip option passes it over, whether
// its candidate matches, whether the match is dropped, printed, and ends the search.
void try_entry(Walk& walk, const std::string& entry, std::string_view base_name) {
    RunContext& run = walk.run;
    PreparedEntry prepared = prepare_entry(run, entry, walk.expanded);
    if (prepared.skip != EntrySkip::none) {
        Outcome outcome =
            prepared.skip == EntrySkip::tilde ? Outcome::skipped_tilde : Outcome::skipped_dot;
        if (walk.explanation != nullptr) report(walk, outcome, entry, entry, base_name, nullptr);
        return;
    }
    const std::string& dir = *prepared.dir;
    if (walk.bound != nullptr && !walk.stopped && meets_bound_builtin(walk, dir)) return;
    join_dir_name(dir, base_name, walk.candidate);
    Probe probe = probe_file(walk.candidate.c_str(), walk.explanation != nullptr);
    if (!probe.exec || walk.stopped) {
        if (walk.explanation == nullptr) return;
        Outcome outcome = !probe.exec ? refusal(probe) : later_outcome(run, walk.candidate);
        report(walk, outcome, entry, dir, base_name, &probe);
        return;
    }
    Match match;
    match.via_dot_entry = !dir.empty() && dir[0] == '.';
    walk.result.failure = build_full_path(run, walk.candidate.c_str(), probe.status, match);
    // The shell's remembered path is set against the first match, printed or dropped.
    if ((run.options.opt_read_hash || walk.quiet) && !walk.result.first)
        keep_first_match(walk, match, probe);
    if (walk.result.failure || walk.quiet) {
        walk.stopped = walk.quiet;
        return;
    }
    bool dropped = drops_match(run, match);
    if (walk.explanation != nullptr)
        report(walk, dropped ? Outcome::dropped : Outcome::taken, entry, dir, base_name, &probe);
    if (dropped) return;
    show_result(run, match, walk.indent);
    if (!walk.result.found && walk.explanation != nullptr) walk.first_printed = probe;
    walk.result.found = true;
    walk.stopped = !run.options.opt_all;
}

LookupResult search(Walk& walk, const char* name) {
    if (contains_slash(name)) {
        walk.result.name_has_slash = true;
        walk.result.slash_dir = slash_dir_of(name);
        try_entry(walk, walk.result.slash_dir, strrchr(name, '/') + 1);
        return std::move(walk.result);
    }
    std::string entry;
    size_t entry_pos = 0;
    while (next_path_entry(walk.run.path_list, entry_pos, entry)) {
        try_entry(walk, entry, name);
        // --explain goes on past the stop, to name the copies that the match shadows.
        if (walk.result.failure || (walk.stopped && walk.explanation == nullptr)) break;
    }
    return std::move(walk.result);
}

}  // namespace

LookupResult lookup_command(RunContext& run, int indent, const char* name,
                            const BoundBuiltin* bound) {
    Walk walk(run, indent, name, false, bound);
    return search(walk, name);
}

LookupResult find_first_match(RunContext& run, const char* name) {
    Walk walk(run, 0, name, true, nullptr);
    return search(walk, name);
}
