# Listings written by real shells: (alias; declare -f) from bash and from zsh, piped in.
bats_require_minimum_version 1.5.0
load common

setup() {
    setup_sandbox
    make_exe bin/ls bin/git bin/grep bin/f
    B=$SANDBOX/bin
    T=$'\t'
}
teardown() { teardown_sandbox; }

@test "bash: aliases resolve, functions show, a missing name is reported" {
    bash -c 'alias ll="ls -l | grep x" g=git x=f
             f() { echo hi; }
             (alias; declare -f)' >listing
    run --separate-stderr tk PATH="$B" -- -i --read-functions ll f nothing g <listing
    [ "$status" -eq 1 ]
    [ "$output" = "alias g='git'
$T$B/git
alias ll='ls -l | grep x'
$T$B/ls
$T$B/grep"$'\nf ()\n{ \n    echo hi\n}' ]
    [ "$stderr" = "$TRAKKO: no nothing in ($B)" ]
}

@test "bash: an alias of a function shows it indented, and its paths with --all" {
    bash -c 'alias x=f; f() { echo hi; }; (alias; declare -f)' >listing
    run --separate-stderr tk PATH="$B" -- -i --read-functions x <listing
    [ "$status" -eq 0 ]
    [ "$output" = $'alias x=\'f\'\n\tf ()\n\t{ \n\t    echo hi\n\t}' ]

    # With --all the alias keeps its COMMAND, that is then searched and missed.
    run --separate-stderr tk PATH="$B" -- -i --read-functions --all x f <listing
    [ "$status" -eq 1 ]
    [ "$output" = $'alias x=\'f\'\n\tf ()\n\t{ \n\t    echo hi\n\t}\n'"$T$B/f"$'\nf ()\n{ \n    echo hi\n}\n'"$B/f" ]
    [ "$stderr" = "$TRAKKO: no x in ($B)" ]
}

@test "bash: a function with a line longer than 1023 bytes comes back whole" {
    long=$(printf 'y%.0s' {1..1500})
    bash -c "g() { echo '$long'; }; declare -f" >listing
    run tk PATH="$B" -- --read-functions g <listing
    [ "$status" -eq 0 ]
    [ "$output" = $'g ()\n{ \n'"    echo '$long'"$'\n}' ]
}

@test "zsh: unquoted alias values resolve and the brace form is kept" {
    zsh -fc 'alias ll="ls -l|grep x" g=git
             f() { echo hi }
             (alias; declare -f)' >listing
    run --separate-stderr tk PATH="$B" -- -i --read-functions g ll f <listing
    [ "$status" -eq 0 ]
    [ "$output" = "g=git
$T$B/git
ll='ls -l|grep x'
$T$B/ls
$T$B/grep"$'\nf () {\n\techo hi\n}' ]
    [ "$stderr" = "" ]
}

@test "zsh: an alias of a function shows it with a tab before every line" {
    zsh -fc 'alias x=f; f() { echo one; echo two }; (alias; declare -f)' >listing
    run tk PATH="$B" -- -i --read-functions x <listing
    [ "$status" -eq 0 ]
    [ "$output" = $'x=f\n\tf () {\n\t\techo one\n\t\techo two\n\t}' ]
}
