#!/usr/bin/env bats
# How a match is printed: normalised full paths, the working directory and its fallbacks, the
# dot and tilde forms, and the 1024-byte limit.

load common

setup() {
    setup_sandbox
    make_exe bin/x
}
teardown() { teardown_sandbox; }

# as_nobody CMD...: runs CMD as an unprivileged user (the tilde form is never used for root).
as_nobody() {
    setpriv --reuid=65534 --regid=65534 --clear-groups "$@"
}

@test "relative entries print normalised full paths; --show-dot keeps ./ for dot entries" {
    mkdir -p sub
    cd sub
    for path in ../bin "./../bin" ".//..//bin/" "../sub/../bin" "../bin/."; do
        run --separate-stderr tk PATH="$path" -- x
        [ "$status" -eq 0 ]
        [ "$output" = "$SANDBOX/bin/x" ]
    done
    cd "$SANDBOX"
    run --separate-stderr tk PATH=./bin -- --show-dot x
    [ "$output" = "./bin/x" ]
    # An entry that does not begin with a dot never gets the dot form.
    run --separate-stderr tk PATH=bin -- --show-dot x
    [ "$output" = "$SANDBOX/bin/x" ]
    # Neither does a match that climbed out of the working directory.
    cd sub
    run --separate-stderr tk PATH=../bin -- --show-dot x
    [ "$output" = "$SANDBOX/bin/x" ]
}

@test "the working directory / prints /x, and a climb above the root prints unnormalised" {
    cd /
    run --separate-stderr tk PATH=./bin:.. -- -a sh
    [ "${lines[0]}" = "/bin/sh" ]
    run --separate-stderr tk PATH=../bin -- sh
    [ "$output" = "../bin/sh" ]
    run --separate-stderr tk PATH=/../bin -- sh
    [ "$output" = "/../bin/sh" ]
}

@test "a '..' after a symbolic link prints the file found, as the system resolves it" {
    make_exe app/releases/bin/deploy app/bin/deploy
    mkdir app/releases/42 && ln -s releases/42 app/current
    local kept="$SANDBOX/app/current/../bin/deploy"
    # The lexical reading names another file: the candidate is printed, its '..' kept.
    for path in "$SANDBOX/app/current/../bin" "$SANDBOX/app/./current//../bin/"; do
        run --separate-stderr tk PATH="$path" -- deploy
        [ "$status" -eq 0 ]
        [ "$output" = "$kept" ]
    done
    cd app
    run --separate-stderr tk PATH="current/../bin" -- --all deploy
    [ "$output" = "$kept" ]
    # ... or none at all.
    rm bin/deploy
    run --separate-stderr tk PATH="current/../bin" -- deploy
    [ "$output" = "$kept" ]
    # Where both readings name the same file, the normalised one stays.
    run --separate-stderr tk PATH="$SANDBOX/app/releases/42/../bin" -- deploy
    [ "$output" = "$SANDBOX/app/releases/bin/deploy" ]
}

@test "two leading slashes are kept, three or more become one" {
    run --separate-stderr tk PATH="/$SANDBOX/bin" -- x
    [ "$output" = "/$SANDBOX/bin/x" ]
    run --separate-stderr tk PATH="//$SANDBOX//bin//" -- x
    [ "$output" = "$SANDBOX/bin/x" ]
}

@test "getcwd failing: an absolute PWD stands in, otherwise the run ends with 255" {
    mkdir gone && cd gone && rmdir "$SANDBOX/gone"
    run --separate-stderr tk PATH="$SANDBOX/bin" PWD=/p -- --show-dot x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/x" ]

    for pwd in unset "" relative/dir; do
        if [ "$pwd" = unset ]; then
            run --separate-stderr tk PATH="$SANDBOX/bin" -- --show-dot x
        else
            run --separate-stderr tk PATH="$SANDBOX/bin" PWD="$pwd" -- --show-dot x
        fi
        [ "$status" -eq 255 ]
        [ "$output" = "" ]
        [ "$stderr" = "Can't get current working directory" ]
    done
    # The working directory is needed before the missing COMMAND is noticed.
    run --separate-stderr tk PATH="$SANDBOX/bin" -- --show-dot
    [ "$stderr" = "Can't get current working directory" ]
}

@test "a working directory too long for getcwd's buffer is taken from PWD" {
    local deep="$SANDBOX" part
    part=$(printf 'd%.0s' {1..200})
    for i in 1 2 3 4 5 6; do deep="$deep/$part"; done
    mkdir -p "$deep"
    make_exe "$deep/y"
    cd "$deep"
    ln -s "$deep" "$SANDBOX/short"
    run --separate-stderr tk PATH=. PWD="$SANDBOX/short" -- y
    [ "$output" = "$SANDBOX/short/y" ]
    run --separate-stderr tk PATH=. PWD="$SANDBOX/short/" -- --show-dot y
    [ "$output" = "./y" ]
}

@test "a working directory of 1023 bytes leaves no room for its slash" {
    local pwd1023="/$(printf 'p%.0s' {1..1022})"
    mkdir gone && cd gone && rmdir "$SANDBOX/gone"
    run --separate-stderr tk PATH="$SANDBOX/bin" PWD="$pwd1023" -- --show-dot x
    [ "$status" -eq 255 ]
    [ "$stderr" = "Can't get current working directory" ]
    run --separate-stderr tk PATH="$SANDBOX/bin" PWD="${pwd1023%p}" -- --show-dot x
    [ "$status" -eq 0 ]
}

# Makes a directory under the sandbox whose path, a '/' and a one-byte name are $1 bytes long.
dir_for_length() {
    local want=$1 dir="$SANDBOX/l" room
    while :; do
        room=$(( want - ${#dir} - 3 ))
        if [ "$room" -le 200 ]; then
            dir="$dir/$(printf 'c%.0s' $(seq 1 "$room"))"
            break
        fi
        dir="$dir/$(printf 'b%.0s' {1..150})"
    done
    mkdir -p "$dir"
    printf '%s' "$dir"
}

@test "a full path of 1023 bytes is printed, one of 1024 bytes is fatal" {
    local d1023 d1024
    d1023=$(dir_for_length 1023)
    make_exe "$d1023/z"
    [ "$(( ${#d1023} + 2 ))" -eq 1023 ]
    run --separate-stderr tk PATH="$d1023" -- z
    [ "$status" -eq 0 ]
    [ "$output" = "$d1023/z" ]

    d1024=$(dir_for_length 1024)
    make_exe "$d1024/z"
    run --separate-stderr tk PATH="$SANDBOX/bin:$d1024" -- x z
    [ "$status" -eq 255 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    [ "$stderr" = "Can't create full path" ]
}

@test "a relative candidate is refused when it outgrows the buffer before a later climb" {
    local long rel up
    long=$(dir_for_length 1100)
    rel=${long#"$SANDBOX"/}
    up=$(printf '%s' "$rel" | tr -cd / | sed 's|/|../|g')
    cd "$SANDBOX"
    [ -x "$rel/../$up/bin/x" ]
    run --separate-stderr tk PATH="$rel/../${up}bin" -- x
    [ "$status" -eq 255 ]
    [ "$stderr" = "Can't create full path" ]
}

@test "the dot, tilde and plain forms for each kind of entry" {
    runnable_by_others
    cd "$SANDBOX"
    check() {  # check ENTRY EXPECTED OPTION...
        local entry=$1 expected=$2
        shift 2
        run --separate-stderr as_nobody env -i PATH="$entry" HOME="$SANDBOX" "$TRAKKO" "$@" x
        [ "$output" = "$expected" ] || { echo "$entry $*: got '$output' want '$expected'"; return 1; }
    }
    check ./bin "$SANDBOX/bin/x"
    check ./bin ./bin/x --show-dot
    check ./bin '~/bin/x' --show-tilde
    check ./bin ./bin/x --show-dot --show-tilde
    check "$SANDBOX/bin" "$SANDBOX/bin/x" --show-dot
    check "$SANDBOX/bin" '~/bin/x' --show-dot --show-tilde
    check bin "$SANDBOX/bin/x" --show-dot
    check bin "" --skip-tilde
    check "$SANDBOX/bin" "" --skip-tilde --show-tilde
}

@test "the tilde form only covers whole directory names under HOME" {
    runnable_by_others
    make_exe user/x
    run --separate-stderr as_nobody env -i PATH="$SANDBOX/user:$SANDBOX/u/bin" HOME="$SANDBOX/u" \
        "$TRAKKO" --show-tilde x
    [ "$output" = "$SANDBOX/user/x" ]
    run --separate-stderr as_nobody env -i PATH=/bin HOME=/ "$TRAKKO" --show-tilde sh
    [ "$output" = "~/bin/sh" ]
}

@test "--skip-tilde drops results under HOME and the search goes on" {
    make_exe other/x
    for home in "$SANDBOX" "$SANDBOX/" "$SANDBOX/bin"; do
        run --separate-stderr tk PATH="$SANDBOX/bin:/nonexistent:$SANDBOX/bin" HOME="$home" -- --skip-tilde -a x
        [ "$status" -eq 1 ]
        [ "$output" = "" ]
    done
    # An empty HOME or "/" covers every absolute result.
    for home in "" /; do
        run --separate-stderr tk PATH=/bin HOME="$home" -- --skip-tilde sh
        [ "$status" -eq 1 ]
    done
    run --separate-stderr tk PATH="$SANDBOX/bin:/bin" HOME="$SANDBOX" -- --skip-tilde sh x
    [ "$status" -eq 1 ]
    [ "$output" = "/bin/sh" ]
}
