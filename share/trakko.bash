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
# --read-hash                    and the remembered paths after it, as hash -l lists them (a
#                                short list: bash remembers only the commands it has run;
#                                with set +h it has none, and says so on standard error).
# --tty-only                     everything to its right applies only on a terminal, so that
#                                "$(trakko cmd)" and pipes get plain full paths.
# --show-tilde --show-dot        on a terminal, print ~/bin/x and ./x: shorter, and they say
#                                how the shell found the command.
#
# The listing comes through process substitution rather than a pipe, so the status is the
# binary's own (the number of COMMANDs not found, 255 for usage errors) even under pipefail,
# and a run that reads nothing (--help, --version) never leaves the writer on a broken pipe.
# "function trakko" rather than "trakko ()" keeps an alias named trakko from rewriting the
# definition while this file is read.

function trakko {
    command trakko --tty-only --read-alias --read-functions --read-hash --show-tilde --show-dot \
        "$@" < <(alias; declare -f; hash -l 2>/dev/null)
}
