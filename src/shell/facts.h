// The shell's own facts, from the block that leads the listing: its remembered paths
// (--read-hash), its builtins and keywords (--read-builtins) and the state lines that change
// its rules. Only that block holds them: no alias value or function body can stand there, so
// no text of one can forge a fact.
//   enable NAME          a builtin the shell runs        enable -n NAME    one turned off
//   enable DIR/NAME      a builtin that runs in place of the file DIR/NAME when the search of
//                        PATH reaches DIR (ksh93's /opt/ast/bin/cat)
//   keyword NAME         a reserved word                 keyword -n NAME   one turned off
//   shopt -s checkhash, shopt -u checkhash, set -o posix, set +o posix    bash's own lines
//   builtin hash -p PATH NAME, hash NAME=PATH, hash -- NAME=PATH          remembered paths
#pragma once

#include <optional>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "shell/remembered.h"

struct ShellFacts {
    // By name: true for one the shell runs, false for one turned off; the last line counts.
    std::unordered_map<std::string_view, bool> builtins;
    std::unordered_map<std::string_view, bool> keywords;
    std::vector<std::string_view> bound;        // DIR/NAME of the builtins bound to a directory
    bool checkhash = false;                     // bash: a remembered path is checked before it runs
    bool posix = false;                         // bash in POSIX mode
    std::optional<RememberedPaths> remembered;  // under --read-hash only
};

// Where the leading block of fact lines of input ends: at its first line that is no fact line
// (whatever the options take of them), or at the end.
size_t facts_block_end(std::string_view input);

// The facts of block (a leading block of input, that stays alive for the run) that options
// ask for: the remembered paths under --read-hash, the builtins and keywords under
// --read-builtins, the state lines with either.
ShellFacts read_shell_facts(std::string_view block, const OptionSet& options);

// The rules of the shell that the run answers for: --shell, or bash's without it, with the
// POSIX mode that the listing tells.
enum class Rules : unsigned char { bash, bash_posix, zsh, ksh93, mksh, fish };
Rules rules_of(const OptionSet& options, const ShellFacts* facts);

// How that shell reads a '~' that begins a PATH entry.
PathTildes path_tildes_of(const OptionSet& options, const ShellFacts* facts);

// How that shell uses a remembered path.
Remembering remembering_of(const OptionSet& options, const ShellFacts* facts);

// True for POSIX's special builtins and those that the shell of rules adds, which come before
// functions in the shells that keep them apart.
bool is_special_builtin(Rules rules, std::string_view name);
