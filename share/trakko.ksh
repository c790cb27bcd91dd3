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
# The shell's facts lead the listing, where no alias value or function body can stand, so
# that none can forge one (trakko takes them only from that block): the tracked aliases, the
# builtins and the reserved words, with --read-builtins and --shell=ksh93 or --shell=mksh.
# ksh93 lists its builtins ("builtin", those bound to a directory as /opt/ast/bin/cat);
# mksh cannot list or turn off its own, so they, and both shells' reserved words, are taken
# once here, when this file is sourced, by asking whence about a fixed list of names.
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
                whence; do
                case $(whence -v -- "$__trakko_name" 2>/dev/null) in
                    *' builtin'*) print -r -- "enable $__trakko_name" ;;
                esac
            done ;;
    esac
)
unset __trakko_name

function __trakko_facts {
    typeset line name record='' head text
    alias -t | while IFS= read -r line; do
        case ${KSH_VERSION-} in
            *MIRBSD*)
                case $line in *=*) print -r -- "hash -- $line" ;; esac
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
        print -r -- "hash -- $(printf %q "$name")=$text"
    done
    case ${KSH_VERSION-} in
        *MIRBSD*) ;;
        *) builtin | while IFS= read -r line; do print -r -- "enable $line"; done ;;
    esac
    print -r -- "$__trakko_fixed"
}

function trakko {
    typeset listing name text head line blank=$' \t' indent='' shell=ksh93
    case ${KSH_VERSION-} in *MIRBSD*) shell=mksh ;; esac
    listing=$(
        __trakko_facts
        alias
        # ksh93 writes "f()" for the functions defined in the POSIX form.
        typeset +f | while read -r name; do
            name=${name%'()'}
            [ -n "$name" ] || continue
            text=$(typeset -f "$name")
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
        done
    )
    if [ -n "$listing" ]; then
        command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
            --shell=$shell --show-tilde --show-dot "$@" <<EOF_TRAKKO
$listing
EOF_TRAKKO
    else
        command trakko --tty-only --read-alias --read-functions --read-hash --read-builtins \
            --shell=$shell --show-tilde --show-dot "$@" </dev/null
    fi
}
