#!/usr/bin/env bats
# The remembered paths, read back exactly as the real shells list them: random names and paths
# (quotes, backslashes, newlines, tabs, bytes 0x80-0xff, U+0085, U+00A0, U+2028 and the shell's
# special bytes), real files each, remembered by bash (hash -p), zsh (hash NAME=PATH), ksh93 and
# mksh (alias -t, found along PATH), listed through the integration file sourced in that shell,
# in the C locale and in C.UTF-8. A decoy of each name, made executable after the shell took
# its path, stands first in PATH, so that trakko must tell every remembered path: its lines must
# be those it writes for a listing of the same paths in plain octal escapes. A path misread is a
# different line, and one read as gone says so.
#
# The seed of each case is in its name; TRAKKO_DIFFERENTIAL_COUNT changes the number of names.

bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    COUNT=${TRAKKO_DIFFERENTIAL_COUNT:-200}
}

teardown() {
    teardown_sandbox
}

# The pieces that names are made of: mostly what the shells quote.
PIECES=("'" '"' '\' $'\n' $'\t' ' ' $'\xc2\x85' $'\xc2\xa0' $'\xe2\x80\xa8' '!' '$' '`' '*' '?'
    '[' ']' '#' '~' '{' '}' ';' '&' '|' '(' ')' '<' '>' '%' '^' ',' '.' '-' '=' '@' $'\x1c'
    $'\x01' $'\x1b' $'\x7f' a b e f x u z A F 0 7 9)

# random_text MAX: 1 to MAX pieces in REPLY, a third of them plain letters, one in seven a byte
# 0x80-0xff. No subshells: thousands of these make a case.
random_text() {
    local n=$((RANDOM % $1 + 1)) hex byte
    REPLY=''
    while [ "$n" -gt 0 ]; do
        case $((RANDOM % 7)) in
            0)
                printf -v hex %02x $((128 + RANDOM % 128))
                printf -v byte "\\x$hex"
                REPLY+=$byte ;;
            1 | 2) REPLY+=${PIECES[RANDOM % 8 + ${#PIECES[@]} - 8]} ;;
            *) REPLY+=${PIECES[RANDOM % ${#PIECES[@]}]} ;;
        esac
        n=$((n - 1))
    done
}

# octal TEXT: TEXT as $'...' with every byte an octal escape, which every shell and trakko read,
# in REPLY.
octal() {
    local LC_ALL=C text=$1 i code
    REPLY="\$'"
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '\\%03o' "'${text:i:1}"
        REPLY+=$code
    done
    REPLY+="'"
}

# differential SHELL LOCALE SEED: the whole check for one shell in one locale.
differential() {
    local shell=$1 locale=$2 seed=$3
    local remember integration share_file
    case $shell in
        bash) share_file=trakko.bash ;;
        zsh) share_file=trakko.zsh ;;
        *) share_file=trakko.ksh ;;
    esac
    command -v "$shell" >/dev/null || skip "no $shell"
    RANDOM=$seed
    local decoy=$SANDBOX/decoy chmod_bin
    chmod_bin=$(command -v chmod)
    mkdir "$decoy"
    ln -s "$TRAKKO" "$decoy/trakko"
    # A few directories of random names, two levels deep: never a ':' (they go into PATH).
    local -a dirs=()
    local i dir
    for i in 1 2 3; do
        random_text 4
        dir=$SANDBOX/r$i/${REPLY//[:\/]/}x
        random_text 3
        dir+=/${REPLY//[:\/]/}y
        mkdir -p "$dir"
        dirs+=("$dir")
    done
    local path_list=$decoy
    for dir in "${dirs[@]}"; do path_list+=:$dir; done

    local -a names=()
    local -A seen=()
    local name path script reference='' args=''
    octal "$path_list"
    script="PATH=$REPLY"$'\n'
    while [ "${#names[@]}" -lt "$COUNT" ]; do
        random_text 6
        name=${REPLY//\//}
        # No option-like names (the integration passes those to trakko as options), no empty
        # or dot names; zsh and mksh cannot remember a name with a '='.
        case $name in '' | -* | . | ..) continue ;; esac
        case $shell:$name in zsh:*=* | mksh:*=*) continue ;; esac
        # Nor the builtins and keywords that the pieces can spell: the shell runs those, and
        # through the integration trakko says so instead of naming a remembered path.
        case $name in '!' | '{' | '}' | '[' | '[[' | ']]' | ':' | '.') continue ;; esac
        [ -z "${seen[$name]-}" ] || continue
        seen[$name]=1
        dir=${dirs[RANDOM % 3]}
        path=$dir/$name
        printf '#!/bin/sh\n' >"$path"
        printf '#!/bin/sh\n' >"$decoy/$name"
        chmod 755 "$path"
        names+=("$name")
        octal "$name"
        local quoted_name=$REPLY
        octal "$path"
        case $shell in
            bash) script+="hash -p $REPLY $quoted_name" ;;
            zsh) script+="hash -- $quoted_name=$REPLY" ;;
            *) script+="alias -t -- $quoted_name" ;;
        esac
        script+=$'\n'
        args+=" $quoted_name"
        # ksh93's integration leaves out a name with a '=': its line could not be read apart.
        case $shell:$name in ksh93:*=*) continue ;; esac
        reference+="builtin hash -p $REPLY $quoted_name"$'\n'
    done
    # The shell has taken its paths; now the decoys are there to be found first.
    octal "$decoy"
    script+="$chmod_bin -R 755 $REPLY"$'\n'
    octal "$decoy/trakko"
    [ "$shell" = zsh ] && script+="hash trakko=$REPLY"$'\n'
    octal "$TRAKKO_SOURCE_DIR/share/$share_file"
    script+=". $REPLY"$'\n'
    # ksh93 searches PATH on every run, so by its own rules trakko tells no remembered path;
    # judged by bash's (a later --shell wins) every path it read must show.
    local rules=''
    [ "$shell" = ksh93 ] && rules=' --shell=bash'
    script+="trakko$rules --$args"$'\n'
    printf '%s' "$script" >script
    printf '%s' "$reference" >reference

    local -a environment=(HOME="$SANDBOX" LC_ALL="$locale" PATH="$path_list")
    [ -n "${ASAN_OPTIONS-}" ] && environment+=(ASAN_OPTIONS="$ASAN_OPTIONS")
    local -a start=("$(command -v "$shell")")
    [ "$shell" = zsh ] && start+=(-f)
    [ "$shell" = bash ] && start+=(--norc --noprofile)
    env -i "${environment[@]}" "${start[@]}" script >shell.out 2>shell.err </dev/null || true
    chmod -R 755 "$decoy"
    eval "local -a words=($args)"
    env -i "${environment[@]}" trakko --read-alias --read-functions --read-hash -- "${words[@]}" \
        <reference >reference.out 2>reference.err || true

    local expected
    expected=$(grep -c 'the shell remembers' reference.err || true)
    [ "$expected" -eq "$(wc -l <reference)" ] || {
        echo "seed $seed: the reference run told $expected of $(wc -l <reference) paths"
        return 1
    }
    cmp -s reference.out shell.out && cmp -s reference.err shell.err || {
        echo "seed $seed ($shell, LC_ALL=$locale): the lines differ from the reference's"
        diff reference.err shell.err | head -20 | cat -A
        diff reference.out shell.out | head -6 | cat -A
        return 1
    }
}

@test "bash, C: random remembered paths come back byte for byte (seed 2501)" {
    differential bash C 2501
}

@test "bash, C.UTF-8: random remembered paths come back byte for byte (seed 2502)" {
    differential bash C.UTF-8 2502
}

@test "zsh, C: random remembered paths come back byte for byte (seed 2503)" {
    differential zsh C 2503
}

@test "zsh, C.UTF-8: random remembered paths come back byte for byte (seed 2504)" {
    differential zsh C.UTF-8 2504
}

@test "ksh93, C: random remembered paths come back byte for byte (seed 2505)" {
    differential ksh93 C 2505
}

@test "ksh93, C.UTF-8: random remembered paths come back byte for byte (seed 2506)" {
    differential ksh93 C.UTF-8 2506
}

@test "mksh, C: random remembered paths come back byte for byte (seed 2507)" {
    differential mksh C 2507
}

@test "mksh, C.UTF-8: random remembered paths come back byte for byte (seed 2508)" {
    differential mksh C.UTF-8 2508
}
