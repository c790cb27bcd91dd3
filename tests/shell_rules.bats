#!/usr/bin/env bats
# What the shell runs, against what trakko says it runs: in each real shell, through its
# integration, marker scripts on PATH for names that are builtins, keywords, special
# builtins, functions and plain files; the shell runs each name, and trakko's first answer
# must be what ran. One table of probes; each shell's script sets its own scene (a function
# over a builtin, a builtin turned off, POSIX mode, checkhash, a '~' entry, remembered paths
# gone stale).

bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    S=$SANDBOX
    mkdir -p bin home/tb work/~/tb a b c t
    cp "$PROG" bin/trakko # the real binary, also when $TRAKKO is a wrapper
    local name
    for name in echo printf test '[' kill pwd true time cd read umask getopts unset export if \
        '[[' plainfile tx; do
        marker "m/$name"
    done
    marker home/tb/tx
    marker work/~/tb/tx
}
teardown() { teardown_sandbox; }

# marker FILE [COPY]: a script that says which file ran, FILE, or the same script made to be
# copied to FILE later.
marker() {
    mkdir -p "$(dirname "$1")"
    printf '#!/bin/sh\necho "file:%s"\n' "$S/$1" >"${2:-$1}"
    chmod 755 "${2:-$1}"
}

# remembered_scene: the files of the remembered paths, as each shell finds them at start.
remembered_scene() {
    local name
    rm -rf a b c t && mkdir a t
    for name in x1 x2 x3 x4; do marker "b/$name"; done
    for name in x1 x2 x3; do marker "c/$name"; done
    marker a/x1 new_x1
}

# The probes: a name and a command line that runs it, in sh syntax and in fish's.
PROBES=(
    'echo|echo|echo' 'printf|printf x|printf x' 'test|test x|test x' '[|[ x ]|[ x ]'
    'kill|kill -l 0|kill -l 0' 'pwd|pwd|pwd' 'true|true|true' 'time|time true|time true'
    'cd|cd .|cd .' 'read|read v </dev/null|read v </dev/null' 'umask|umask|umask'
    'getopts|getopts a v|getopts a v' 'unset|unset v|unset v' 'export|export v|export v'
    'if|if true; then :; fi|if true; end' '[[|[[ x ]]|' 'plainfile|plainfile|plainfile'
    'tx|tx|tx' 'x1|x1|x1' 'x2|x2|x2' 'x3|x3|x3' 'x4|x4|x4'
)

# write_script SHELL: the script that SHELL runs: the integration, the scene, then each probe:
# trakko's answer first (t/N.out, t/N.err), what the shell ran after (t/N.ran).
write_script() {
    local shell=$1 i=0 probe name sh_line fish_line
    {
        case $shell in
            bash-posix) echo "set -o posix; . $TRAKKO_SOURCE_DIR/share/trakko.bash" ;;
            bash-checkhash) echo "shopt -s checkhash; . $TRAKKO_SOURCE_DIR/share/trakko.bash" ;;
            bash) echo ". $TRAKKO_SOURCE_DIR/share/trakko.bash; enable -n echo" ;;
            zsh) echo ". $TRAKKO_SOURCE_DIR/share/trakko.zsh; disable echo" ;;
            ksh93) echo ". $TRAKKO_SOURCE_DIR/share/trakko.ksh; builtin -d echo" ;;
            mksh) echo ". $TRAKKO_SOURCE_DIR/share/trakko.ksh" ;;
            fish) echo "source $TRAKKO_SOURCE_DIR/share/trakko.fish" ;;
        esac
        # A function over a regular and over a special builtin (its output through a builtin
        # that the scene leaves on); the remembered paths made
        # stale in the four ways: an earlier copy, removed or not executable with a later
        # copy, removed with none.
        if [ "$shell" = fish ]; then
            echo 'function pwd; printf "function\\n"; end; function unset; printf "function\\n"; end'
            echo "function probe; trakko \$argv[2] >$S/t/\$argv[1].out 2>$S/t/\$argv[1].err"
            echo "    eval \$argv[3] >$S/t/\$argv[1].ran 2>/dev/null; end"
        else
            local say='printf "function\\n"'
            case $shell in zsh | ksh93 | mksh) say='print function' ;; esac
            echo "pwd() { $say; }"
            # ksh93 and bash in POSIX mode refuse a function named like a special builtin.
            case $shell in bash-posix | ksh93) ;; *) echo "unset() { $say; }" ;; esac
            echo "probe() { trakko \"\$2\" >\"$S/t/\$1.out\" 2>\"$S/t/\$1.err\"; \
eval \"\$3\" >\"$S/t/\$1.ran\" 2>/dev/null; }"
            echo "x1 >/dev/null; x2 >/dev/null; x3 >/dev/null; x4 >/dev/null"
            echo "/bin/cp $S/new_x1 $S/a/x1; /bin/rm $S/b/x2 $S/b/x4; /bin/chmod 644 $S/b/x3"
        fi
        for probe in "${PROBES[@]}"; do
            IFS='|' read -r name sh_line fish_line <<<"$probe"
            [ "$shell" = fish ] && sh_line=$fish_line
            i=$((i + 1))
            # fish refuses [[ before it runs anything.
            [ -n "$sh_line" ] || continue
            printf "probe %d '%s' '%s'\n" $i "$name" "${sh_line//\'/\'\\\'\'}"
        done
    } >script
}

# claim N: what trakko's answer to probe N says runs: a file, "shell" (a builtin, a keyword or
# a function of the shell's own), "function" (the scene's), or "none" (a remembered file the
# shell cannot run).
claim() {
    local first err
    first=$(head -n 1 "t/$1.out")
    err=$(cat "t/$1.err")
    case $err in
        *'; PATH now finds '*) err=${err#*: the shell remembers }; echo "file:${err%%; PATH*}" ;;
        *', which no longer exists'* | *', which is not executable'*) echo none ;;
        *)
            case $first in
                /*) echo "file:$first" ;;
                *': shell keyword' | *': shell builtin' | *': shell builtin in place of '*)
                    echo shell ;;
                '') echo none ;;
                *) grep -Eq '(printf "|print )function' "t/$1.out" && echo function || echo shell ;;
            esac ;;
    esac
}

# ran N: what the shell ran for probe N, in the same terms.
ran() {
    local out
    out=$(head -n 1 "t/$1.ran")
    case $out in
        file:*) echo "$out" ;;
        function) echo function ;;
        *) [[ $2 == x? && -z $out ]] && echo none || echo shell ;;
    esac
}

@test "in each shell, trakko's first answer is what the shell runs" {
    local shell run i name wrong=0
    for shell in bash bash-posix bash-checkhash zsh ksh93 mksh fish; do
        case $shell in
            bash*) run="$(command -v bash) --norc --noprofile" ;;
            zsh) run="$(command -v zsh) -f" ;;
            fish) run="$(command -v fish) --no-config" ;;
            *) run=$(command -v "$shell") ;;
        esac
        write_script "$shell"
        remembered_scene
        (cd work && env -i HOME="$S/home" PATH="~/tb:$S/a:$S/b:$S/c:$S/m:$S/bin:/usr/bin:/bin" \
            ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} $run "$S/script" </dev/null \
            >/dev/null 2>&1) || true
        i=0
        for probe in "${PROBES[@]}"; do
            name=${probe%%|*}
            i=$((i + 1))
            [ -e "t/$i.out" ] || { [ "$shell" = fish ] && [ "$name" = '[[' ]; } || {
                echo "$shell $name: not probed"
                wrong=$((wrong + 1))
            }
            [ -e "t/$i.out" ] || continue
            if [ "$(claim $i)" != "$(ran $i "$name")" ]; then
                echo "$shell $name: trakko says $(claim $i), the shell ran $(ran $i "$name")"
                cat "t/$i.out" "t/$i.err" | head -3
                wrong=$((wrong + 1))
            fi
        done
    done
    [ "$wrong" -eq 0 ]
}

# The answers themselves, from a listing: each row is the arguments, then what standard output
# must hold, then the status. The listing's facts lead it; a function follows.
@test "--read-builtins: the lines, the order of each shell, --all, and what is no builtin" {
    make_exe m/echo m/cat m/unset m/if d/cat
    T=$'\t'
    {
        printf '%s\n' 'enable echo' 'enable unset' 'enable -n pwd' 'enable pwd' 'enable -n test'
        printf '%s\n' "enable $S/d/cat" "enable $S/m/kill" 'keyword if' 'keyword -n repeat' 'enable -n nosuch'
        printf '%s\n' "alias ll='echo x && if && unset'" "alias if='m'"
        printf '%s\n' 'unset () ' '{ ' '    :' '}' 'echo () ' '{ ' '    :' '}'
    } >listing
    local rows=(
        "echo|echo: shell builtin|0"
        "--shell=zsh if|if: shell keyword|0"
        "--all echo|echo: shell builtin${T}$S/m/echo|0"
        "--read-functions echo|echo ()${T}{ ${T}    :${T}}|0"
        "--read-functions --all echo|echo ()${T}{ ${T}    :${T}}${T}echo: shell builtin${T}$S/m/echo|0"
        "--read-functions --shell=mksh unset|unset: shell builtin|0"
        "--read-functions --shell=ksh93 --all unset|unset: shell builtin${T}unset ()${T}{ ${T}    :${T}}${T}$S/m/unset|0"
        "--read-functions --shell=bash unset|unset ()${T}{ ${T}    :${T}}|0"
        "--read-functions --shell=fish echo|echo ()${T}{ ${T}    :${T}}|0"
        "pwd|pwd: shell builtin|0"
        "test repeat nosuch|$S/m/test|2"
        "cat|$S/m/cat|0"
        "kill|kill: shell builtin in place of $S/m/kill|0"
        "--all cat|$S/m/cat${T}cat: shell builtin in place of $S/d/cat|0"
        "$S/m/echo ./m/if|$S/m/echo${T}$S/m/if|0"
        "-i ll|alias ll='echo x && if && unset'${T}${T}echo: shell builtin${T}${T}if: shell keyword${T}${T}unset: shell builtin|0"
        "-i if|alias if='m'|0"
        "-i --shell=ksh93 if|if: shell keyword|0"
        "--skip-builtins echo|$S/m/echo|0"
    )
    local row args want code
    for row in "${rows[@]}"; do
        IFS='|' read -r args want code <<<"$row"
        # shellcheck disable=SC2086 # the arguments are separate words
        run --separate-stderr tk PATH="$S/m:$S/d" -- --read-builtins $args <listing
        [ "$(echo "$output" | tr '\n' '\t' | sed 's/\t$//')" = "$want" ] && [ "$status" -eq "$code" ] ||
            { echo "$args: status $status, got: $output"; echo "want: $want" | cat -A; false; }
    done
    # Without the option the lines are alias lines of the listing, as before.
    run --separate-stderr tk PATH="$S/m" -- -i enable <listing
    [ "${lines[0]}" = "enable echo" ]
}
