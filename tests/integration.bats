#!/usr/bin/env bats
# The shell integration files, sourced in the real bash and zsh: the trakko function must show
# what the shell would run (aliases, functions, programs), pass the binary's exit status
# through, and change nothing for shells that did not source it.

bats_require_minimum_version 1.5.0
load common

BASH_BIN=$(command -v bash)
ZSH_BIN=$(command -v zsh)
SETPRIV=$(command -v setpriv)

setup() {
    setup_sandbox
    # Everything the shells use lives in the sandbox, so that the unprivileged runs below can
    # read it wherever the build and the sources are.
    chmod 755 "$SANDBOX"
    mkdir -p bin work home
    cp "$TRAKKO" bin/trakko
    cp "$TRAKKO_SOURCE_DIR/share/trakko.bash" "$TRAKKO_SOURCE_DIR/share/trakko.zsh" .
    make_exe tools/lister tools/pager work/build.sh
    SEARCH="$SANDBOX/bin:$SANDBOX/tools"
    HOME_DIR=$SANDBOX/home
}

teardown() {
    teardown_sandbox
}

# in_shell bash|zsh LINE...: writes the lines to a script and runs it with the shell, in a clean
# environment (HOME is HOME_DIR, no rc files), standard input closed.
in_shell() {
    local shell=$1
    shift
    printf '%s\n' "$@" >script
    env -i HOME="$HOME_DIR" PATH="$SEARCH" ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} \
        $(shell_command "$shell") script </dev/null
}

# The shell started without any start-up file of its own.
shell_command() {
    case $1 in
        bash) echo "$BASH_BIN --norc --noprofile" ;;
        zsh) echo "$ZSH_BIN -f" ;;
    esac
}

# expect_output TEXT [LABEL]: passes when $output is TEXT; otherwise shows both.
expect_output() {
    [ "$output" = "$1" ] && return 0
    printf '%s\n--- expected:\n%s\n--- got:\n%s\n' "${2-}" "$1" "$output"
    return 1
}

# script_on_tty bash|zsh [COMMAND PREFIX...]: runs ./script with the shell on a terminal, in
# the directory work.
script_on_tty() {
    local shell=$1
    shift
    on_pty "cd $SANDBOX/work && env -i HOME=$HOME_DIR PATH=$SEARCH" \
        "${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS}" "$@" "$(shell_command "$shell") ../script"
}

@test "bash: an alias shows its line and the path of every command it runs; a function its definition" {
    run --separate-stderr in_shell bash \
        '. ./trakko.bash' \
        "alias ll='lister -l | pager'" \
        'greet() { echo "hello, $1"; }' \
        'trakko ll greet lister'
    expect_output "$(printf '%s\n' \
        "alias ll='lister -l | pager'" \
        "	$SANDBOX/tools/lister" \
        "	$SANDBOX/tools/pager" \
        'greet ()' \
        '{ ' \
        '    echo "hello, $1"' \
        '}' \
        "$SANDBOX/tools/lister")"
    [ "$stderr" = "" ]
    [ "$status" -eq 0 ]
}

@test "zsh: an alias shows its line and the path of every command it runs; a function its definition" {
    run --separate-stderr in_shell zsh \
        '. ./trakko.zsh' \
        "alias ll='lister -l | pager'" \
        'greet() { echo "hello, $1"; }' \
        'trakko ll greet lister'
    # zsh lists aliases without the keyword, and functions with the brace on the header line.
    expect_output "$(printf '%s\n' \
        "ll='lister -l | pager'" \
        "	$SANDBOX/tools/lister" \
        "	$SANDBOX/tools/pager" \
        'greet () {' \
        '	echo "hello, $1"' \
        '}' \
        "$SANDBOX/tools/lister")"
    [ "$stderr" = "" ]
    [ "$status" -eq 0 ]
}

@test "an alias that runs a function shows the function's definition, indented" {
    for shell in bash zsh; do
        run --separate-stderr in_shell $shell \
            ". ./trakko.$shell" \
            'f() { lister; }' \
            "alias x='f --flag && pager'" \
            'trakko x'
        case $shell in
            bash) expected=$(printf '%s\n' "alias x='f --flag && pager'" \
                '	f ()' '	{ ' '	    lister' '	}' "	$SANDBOX/tools/pager") ;;
            zsh) expected=$(printf '%s\n' "x='f --flag && pager'" \
                '	f () {' '		lister' '	}' "	$SANDBOX/tools/pager") ;;
        esac
        expect_output "$expected" $shell
        [ "$status" -eq 0 ]
    done
}

@test "the function passes the binary's exit status through" {
    # The function big makes the listing larger than a pipe holds: a run that reads none of it
    # (--version) must still report the binary's status under pipefail.
    for shell in bash zsh; do
        run --separate-stderr in_shell $shell \
            ". ./trakko.$shell" \
            'trakko nosuch lister other; echo "missing $?"' \
            'trakko >/dev/null 2>&1; echo "usage $?"' \
            'eval "big() { $(printf "echo %s; " {1..20000}) }"' \
            'set -o pipefail; trakko --version >/dev/null; echo "version $?"' \
            'trakko --help >/dev/null; echo "help $?"'
        expect_output "$(printf '%s\n' "$SANDBOX/tools/lister" \
            'missing 2' 'usage 255' 'version 0' 'help 0')" "$shell"
        [ "$stderr" = "$(printf '%s\n' "trakko: no nosuch in ($SEARCH)" \
            "trakko: no other in ($SEARCH)")" ] || { echo "$shell: $stderr"; false; }
    done
}

@test "in a pipe the function prints plain full paths" {
    SEARCH=".:$SEARCH"
    for shell in bash zsh; do
        printf '%s\n' ". ../trakko.$shell" 'trakko build.sh lister' >script
        run --separate-stderr bash -c "cd work && env -i HOME=$HOME_DIR PATH=$SEARCH \
            ${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS} $(shell_command $shell) ../script | cat"
        expect_output "$(printf '%s\n' "$SANDBOX/work/build.sh" "$SANDBOX/tools/lister")" "$shell"
    done
}

@test "on a terminal the function prints the dot form, and the tilde form for non-root users" {
    SEARCH=".:$SEARCH"
    HOME_DIR=$SANDBOX
    for shell in bash zsh; do
        printf '%s\n' ". ../trakko.$shell" 'trakko build.sh lister' >script
        # The working directory lies under HOME too: the dot form wins.
        run script_on_tty $shell
        if [ "$(id -u)" -eq 0 ]; then
            expected=$(printf '%s\n' ./build.sh "$SANDBOX/tools/lister")
        else
            expected=$(printf '%s\n' ./build.sh '~/tools/lister')
        fi
        expect_output "$expected" $shell
        if [ "$(id -u)" -eq 0 ]; then
            run script_on_tty $shell "$SETPRIV" --reuid=65534 --regid=65534 --clear-groups
            expect_output "$(printf '%s\n' ./build.sh '~/tools/lister')" "$shell as nobody"
        fi
    done
}

@test "one line in the rc file enables it in interactive shells; scripts stay unaffected" {
    echo ". $SANDBOX/trakko.bash" >home/.bashrc
    echo ". $SANDBOX/trakko.zsh" >home/.zshrc
    printf '%s\n' "alias ll='lister -l'" 'trakko ll lister; echo "status $?"' >script
    for shell in "$BASH_BIN" "$ZSH_BIN"; do
        alias_line="alias ll='lister -l'"
        [ "$shell" = "$ZSH_BIN" ] && alias_line="ll='lister -l'"
        # A script: the rc file is not read, aliases stay unknown to the binary.
        run --separate-stderr env -i HOME="$HOME_DIR" PATH="$SEARCH" \
            ${ASAN_OPTIONS:+ASAN_OPTIONS="$ASAN_OPTIONS"} "$shell" script </dev/null
        expect_output "$(printf '%s\n' "$SANDBOX/tools/lister" 'status 1')" "$shell script"
        [ "$stderr" = "trakko: no ll in ($SEARCH)" ]
        # An interactive shell reads the rc file and gets the function.
        run on_pty "env -i HOME=$HOME_DIR PATH=$SEARCH" \
            "${ASAN_OPTIONS:+ASAN_OPTIONS=$ASAN_OPTIONS}" "$shell -i $SANDBOX/script"
        expect_output "$(printf '%s\n' "$alias_line" "	$SANDBOX/tools/lister" \
            "$SANDBOX/tools/lister" 'status 0')" "$shell interactive"
    done
}

@test "an alias named trakko, defined before the file is read, does not break the definition" {
    for shell in bash zsh; do
        run --separate-stderr in_shell $shell \
            'shopt -s expand_aliases 2>/dev/null' \
            'alias trakko="trakko --all"' \
            ". ./trakko.$shell" \
            'unalias trakko' \
            'trakko lister'
        expect_output "$SANDBOX/tools/lister" $shell
        [ "$stderr" = "" ] || { echo "$shell: $stderr"; false; }
    done
}
