#!/usr/bin/env bats
# Completion: bash's completion function called the way readline calls it, and zsh's through a
# real interactive zsh on a pseudo-terminal.

bats_require_minimum_version 1.5.0
load common

BASH_COMPLETION=$TRAKKO_SOURCE_DIR/completion/trakko
ZSH_COMPLETION_DIR=$TRAKKO_SOURCE_DIR/completion

setup() {
    setup_sandbox
    make_exe tools/zqprog tools/other
}

teardown() {
    teardown_sandbox
}

# The options that --help lists, one a line: "--all, -a" gives --all and -a, "-[vV]" -v and -V.
help_options() {
    tk -- --help | grep -E '^  -' | sed -E 's/^  (-[^ ,]+(, -[^ ,]+)*),? .*/\1/' |
        sed -E 's/-\[([a-zA-Z]+)\]/-\1/' | tr -d ',' | tr ' ' '\n' |
        sed -E 's/^-([a-zA-Z])([a-zA-Z]+)$/-\1\n-\2/; s/=NAME$//' | LC_ALL=C sort
}

# complete_bash WORD...: the candidates, sorted, one a line, that _trakko offers for the last
# WORD of the command line WORD..., in a bash that knows the function zqfunc and the alias
# zqalias and searches only the sandbox's tools.
complete_bash() {
    env -i PATH="$SANDBOX/tools" "$(command -v bash)" --norc --noprofile -c '
        . "$1"; shift
        zqfunc() { :; }
        alias zqalias=other
        COMP_WORDS=("$@")
        COMP_CWORD=$(($# - 1))
        _trakko
        printf "%s\n" "${COMPREPLY[@]}"' completion "$BASH_COMPLETION" "$@" | sed 's/=$//' | LC_ALL=C sort -u
}

@test "bash: the completion is registered for trakko" {
    run env -i "$(command -v bash)" --norc --noprofile -c ". '$BASH_COMPLETION'; complete -p trakko"
    [ "$output" = "complete -F _trakko trakko" ]
}

@test "bash: a dash completes exactly the options of --help" {
    run complete_bash trakko -
    expected=$(help_options)
    [ "$(echo "$expected" | wc -l)" -eq 23 ]
    [ "$output" = "$expected" ] || { diff <(echo "$expected") <(echo "$output"); false; }
}

@test "bash: a prefix narrows the options" {
    run complete_bash trakko --sk
    [ "$output" = "$(printf '%s\n' --skip-alias --skip-builtins --skip-dot --skip-functions --skip-hash --skip-tilde)" ]
    # --shell= takes the name of a shell.
    run complete_bash trakko --shell=k
    [ "$output" = "--shell=ksh93" ]
    run complete_bash trakko -a --read-f
    [ "$output" = "--read-functions" ]
    run complete_bash trakko --e
    [ "$output" = "--explain" ]
}

@test "bash: other words complete command names: programs, functions and aliases" {
    run complete_bash trakko zq
    [ "$output" = "$(printf '%s\n' zqalias zqfunc zqprog)" ]
    # After a COMMAND, and after options, still command names.
    run complete_bash trakko --all zqprog zqf
    [ "$output" = "zqfunc" ]
}

@test "bash: after -- every word is a command name, even one with a dash" {
    make_exe tools/-zqdash
    run complete_bash trakko -- -zq
    [ "$output" = "-zqdash" ]
    run complete_bash trakko -- --sk
    [ "$output" = "" ]
}

@test "bash: a word with a slash completes as a file name" {
    run complete_bash trakko tools/zq
    [ "$output" = "tools/zqprog" ]
}

# complete_zsh KEYS PATTERN: types KEYS into an interactive zsh with the completion on its
# fpath, and prints what the terminal showed once it matches PATTERN. A completion that never
# produces the pattern is ended by the time-out of the outer command and fails.
complete_zsh() {
    cat >drive.zsh <<'EOF'
zmodload zsh/zpty
zpty shell 'zsh -f -i'
zpty -w shell "PS1='> '; fpath=($1 \$fpath); autoload -Uz compinit; compinit -u -D"
zpty -w shell 'zqfunc() { :; }; print READY$((6 * 7))'
zpty -r shell seen '*READY42*'
zpty -w -n shell "$2"
zpty -r shell seen "$3" && print -r -- "$seen"
zpty -d shell
EOF
    env -i HOME="$SANDBOX" PATH="$SANDBOX/tools:$(dirname "$(command -v zsh)")" TERM=dumb \
        timeout 60 zsh -f drive.zsh "$ZSH_COMPLETION_DIR" "$1" "$2"
}

@test "zsh: options complete, with their descriptions" {
    run complete_zsh $'trakko --sk\t\t' '*--skip-tilde*'
    [ "$status" -eq 0 ]
    [[ $output == *--skip-alias*--skip-functions* ]]
    [[ $output == *'--skip-dot '*'-- skip relative directories in PATH'* ]]
    run complete_zsh $'trakko --read-f\t' '*trakko --read-functions *'
    [ "$status" -eq 0 ]
    run complete_zsh $'trakko --ch\t' '*trakko --check-path *'
    [ "$status" -eq 0 ]
    run complete_zsh $'trakko --read-h\t' '*trakko --read-hash *'
    [ "$status" -eq 0 ]
}

@test "zsh: command names complete: programs and functions" {
    run complete_zsh $'trakko zqpr\t' '*trakko zqprog *'
    [ "$status" -eq 0 ]
    run complete_zsh $'trakko -a zqfu\t' '*trakko -a zqfunc *'
    [ "$status" -eq 0 ]
}
