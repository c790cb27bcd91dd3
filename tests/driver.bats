#!/usr/bin/env bats
# The run as a whole: usage without COMMANDs, failure lines, exit statuses, lost output.

load common

setup() {
    setup_sandbox
    make_exe bin/found
}
teardown() { teardown_sandbox; }

@test "no COMMAND: usage on stderr and 255, stdin not read even with -i" {
    run --separate-stderr tk PATH="$SANDBOX/bin" -- -a
    [ "$status" -eq 255 ]
    [ "$output" = "" ]
    [ "${stderr%%$'\n'*}" = "Usage: $PROG [options] [--] COMMAND [...]" ]

    # A terminal on stdin would get a warning if it were read.
    run on_pty "env -i PATH=/bin '$TRAKKO' -i --read-functions; echo status=\$?"
    [[ "$output" != *Warning* ]]
    [[ "$output" == *"status=255" ]]
}

@test "every COMMAND found: status 0; three missing: three lines in order, status 3" {
    run --separate-stderr tk PATH="$SANDBOX/bin" -- found found
    [ "$status" -eq 0 ]
    [ "$output" = "$(printf '%s\n' "$SANDBOX/bin/found" "$SANDBOX/bin/found")" ]

    run --separate-stderr tk PATH="$SANDBOX/bin" -- m1 found m2 m1
    [ "$status" -eq 3 ]
    [ "$output" = "$SANDBOX/bin/found" ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" m1 "$SANDBOX/bin" "$PROG" m2 "$SANDBOX/bin" "$PROG" m1 "$SANDBOX/bin")" ]
}

@test "empty PATH: no search at all, even for a name with a slash" {
    run --separate-stderr tk PATH= -- found "$SANDBOX/bin/found"
    [ "$status" -eq 2 ]
    [ "$output" = "" ]
    [ "$stderr" = "$(printf '%s: no %s in ()\n' "$PROG" found "$PROG" "$SANDBOX/bin/found")" ]
}

@test "unset PATH: the failure line shows an empty list" {
    run --separate-stderr tk -- found
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no found in ()" ]
}

@test "a name with a slash reports its base name and its directory" {
    run --separate-stderr tk PATH=/nonexistent -- bin/nx "$SANDBOX/bin/nx" ./nx ../d/nx
    [ "$status" -eq 4 ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" nx ./bin "$PROG" nx "$SANDBOX/bin" \
        "$PROG" nx . "$PROG" nx ../d)" ]
}

@test "the exit status counts failures up to 254 and never wraps" {
    local names
    for n in 253 254 256 300; do
        names=$(seq -f 'missing%g' 1 "$n")
        run --separate-stderr tk PATH="$SANDBOX/bin" -- $names
        [ "$status" -eq "$(( n < 254 ? n : 254 ))" ]
        [ "$(printf '%s\n' "$stderr" | wc -l)" -eq "$n" ]
    done
}

@test "an empty argument vector names the program trakko" {
    cc -o noargv -x c - <<'EOC'
#include <unistd.h>
int main(int argc, char** argv) {
    char* no_args[] = {0};
    char* env[] = {"PATH=/nonexistent", 0};
    (void)argc;
    execve(argv[1], no_args, env);
    return 127;
}
EOC
    # The real binary: a wrapper script in between (the memcheck pass) would get an argv[0].
    run --separate-stderr ./noargv "$PROG"
    [ "$status" -eq 255 ]
    [ "${stderr%%$'\n'*}" = "Usage: trakko [options] [--] COMMAND [...]" ]
}

@test "output that cannot be written ends in a write error and 255" {
    run --separate-stderr bash -c 'env -i PATH="$1" "$2" found >/dev/full' _ "$SANDBOX/bin" "$TRAKKO"
    [ "$status" -eq 255 ]
    [ "$stderr" = "$PROG: write error: No space left on device" ]

    run --separate-stderr bash -c 'env -i PATH="$1" "$2" found >&-' _ "$SANDBOX/bin" "$TRAKKO"
    [ "$status" -eq 255 ]
    [ "$stderr" = "$PROG: write error: Bad file descriptor" ]

    run --separate-stderr bash -c 'env -i "$1" --version >/dev/full' _ "$TRAKKO"
    [ "$status" -eq 255 ]
    [[ "$stderr" == *"write error: No space left on device" ]]
}
