# trakko shell integration for bash. Source it from ~/.bashrc:
#
#     . /usr/share/trakko/trakko.bash
#
# It defines a shell function trakko that hands the binary this shell's own aliases, functions
# and remembered command paths, so that "trakko ll" shows the alias ll, the path of what it
# runs, and "trakko f" the definition of the function f: what the shell would really run, not
# only what PATH holds. When the shell still remembers a path that is no longer what PATH finds
# first, or one that is gone, trakko says so on standard error.
#
# --read-alias --read-functions  read the (alias; declare -f) listing from standard input.
# --read-hash                    and the remembered paths, as hash -l lists them (a short
#                                list: bash remembers only the commands it has run; with
#                                set +h it has none, and says so on standard error).
# --read-builtins --shell=bash   and the builtins (enable -a) and keywords (compgen -k), so
#                                that "trakko echo" says what bash runs, by bash's own order;
#                                checkhash and POSIX mode, in the lines shopt writes, change
#                                that order and what a remembered path means.
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
    local word
    shopt -p checkhash
    shopt -po posix
    hash -l 2>/dev/null
    enable -a
    compgen -k | while IFS= read -r word; do printf 'keyword %s\n' "$word"; done
}

function trakko {
    command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
        --shell=bash --show-tilde --show-dot "$@" < <(__trakko_facts; alias; declare -f)
}
