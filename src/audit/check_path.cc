// Every directory the audit looks at is looked at once, whatever number of entries leads to
// it, and every table is a hash: a PATH of thousands of entries costs no more per entry than
// a short one.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "audit/audit.h"
#include "audit/examine.h"
#include "tilde/tilde.h"
#include "util/report.h"

namespace {

constexpr int max_audit_status = 254;

// Every finding counts toward the status but a note, which only tells.
bool counts_toward_status(std::string_view finding) {
    return !finding.starts_with("note: ");
}

// The shell that --shell names, as the audit's lines name it.
const char* shell_label(const RunContext& run) {
    switch (run.options.shell) {
        case ShellName::bash:
            return "bash in POSIX mode";
        case ShellName::zsh:
            return "zsh";
        case ShellName::ksh93:
            return "ksh93";
        case ShellName::mksh:
            return "mksh";
        default:
            return "fish";
    }
}

// A tilde word that names no user is left as it is, and the entry then names a directory
// relative to the working directory.
std::string tilde_finding(const RunContext& run, std::string_view field) {
    if (run.path_tildes == PathTildes::none)
        return std::string("tilde: ") + shell_label(run) + " takes it literally, as execvp(3) does";
    std::string user(leading_tilde_user(field));
    auto known = run.homes.users.find(user);
    if (!user.empty() && known != run.homes.users.end() && !known->second)
        return "tilde: no user " + user + ", so taken literally";
    if (run.path_tildes == PathTildes::leading)
        return "tilde: expanded by bash, the word that begins the entry only; other shells and "
               "execvp(3) take it literally";
    return "tilde: expanded by trakko and bash only; other shells and execvp(3) take it literally";
}

// The directory an entry names, as the run's shell reads a '~' at its start.
std::string entry_text(RunContext& run, std::string_view field) {
    std::string written(field);
    if (field[0] != '~' || run.path_tildes == PathTildes::none) return written;
    if (run.path_tildes == PathTildes::leading) return expand_tilde_prefix(written, run.homes);
    return expand_tildes(written, run.homes);
}

// The findings of one entry, in the order they are written.
std::vector<std::string> findings_of(Audit& audit, size_t number, std::string_view field) {
    std::vector<std::string> findings;
    if (field.empty()) {
        findings.emplace_back("empty: stands for the working directory");
        // Keyed apart from every text an entry can have: it is nothing written.
        auto [first, fresh] = audit.first_by_text.try_emplace(std::string(1, '\0'), number);
        if (!fresh) findings.push_back("duplicate of entry " + std::to_string(first->second));
        return findings;
    }
    std::string text = entry_text(audit.run, field);
    if (text.empty() || text[0] != '/')
        findings.emplace_back("relative: resolved against the working directory");
    if (field[0] == '~') findings.push_back(tilde_finding(audit.run, field));
    auto [known, added] = audit.examinations.try_emplace(text);
    if (added) known->second = examine(audit, text);
    const Examination& exam = known->second;
    if (!exam.state.empty()) findings.push_back(exam.state);
    if (exam.noexec) findings.emplace_back("mounted noexec: nothing in it can be run");
    auto [first, fresh] = audit.first_by_text.try_emplace(text, number);
    if (!fresh) findings.push_back("duplicate of entry " + std::to_string(first->second));
    findings.insert(findings.end(), exam.writable.begin(), exam.writable.end());
    if (!exam.foreign.empty()) findings.push_back(exam.foreign);
    findings.insert(findings.end(), exam.foreign_links.begin(), exam.foreign_links.end());
    if (fresh && exam.is_dir) {
        auto [same, unseen] = audit.first_by_dir.try_emplace(DirId{exam.dev, exam.ino}, number);
        if (!unseen)
            findings.push_back("note: the same directory as entry " + std::to_string(same->second));
    }
    return findings;
}

// Writes the findings of one entry; true when one of them counts.
bool audit_entry(Audit& audit, size_t number, std::string_view field) {
    bool counts = false;
    std::string head = std::to_string(number) + ": ";
    head.append(field.empty() ? "(empty)" : field).append(": ");
    for (const std::string& finding : findings_of(audit, number, field)) {
        write_audit_line(audit.run.out, head + finding);
        counts = counts || counts_toward_status(finding);
    }
    return counts;
}

// The entries of PATH with a finding that counts (1 when PATH is unset or empty).
int audit_entries(RunContext& run) {
    if (run.path_list == nullptr || *run.path_list == '\0') {
        write_audit_line(run.out, run.path_list == nullptr ? "PATH is unset" : "PATH is empty");
        return 1;
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
        if (colon == nullptr) return flagged;
        field = colon + 1;
    }
}

}  // namespace

void write_audit_line(Output& out, std::string_view line) {
    put_text(out, escape_controls(line));
    put_char(out, '\n');
}

int check_path(RunContext& run) {
    int flagged = audit_entries(run);
    if (run.options.opt_read_hash) flagged += audit_remembered(run);
    return std::min(flagged, max_audit_status);
}
