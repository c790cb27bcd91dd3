// --read-hash: bash, zsh, ksh and mksh run the path they remembered for a command, not what a
// search of PATH would find now. A remembered path is set against the lookup's first match by
// device and inode, so that a link to the same file, or the same directory reached by another
// name, is no news.
#include "shell/remembered.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "fsfacts/file_id.h"
#include "search/explain.h"
#include "search/probe.h"
#include "search/run_context.h"
#include "shell/facts.h"

void RememberedPaths::add(std::string_view name, std::string_view path, bool quoted) {
    if (quoted) {
        // Unlike a deque, an empty list allocates nothing: a plain run pays nothing for it.
        name = unquoted.emplace_front(name);
        path = unquoted.emplace_front(path);
    }
    lines.push_back({name, path});
}

void RememberedPaths::build_index() {
    if (!last_by_name.empty() || lines.empty()) return;
    last_by_name.reserve(lines.size());
    for (size_t i = 0; i < lines.size(); ++i) last_by_name[lines[i].name] = i;
}

// A few names are looked up by a scan from the last line; an alias of many words gets the index.
size_t RememberedPaths::find(std::string_view wanted) {
    constexpr int scans_before_index = 8;
    if (lines.empty()) return std::string_view::npos;
    if (last_by_name.empty() && ++scans <= scans_before_index) {
        for (size_t i = lines.size(); i-- > 0;)
            if (lines[i].name == wanted) return i;
        return std::string_view::npos;
    }
    build_index();
    auto known = last_by_name.find(wanted);
    return known != last_by_name.end() ? known->second : std::string_view::npos;
}

std::string remembered_finding(Remembering rule, const std::string& remembered,
                               const std::optional<FirstMatch>& first) {
    if (rule == Remembering::never) return std::string();
    std::string finding = "the shell remembers " + remembered;
    // zsh finds a match through a relative entry before it looks at what it remembers.
    if (rule == Remembering::relative_entries_first && first && first->probed[0] != '/')
        return std::string();
    // A shell that searches again for an unusable file runs the first match, if there is one.
    bool searched_again = rule != Remembering::kept && first;
    struct stat status;
    if (stat(remembered.c_str(), &status) != 0) {
        if (searched_again) return std::string();
        // Anything but a missing file or directory leaves the file there but out of reach.
        bool gone = errno == ENOENT || errno == ENOTDIR;
        return finding + (gone ? ", which no longer exists" : ", which is not executable");
    }
    if (S_ISDIR(status.st_mode) || effective_access(remembered.c_str(), X_OK) != 0)
        return searched_again ? std::string() : finding + ", which is not executable";
    if (!first) return finding + "; PATH now finds none";
    if (same_file(first->status, status)) return std::string();
    return finding + "; PATH now finds " + first->printed + " first";
}

// A word of an alias value that is met again is not looked up again: its line is kept.
void tell_remembered(RunContext& run, std::string_view name, const LookupResult& result) {
    // A name with a slash is run as it stands: no shell looks it up in its table.
    if (contains_slash(name)) return;
    if (run.shell_facts == nullptr || !run.shell_facts->remembered) return;
    RememberedPaths& table = *run.shell_facts->remembered;
    size_t line = table.find(name);
    if (line == std::string_view::npos) return;
    Remembering rule = remembering_of(run.options, run.shell_facts);
    std::string finding =
        remembered_finding(rule, std::string(table.lines[line].path), result.first);
    std::string& note = table.notes[line];
    note.clear();
    if (finding.empty()) return;
    note.append(program_name).append(": ").append(name).append(": ").append(finding);
    note.append(" (hash -r forgets it)");
    write_report(run, note);
}

void retell_remembered(RunContext& run, std::string_view name) {
    if (run.shell_facts == nullptr || !run.shell_facts->remembered) return;
    RememberedPaths& table = *run.shell_facts->remembered;
    size_t line = table.find(name);
    if (line == std::string_view::npos) return;
    auto told = table.notes.find(line);
    if (told != table.notes.end() && !told->second.empty()) write_report(run, told->second);
}
