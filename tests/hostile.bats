#!/usr/bin/env bats
# Conditions set up to make trakko give a wrong answer with a success status: a working
# directory that PWD misnames, a listing file changed while it is used, output that fails for a
# reason of its own, inputs built to make the work explode. Each must end in the right answer,
# or in the right message and status.

load common

setup() {
    setup_sandbox
    make_exe bin/ls bin/cat
}
teardown() { teardown_sandbox; }

# listing_with_body BYTES: a listing of one function f whose body line holds BYTES bytes.
listing_with_body() {
    printf 'f ()\n{\n    echo %s\n}\n' "$(head -c "$1" /dev/zero | tr '\0' S)"
}

# changed_while_printing CHANGE: runs trakko on a mapped listing whose output fills a pipe, so
# that the run is held after parsing, applies CHANGE (a command) to the listing meanwhile, then
# lets the run finish; sets status, output (the byte count printed after the first) and stderr.
changed_while_printing() {
    listing_with_body 200000 >listing
    touch -d '2000-01-01' listing
    rm -f out && mkfifo out
    env -i PATH="$SANDBOX/bin" "$TRAKKO" --read-functions f <listing >out 2>err &
    local pid=$!
    exec 5<out
    dd bs=1 count=1 status=none <&5 >/dev/null
    "$@"
    output=$(wc -c <&5)
    exec 5<&-
    status=0
    wait "$pid" || status=$?
    stderr=$(cat err)
}

@test "a working directory deeper than getcwd can name, and a PWD that names another one" {
    local deep part
    part=$(printf 'd%.0s' {1..200})
    deep="$SANDBOX"
    for i in 1 2 3 4 5 6; do deep="$deep/$part"; done
    mkdir -p "$deep"
    cp /bin/false "$deep/ls"
    cd "$deep"
    # The file that matched is ./ls; /usr/bin/ls would be the wrong answer.
    run --separate-stderr tk PWD=/usr/bin PATH=.:/usr/bin -- ls
    [ "$status" -eq 255 ]
    [ "$output" = "" ]
    [ "$stderr" = "Can't get current working directory" ]
}

@test "a mapped listing rewritten or truncated after it was read ends the run" {
    for change in "rewrite" "truncate"; do
        case $change in
        rewrite) changed_while_printing dd if=/dev/zero of=listing bs=1 seek=20 count=8 \
            conv=notrunc status=none ;;
        truncate) changed_while_printing truncate -s 4096 listing ;;
        esac
        [ "$status" -eq 255 ]
        [ "$stderr" = "$PROG: standard input changed while it was read" ]
    done
    # Left alone, the same listing is shown whole, with status 0.
    changed_while_printing true
    [ "$status" -eq 0 ]
    [ "$output" -eq $(($(wc -c <listing) - 1)) ]
    [ "$stderr" = "" ]
}

@test "a write error carries the reason of the write that failed" {
    listing_with_body 5000 >listing
    run --separate-stderr bash -c 'env -i "$1" --read-functions f <listing >/dev/full' _ "$TRAKKO"
    [ "$status" -eq 255 ]
    [ "$stderr" = "$PROG: write error: No space left on device" ]
    # SIGPIPE ignored, the reader gone before anything is written.
    run --separate-stderr bash -c 'trap "" PIPE; (sleep 0.5; exec env -i "$1" --read-functions f <listing) | true' _ "$TRAKKO"
    [ "$stderr" = "$PROG: write error: Broken pipe" ]
}

@test "a word met many times in alias values prints the same each time" {
    printf "alias x='ls | | ls && cat |ls'\nalias y='cat'\n" >listing
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -i x y <listing
    [ "$status" -eq 0 ]
    [ "$output" = "$(printf "alias x='ls | | ls && cat |ls'\n\t%s\n\t%s\n\t%s\n\t%s\nalias y='cat'\n\t%s" \
        "$SANDBOX/bin/ls" "$SANDBOX/bin/ls" "$SANDBOX/bin/cat" "$SANDBOX/bin/ls" "$SANDBOX/bin/cat")" ]
}

@test "escapes of escapes, nested 100,000 deep or on a 64 KB stack, are read in one pass" {
    local deep
    deep=$(printf '\\c%.0s' $(seq 100000))
    echo "builtin hash -p \$'/bin/${deep}a' ls" >ctrl
    run --separate-stderr tk PATH="$SANDBOX/bin" -- --read-hash ls <ctrl
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/ls" ]
    [ "$stderr" = "$PROG: ls: the shell remembers /bin/\\x01, which no longer exists (hash -r forgets it)" ]
    deep=$(printf '\\M-%.0s' $(seq 100000))
    echo "hash -- ls=\$'/bin/${deep}a'" >meta
    run --separate-stderr tk PATH="$SANDBOX/bin" -- --check-path --read-hash <meta
    [ "$status" -eq 1 ]
    [ "$output" = "hash: ls: the shell remembers /bin/\\xe1, which no longer exists" ]
    # Once a frame per escape, a 2 KB line was enough for a small stack (the binary itself:
    # no memcheck under that stack).
    deep=$(printf '\\M-\\C-%.0s' $(seq 350))
    echo "hash -- ls=\$'/bin/${deep}?'" >small
    run --separate-stderr bash -c 'ulimit -s 64 && exec "$@"' - \
        env -i PATH="$SANDBOX/bin" "$PROG" --read-hash ls <small
    [ "$status" -ne 139 ]
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/ls" ]
    [ "$stderr" = "$PROG: ls: the shell remembers /bin/\\x9f, which no longer exists (hash -r forgets it)" ]
}
