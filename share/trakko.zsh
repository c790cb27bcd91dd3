# trakko shell integration for zsh. Source it from ~/.zshrc:
#
#     . /usr/share/trakko/trakko.zsh
#
# It defines a shell function trakko that hands the binary this shell's own aliases, functions
# and remembered command paths, so that "trakko ll" shows the alias ll, the path of what it
# runs, and "trakko f" the definition of the function f: what the shell would really run, not
# only what PATH holds. When the shell still remembers a path that is no longer what PATH finds
# first, or one that is gone, trakko says so on standard error.
#
# --read-alias --read-functions  read the (alias; declare -f) listing from standard input.
# --read-hash                    and the remembered paths after it, in hash -L's lines. zsh
#                                remembers whole directories of PATH at a time, thousands of
#                                commands, and listing them all (or matching them all against
#                                patterns, hash -Lm) costs more than the lookup: only the names
#                                asked about and the first word of every command that their
#                                aliases run are listed, each read from $commands. For a name
#                                it does not hold, $commands fills the table; in the process
#                                substitution that stays out of this shell. Each is quoted
#                                as $'...' ((qqqq)), which keeps every byte; (q+) would not.
# --read-builtins --shell=zsh    and the builtins and reserved words ($builtins, $reswords and
#                                those turned off, $dis_builtins, $dis_reswords), so that
#                                "trakko echo" says what zsh runs, by zsh's own order.
# --tty-only                     everything to its right applies only on a terminal, so that
#                                "$(trakko cmd)" and pipes get plain full paths.
# --show-tilde --show-dot        on a terminal, print ~/bin/x and ./x: shorter, and they say
#                                how the shell found the command.
#
# The shell's facts (__trakko_facts) lead the listing: trakko takes them only from that
# block, where no alias value or function body can stand and so none can forge one.
#
# The listing comes through process substitution rather than a pipe, so the status is the
# binary's own (the number of COMMANDs not found, 255 for usage errors) even under pipefail,
# and a run that reads nothing (--help, --version) never leaves the writer on a broken pipe.
# "function trakko" rather than "trakko ()" keeps an alias named trakko from rewriting the
# definition while this file is read.

function __trakko_facts {
    local name
    for name in ${(k)builtins}; do print -r -- "enable $name"; done
    for name in ${(k)dis_builtins}; do print -r -- "enable -n $name"; done
    for name in $reswords; do print -r -- "keyword $name"; done
    for name in $dis_reswords; do print -r -- "keyword -n $name"; done
    for name in "$@"; do
        (( ${+commands[$name]} )) && print -r -- "hash -- ${(qqqq)name}=${(qqqq)commands[$name]}"
    done
}

function trakko {
    local name word
    local -a names
    for name in "$@"; do
        [[ $name == -* ]] && continue
        names+=("$name")
        (( ${+aliases[$name]} )) || continue
        for word in ${(s:|:)${aliases[$name]//[&]/|}}; do
            names+=(${${=word}[1]})
        done
    done
    command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
        --shell=zsh --show-tilde --show-dot "$@" < <(__trakko_facts $names; alias; declare -f)
}
