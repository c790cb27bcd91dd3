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
# Only what the names asked about need goes over: their aliases, functions and remembered
# paths, and those of every word of their aliases' values, inner aliases followed; never the
# whole start-up file (with bash-completion loaded, a megabyte of functions). The listing is
# built in a variable: enable -a's output is the one command substitution of every call (bash
# can turn builtins off at any time), the definitions of functions the one other, when there
# are any; the keywords are bash's own, the same all along, and taken once. The listing
# goes in as a here-string, so the status is the binary's own even under pipefail, and a run
# that reads nothing (--help, --version) leaves no writer on a broken pipe.
# "function trakko" rather than "trakko ()" keeps an alias named trakko from rewriting the
# definition while this file is read.

# bash's keywords, as "keyword NAME" lines.
__trakko_keywords=$(compgen -k | while IFS= read -r __trakko_word; do
    printf 'keyword %s\n' "$__trakko_word"
done)
unset __trakko_word

# __trakko_facts: appends the shell's facts to __trakko_in, in the lines that bash's own shopt,
# set -o and enable -a write.
function __trakko_facts {
    if shopt -q checkhash; then __trakko_in+=$'shopt -s checkhash\n'; else __trakko_in+=$'shopt -u checkhash\n'; fi
    if [[ -o posix ]]; then __trakko_in+=$'set -o posix\n'; else __trakko_in+=$'set +o posix\n'; fi
    __trakko_in+=$(enable -a)$'\n'$__trakko_keywords$'\n'
}

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
        [[ -n $name && -z ${seen[$name]+set} ]] || continue
        seen[$name]=1
        # BASH_ALIASES is built afresh from every alias at each use: only for an alias. A name
        # with a "=" is no alias or function (declare would take it for an assignment).
        if [[ $name != *=* ]] && alias -- "$name" >/dev/null 2>&1; then
            value=${BASH_ALIASES[$name]}
            aliases+="alias $name='${value//\'/\'\\\'\'}'"$'\n'
            # Every word may be a command: a few too many cost nothing.
            IFS=$' \t\n;&|()<>{}' read -r -d '' -a words <<<"$value"
            for word in "${words[@]}"; do todo+=("${word//[\\\'\"]/}"); done
        fi
        [[ $name != *=* ]] && declare -F -- "$name" >/dev/null && functions+=("$name")
        [[ -n ${BASH_CMDS[$name]+set} ]] &&
            printf -v value 'builtin hash -p %q %q\n' "${BASH_CMDS[$name]}" "$name" && hashed+=$value
    done
    __trakko_in=''
    __trakko_facts
    __trakko_in+=$hashed$aliases
    ((${#functions[@]})) && __trakko_in+=$(declare -f -- "${functions[@]}")$'\n'
    __trakko_in=${__trakko_in%$'\n'} # the here-string ends it
}

function trakko {
    local __trakko_in
    __trakko_listing "$@"
    command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
        --shell=bash --show-tilde --show-dot "$@" <<<"$__trakko_in"
}
