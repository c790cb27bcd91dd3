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
# Only what the names asked about need goes over: their aliases, functions and remembered
# paths, and those of every word of their aliases' values, inner aliases followed; never the
# whole start-up file (with bash-completion loaded, a megabyte of functions). The aliases and
# the remembered paths are built in a variable, with no process started; only the definitions
# of functions need declare -f's output, one command substitution for all of them. The listing
# goes in as a here-string, so the status is the binary's own even under pipefail, and a run
# that reads nothing (--help, --version) leaves no writer on a broken pipe.
# "function trakko" rather than "trakko ()" keeps an alias named trakko from rewriting the
# definition while this file is read.

# __trakko_listing NAME...: sets __trakko_in to the listing that trakko needs for the NAMEs.
function __trakko_listing {
    local name value word aliases='' functions=() hashed=''
    local -A seen=()
    local -a todo=() words
    local every=''
    for name; do
        case $name in --c*) every=1 ;; -*) ;; *) todo+=("$name") ;; esac
    done
    # --check-path audits every remembered path, and so does a run without a name.
    if [[ -n $every || ${#todo[@]} == 0 ]]; then todo+=("${!BASH_CMDS[@]}"); fi
    while ((${#todo[@]})); do
        name=${todo[0]}
        todo=("${todo[@]:1}")
        # A word with a "=" names no alias or function: it is an assignment.
        [[ -n $name && $name != *=* && -z ${seen[$name]+set} ]] || continue
        seen[$name]=1
        # BASH_ALIASES is built afresh from every alias at each use: only for an alias.
        if alias -- "$name" >/dev/null 2>&1; then
            value=${BASH_ALIASES[$name]}
            aliases+="alias $name='${value//\'/\'\\\'\'}'"$'\n'
            # Every word may be a command: a few too many cost nothing.
            IFS=$' \t\n;&|()<>{}' read -r -d '' -a words <<<"$value"
            for word in "${words[@]}"; do todo+=("${word//[\\\'\"]/}"); done
        fi
        declare -F -- "$name" >/dev/null && functions+=("$name")
        [[ -n ${BASH_CMDS[$name]+set} ]] &&
            printf -v value 'builtin hash -p %q %q\n' "${BASH_CMDS[$name]}" "$name" && hashed+=$value
    done
    __trakko_in=$aliases
    ((${#functions[@]})) && __trakko_in+=$(declare -f -- "${functions[@]}")$'\n'
    __trakko_in+=$hashed
    __trakko_in=${__trakko_in%$'\n'} # the here-string ends it
}

function trakko {
    local __trakko_in
    __trakko_listing "$@"
    command trakko --tty-only --shell=bash --read-alias --read-functions --read-hash --show-tilde \
        --show-dot "$@" <<<"$__trakko_in"
}
