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
#                                commands: only the names that the listing holds are listed,
#                                each read from $commands. Each is quoted as $'...'
#                                ((qqqq)), which keeps every byte; (q+) would not.
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
# Only what the names asked about need goes over: their aliases, functions and remembered
# paths, and those of every word of their aliases' values, inner aliases followed; never the
# whole start-up file (after compinit, thousands of functions). It is built in a variable from
# $aliases, $functions and $commands, with no process started, and goes in as a here-string,
# so the status is the binary's own even under pipefail, and a run that reads nothing (--help,
# --version) leaves no writer on a broken pipe. "function trakko" rather than "trakko ()" keeps
# an alias named trakko from rewriting the definition while this file is read.

# __trakko_facts: appends the shell's builtins and reserved words to __trakko_in.
function __trakko_facts {
    local -a lines
    lines=(${(k)builtins/#/enable } ${(k)dis_builtins/#/enable -n } ${reswords/#/keyword }
        ${dis_reswords/#/keyword -n })
    __trakko_in+=${(pj:\n:)lines}$'\n'
}

# __trakko_listing NAME...: sets __trakko_in to the listing that trakko needs for the NAMEs.
function __trakko_listing {
    local name word listed_aliases='' listed_functions='' hashed=''
    local -A seen
    local -a todo
    for name in "$@"; do [[ $name == -* ]] || todo+=("$name"); done
    while (( $#todo )); do
        name=$todo[1]
        shift todo
        [[ -n $name ]] && (( ! ${+seen[$name]} )) || continue
        seen[$name]=1
        if (( ${+aliases[$name]} )); then
            listed_aliases+="${(q+)name}=${(q+)aliases[$name]}"$'\n'
            # Every word may be a command: a few too many cost nothing.
            for word in ${(s: :)${aliases[$name]//[$'\t\n;&|()<>{}']/ }}; do
                todo+=("${word//[\\\'\"]/}")
            done
        fi
        (( ${+functions[$name]} )) && listed_functions+="$name () {"$'\n'"${functions[$name]}"$'\n}\n'
        (( ${+commands[$name]} )) && hashed+="hash -- ${(qqqq)name}=${(qqqq)commands[$name]}"$'\n'
    done
    __trakko_in=''
    __trakko_facts
    __trakko_in+=$hashed$listed_aliases$listed_functions
    __trakko_in=${__trakko_in%$'\n'} # the here-string ends it
}

function trakko {
    local __trakko_in
    __trakko_listing "$@"
    command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
        --shell=zsh --show-tilde --show-dot "$@" <<<"$__trakko_in"
}
