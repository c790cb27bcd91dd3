# trakko shell integration for ksh93 and mksh. Source it from ~/.kshrc (ksh93) or
# ~/.mkshrc (mksh):
#
#     . /usr/share/trakko/trakko.ksh
#
# It defines a shell function trakko that hands the binary this shell's own aliases, functions
# and tracked aliases (the paths it remembers for commands), so that "trakko ll" shows the
# alias ll and the path of what it runs, and "trakko f" the definition of the function f: what
# the shell would really run, not only what PATH holds. The options are those of the bash and
# zsh integration (see trakko.bash).
#
# Both shells list aliases as NAME=VALUE, which trakko reads as it stands. Their function
# listings it does not take: ksh93 prints each function as it was written ("f() { ...; }" on
# one line, "function f {"), mksh as "f() {" with a closing "} ". The function turns each one
# into a "NAME () {" block that ends on a line holding only "}"; a line that is only "}"
# inside the function (a here-document's) gets a trailing space, so that it cannot end the
# block early. A body that is no brace group, such as "f() ( cd /; ls )", is shown inside
# braces, which runs the same. Each tracked alias of "alias -t", NAME=PATH, becomes a line
# "hash -- NAME=PATH" as zsh writes them: mksh quotes the name already; ksh93 does not, even
# when it holds a newline, and gets it quoted by its own printf %q, the record told apart by
# the first '/' (of the path: a name never holds one). A ksh93 name with a '=' is left out:
# the line would give its text up to the '=' as the name. It is done with the shell's own
# expansions and builtins, so that it works whatever PATH holds.
#
# Only what the names asked about need is listed and converted: their aliases, functions and
# tracked aliases, and those of every word of their aliases' values (all tracked aliases for
# --check-path). Converting every function of the start-up file, a process each in mksh, made
# one answer cost seconds; ${ ...; } runs its commands in this shell, without a process.
#
# The listing goes in as a here-document rather than through a pipe: mksh has no process
# substitution, and this way the status is the binary's own even under pipefail when it reads
# nothing (--help). "function trakko" keeps the variables local in ksh93 and an alias named
# trakko from rewriting the definition while this file is read.

__trakko_fixed=$(
    for __trakko_name in '!' '[[' ']]' case do done elif else esac fi for function if in \
        namespace select then time until while '{' '}'; do
        case $(whence -v -- "$__trakko_name" 2>/dev/null) in
            *' reserved word'* | *' keyword'*) print -r -- "keyword $__trakko_name" ;;
        esac
    done
    case ${KSH_VERSION-} in
        *MIRBSD*)
            for __trakko_name in . : '[' alias bg bind break builtin cat cd chdir command \
                continue echo eval exec exit export false fc fg getopts global jobs kill let \
                mknod print printf pwd read readonly realpath rename return set shift sleep \
                source suspend test times trap true typeset ulimit umask unalias unset wait \
                whence '\builtin'; do
                case $(whence -v -- "$__trakko_name" 2>/dev/null) in
                    *' builtin'*) print -r -- "enable $__trakko_name" ;;
                esac
            done ;;
    esac
)
unset __trakko_name

# __trakko_function NAME: NAME's definition as a "NAME () {" block closed by a line "}".
function __trakko_function {
    typeset name=$1 text head line blank=$' \t' indent=''
    text=${ typeset -f "$name"; }
    # The header, "NAME()", "NAME ()" or "function NAME", goes; the body stays.
    head=${text%%$'\n'*}
    text=${text#"$head"}
    head=${head#"${head%%[!$blank]*}"}
    case $head in function[$blank]*) head=${head#function} ;; esac
    head=${head#"${head%%[!$blank]*}"}
    head=${head#"$name"}
    head=${head#"${head%%[!$blank]*}"}
    case $head in '('*')'*) head=${head#*')'} ;; esac
    text=$head$text
    text=${text#"${text%%[!$blank$'\n']*}"}
    text=${text%"${text##*[!$blank$'\n']}"}
    case $text in
        '{'*'}')
            # The braces go, with the blanks and empty lines they leave behind.
            text=${text#'{'}
            text=${text%'}'}
            text=${text#"${text%%[!$blank]*}"}
            text=${text%"${text##*[!$blank]}"}
            case $text in $'\n'*) text=${text#$'\n'} ;; *) text=$'\t'$text ;; esac
            text=${text%$'\n'}
            indent='' ;;
        *) indent=$'\t' ;;
    esac
    print -r -- "$name () {"
    while IFS= read -r line; do
        line=$indent$line
        [ "$line" = '}' ] && line='} '
        print -r -- "$line"
    done <<EOF_TRAKKO_BODY
$text
EOF_TRAKKO_BODY
    print -r -- '}'
}

# __trakko_listing NAME...: sets __trakko_in to the listing that trakko needs for the NAMEs:
# their aliases, functions and tracked aliases, and those of every word of their aliases'
# values, inner aliases followed. The output of a builtin is taken only where there is one to
# take (mksh's ${ ...; } goes through a temporary file), and no process is started.
function __trakko_listing {
    typeset name line value word seen=/ todo='' functions='' glob=$- every='' named=''
    typeset listed='' facts='' tracked='' record='' head text IFS=$' \t\n;&|()<>{}'
    set -f
    for name in "$@"; do
        case $name in --c*) every=1 ;; -*) ;; *) named=1 ;; esac
        # "/" parts the names below: a name that holds one is no alias, function or tracked
        # alias (a name with a newline is all three).
        case $name in */*) continue ;; esac
        todo+=$name/
    done
    # --check-path audits every remembered path, and so does a run without a name.
    [ -n "$named" ] || every=1
    tracked=$'\n'${ alias -t; }
    while [ -n "$todo" ]; do
        name=${todo%%/*}
        todo=${todo#*/}
        case $seen in */"$name"/*) continue ;; esac
        case $name in '' | -*) continue ;; esac
        seen+=$name/
        # ksh93's alias lists nothing after "--"; names that begin with "-" were left out.
        # "alias NAME" shows a tracked alias too: those are told by "alias -t".
        if alias "$name" >/dev/null 2>&1 &&
            case $tracked in *$'\n'"$name="* | *$'\n'"'$name'="*) false ;; esac; then
            line=${ alias "$name"; }
            listed+=$line$'\n'
            value=${line#*=}
            # Every word may be a command: a few too many cost nothing.
            for word in ${value//[\\\'\"]/}; do
                case $word in */*) ;; *) todo+=$word/ ;; esac
            done
        fi
        typeset -f "$name" >/dev/null 2>&1 && functions+=$name/
    done
    case $glob in *f*) ;; *) set +f ;; esac
    while [ -n "$functions" ]; do
        listed+=${ __trakko_function "${functions%%/*}"; }$'\n'
        functions=${functions#*/}
    done
    # The facts lead: the tracked aliases of those names, the builtins, the fixed lines.
    value=${ alias -t; }
    while [ -n "$value" ]; do
        line=${value%%$'\n'*}
        case $value in *$'\n'*) value=${value#*$'\n'} ;; *) value='' ;; esac
        case ${KSH_VERSION-} in
            *MIRBSD*)
                case $line in *=*) ;; *) continue ;; esac
                # mksh quotes the names it lists: its few tracked aliases all go.
                facts+="hash -- $line"$'\n'
                continue ;;
        esac
        # ksh93: a name with a newline spans lines; no name holds a '/', every path
        # starts with one, quoted ($'/...', '/...') or not, on the record's last line.
        record=$record$line
        case $record in
            */*) ;;
            *) record=$record$'\n'; continue ;;
        esac
        head=${record%%/*}
        text=${record#"$head"}
        record=''
        case $head in
            *"=\$'") name=${head%"=\$'"} text="\$'$text" ;;
            *"='") name=${head%"='"} text="'$text" ;;
            *=) name=${head%=} ;;
            *) continue ;;
        esac
        # The reader takes a name up to its first '='.
        case $name in '' | *=*) continue ;; esac
        case $every$seen in 1*) ;; */"$name"/*) ;; *) continue ;; esac
        facts+="hash -- $(printf %q "$name")=$text"$'\n'
    done
    case ${KSH_VERSION-} in
        *MIRBSD*) ;;
        *)
            value=${ builtin; }
            [ -n "$value" ] && facts+="enable ${value//$'\n'/$'\n'enable }"$'\n' ;;
    esac
    __trakko_in=$facts$__trakko_fixed$'\n'$listed
    __trakko_in=${__trakko_in%$'\n'}
}

# __trakko_in is global: ksh93 scopes the variables of a "function" to it alone.
function trakko {
    typeset shell=ksh93
    case ${KSH_VERSION-} in *MIRBSD*) shell=mksh ;; esac
    __trakko_listing "$@"
    if [ -n "$__trakko_in" ]; then
        command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
            --shell=$shell --show-tilde --show-dot "$@" <<EOF_TRAKKO
$__trakko_in
EOF_TRAKKO
    else
        command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
            --shell=$shell --show-tilde --show-dot "$@" </dev/null
    fi
}
