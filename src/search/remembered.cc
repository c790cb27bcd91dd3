// --read-hash: bash, zsh, ksh and mksh run the path they remembered for a command, not what a
// search of PATH would find now. A remembered path is set against the lookup's first match by
// device and inode, so that a link to the same file, or the same directory reached by another
// name, is no news.
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "search/search.h"

void RememberedPaths::remember(std::string name, std::string path) {
    auto [known, added] = index.try_emplace(name, entries.size());
    if (added) {
        entries.push_back({std::move(name), std::move(path), false, std::string()});
    } else {
        entries[known->second].path = std::move(path);
    }
}

RememberedPath* RememberedPaths::find(std::string_view name) {
    if (entries.empty()) return nullptr;
    auto known = index.find(std::string(name));
    return known != index.end() ? &entries[known->second] : nullptr;
}

void keep_first_match(LookupResult& result, const std::string& candidate, const Match& match) {
    if (!result.first_match.empty()) return;
    result.first_probed = candidate;
    result.first_match = match.ResultPath;
}

std::string remembered_finding(const std::string& remembered, const std::string& first_probed,
                               const std::string& first_match) {
    std::string finding = "the shell remembers " + escape_controls(remembered);
    struct stat status;
    if (stat(remembered.c_str(), &status) != 0) {
        // Anything but a missing file or directory leaves the file there but out of reach.
        bool gone = errno == ENOENT || errno == ENOTDIR;
        return finding + (gone ? ", which no longer exists" : ", which is not executable");
    }
    if (S_ISDIR(status.st_mode) || effective_access(remembered.c_str(), X_OK) != 0)
        return finding + ", which is not executable";
    if (first_probed.empty()) return finding + "; PATH now finds none";
    struct stat match;
    if (stat(first_probed.c_str(), &match) == 0 && match.st_dev == status.st_dev &&
        match.st_ino == status.st_ino)
        return std::string();
    return finding + "; PATH now finds " + escape_controls(first_match) + " first";
}

namespace {

// One write, standard output flushed first, as the lines of --explain.
void write_note(RunContext& run, const std::string& note) {
    if (note.empty()) return;
    flush_output(run.out);
    fwrite(note.data(), 1, note.size(), stderr);
}

}  // namespace

// A word of an alias value that is met again is not looked up again: its line is kept.
void tell_remembered(RunContext& run, std::string_view name, const LookupResult& result) {
    // A name with a slash is run as it stands: no shell looks it up in its table.
    if (contains_slash(name)) return;
    RememberedPath* entry = run.remembered.find(name);
    if (entry == nullptr) return;
    std::string finding = remembered_finding(entry->path, result.first_probed, result.first_match);
    entry->note.clear();
    if (!finding.empty())
        entry->note.append(program_name)
            .append(": ")
            .append(escape_controls(name))
            .append(": ")
            .append(finding)
            .append(" (hash -r forgets it)\n");
    entry->told = true;
    write_note(run, entry->note);
}

void retell_remembered(RunContext& run, std::string_view name) {
    RememberedPath* entry = run.remembered.find(name);
    if (entry != nullptr && entry->told) write_note(run, entry->note);
}
