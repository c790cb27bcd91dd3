#include "shell/facts.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "defs/defs.h"

namespace {

enum class FactKind : unsigned char { none, builtin, keyword, state, hash };

// One enable or keyword line: its name, and whether it is turned off ("-n").
struct NameFact {
    std::string_view name;
    bool off = false;
};

// The name after prefix in line ("enable " or "keyword "), "-n " first for one turned off; a
// name is one word of printable bytes, as every shell's builtins and keywords are.
bool read_name_fact(std::string_view line, std::string_view prefix, NameFact& fact) {
    if (!line.starts_with(prefix)) return false;
    std::string_view rest = line.substr(prefix.size());
    fact.off = rest.starts_with("-n ");
    if (fact.off) rest.remove_prefix(3);
    fact.name = rest;
    return !rest.empty() && std::none_of(rest.begin(), rest.end(), [](char c) {
        return static_cast<unsigned char>(c) <= ' ' || c == '\x7f';
    });
}

constexpr std::array<std::string_view, 4> state_lines = {"shopt -s checkhash", "shopt -u checkhash",
                                                         "set -o posix", "set +o posix"};

// What line (its newline taken off) is: the kind of fact, the name of an enable or keyword
// line in fact. A line with a NUL byte comes from no shell.
FactKind classify(std::string_view line, NameFact& fact, RememberedPaths* table) {
    if (memchr(line.data(), '\0', line.size()) != nullptr) return FactKind::none;
    if (read_name_fact(line, "enable ", fact)) return FactKind::builtin;
    if (read_name_fact(line, "keyword ", fact)) return FactKind::keyword;
    if (std::find(state_lines.begin(), state_lines.end(), line) != state_lines.end())
        return FactKind::state;
    RememberedPaths scratch;
    bool hash = read_hash_line(line, table != nullptr ? *table : scratch) != HashLine::none;
    return hash ? FactKind::hash : FactKind::none;
}

std::string_view without_newline(std::string_view line) {
    if (line.ends_with('\n')) line.remove_suffix(1);
    return line;
}

void add_builtin(ShellFacts& facts, const NameFact& fact) {
    size_t slash = fact.name.rfind('/');
    if (slash == std::string_view::npos) {
        facts.builtins[fact.name] = !fact.off;
        return;
    }
    // A bound builtin needs a directory and a name; turned off, it is forgotten.
    std::erase(facts.bound, fact.name);
    if (!fact.off && slash > 0 && slash + 1 < fact.name.size()) facts.bound.push_back(fact.name);
}

void set_state(ShellFacts& facts, std::string_view line) {
    if (line.ends_with("checkhash"))
        facts.checkhash = line[7] == 's';
    else
        facts.posix = line[4] == '-';
}

}  // namespace

size_t facts_block_end(std::string_view input) {
    NameFact fact;
    size_t pos = 0;
    while (pos < input.size()) {
        std::string_view raw = next_line(input, pos);
        if (classify(without_newline(raw), fact, nullptr) == FactKind::none) break;
        pos += raw.size();
    }
    return pos;
}

ShellFacts read_shell_facts(std::string_view block, const OptionSet& options) {
    ShellFacts facts;
    if (options.opt_read_hash) facts.remembered.emplace();
    RememberedPaths* table = facts.remembered ? &*facts.remembered : nullptr;
    NameFact fact;
    for (size_t pos = 0; pos < block.size();) {
        std::string_view raw = next_line(block, pos);
        std::string_view line = without_newline(raw);
        pos += raw.size();
        switch (classify(line, fact, table)) {
            case FactKind::builtin:
                if (options.opt_read_builtins) add_builtin(facts, fact);
                break;
            case FactKind::keyword:
                if (options.opt_read_builtins) facts.keywords[fact.name] = !fact.off;
                break;
            case FactKind::state:
                set_state(facts, line);
                break;
            default:
                break;
        }
    }
    return facts;
}

Rules rules_of(const OptionSet& options, const ShellFacts* facts) {
    switch (options.shell) {
        case ShellName::zsh:
            return Rules::zsh;
        case ShellName::ksh93:
            return Rules::ksh93;
        case ShellName::mksh:
            return Rules::mksh;
        case ShellName::fish:
            return Rules::fish;
        default:
            return facts != nullptr && facts->posix ? Rules::bash_posix : Rules::bash;
    }
}

PathTildes path_tildes_of(const OptionSet& options, const ShellFacts* facts) {
    if (options.shell == ShellName::unset) return PathTildes::words;
    return rules_of(options, facts) == Rules::bash ? PathTildes::leading : PathTildes::none;
}

Remembering remembering_of(const OptionSet& options, const ShellFacts* facts) {
    switch (rules_of(options, facts)) {
        case Rules::bash:
            return facts != nullptr && facts->checkhash ? Remembering::searched_again_when_unusable
                                                        : Remembering::kept;
        case Rules::zsh:
            return Remembering::relative_entries_first;
        case Rules::ksh93:
        case Rules::fish:
            return Remembering::never;
        default:
            return Remembering::searched_again_when_unusable;
    }
}

bool is_special_builtin(Rules rules, std::string_view name) {
    static constexpr std::array<std::string_view, 15> posix = {
        "break",    ":",      ".",   "continue", "eval",  "exec", "exit", "export",
        "readonly", "return", "set", "shift",    "times", "trap", "unset"};
    if (std::find(posix.begin(), posix.end(), name) != posix.end()) return true;
    // What each shell adds, as each one lets no function take its place.
    return (rules == Rules::bash_posix && name == "source") ||
           (rules == Rules::ksh93 && name == "typeset");
}
