#!/usr/bin/env bats
# The PATH search: order, --all, skipped entries, names with a slash, what never matches.

load common

setup() {
    setup_sandbox
    make_exe d1/x d2/x here/y
    mkdir -p dirs/x
    mkdir plain && printf '#!/bin/sh\n' >plain/x && chmod 644 plain/x
}
teardown() { teardown_sandbox; }

@test "the first match wins; --all prints every match in PATH order" {
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/d1/x" ]

    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- --all x
    [ "$output" = "$(printf '%s\n' "$SANDBOX/d1/x" "$SANDBOX/d2/x")" ]
}

@test "--all over duplicated and empty entries searches each one it gets" {
    cd d1
    run --separate-stderr tk PATH="$SANDBOX/d2::$SANDBOX/d2:::$SANDBOX/d1:" -- -a x
    # Entries: d2 . d2 . d1 .  (a run of three colons gives a single ".")
    [ "$output" = "$(printf '%s\n' "$SANDBOX/d2/x" "$SANDBOX/d1/x" "$SANDBOX/d2/x" \
        "$SANDBOX/d1/x" "$SANDBOX/d1/x" "$SANDBOX/d1/x")" ]
}

@test "directories and files without execute permission are passed over" {
    run --separate-stderr tk PATH="$SANDBOX/dirs:$SANDBOX/plain:$SANDBOX/d2" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/d2/x" ]

    run --separate-stderr tk PATH="$SANDBOX/dirs:$SANDBOX/plain" -- x
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no x in ($SANDBOX/dirs:$SANDBOX/plain)" ]
}

@test "an empty element, a relative entry and '.' search the working directory" {
    cd here
    for path in ":/nonexistent" "/nonexistent:" "/nonexistent::/nowhere" "." "../here"; do
        run --separate-stderr tk PATH="$path" -- y
        [ "$status" -eq 0 ]
        [ "$output" = "$SANDBOX/here/y" ]
    done
}

@test "--skip-dot skips every relative entry and every relative name" {
    cd here
    make_exe bin/z
    run --separate-stderr tk PATH="bin:.::$SANDBOX/d1" -- --skip-dot z y x
    [ "$status" -eq 2 ]
    [ "$output" = "$SANDBOX/d1/x" ]

    make_exe ../d/w
    run --separate-stderr tk PATH="$SANDBOX/d1" -- --skip-dot ./y bin/z ../d/w
    [ "$status" -eq 3 ]
    [ "$stderr" = "$(printf '%s: no %s in (%s)\n' "$PROG" y . "$PROG" z ./bin "$PROG" w ../d)" ]
}

@test "--skip-tilde skips tilde entries and tilde names" {
    run --separate-stderr tk PATH="~/d1:$SANDBOX/d2" HOME="$SANDBOX/home" -- --skip-tilde x '~/d1/x'
    [ "$status" -eq 1 ]
    [ "$output" = "$SANDBOX/d2/x" ]
    [ "$stderr" = "$PROG: no x in (~/d1)" ]
}

@test "an entry that only contains a tilde later is searched as it stands" {
    mkdir -p 'a~b'
    make_exe 'a~b/x'
    cd "$SANDBOX"
    run --separate-stderr tk PATH='a~b' HOME=/nonexistent -- x
    [ "$output" = "$SANDBOX/a~b/x" ]
}

@test "a name with a slash is tried in its own directory only, and printed in full" {
    cd here
    make_exe bin/x
    run --separate-stderr tk PATH="$SANDBOX/d1" -- bin/x ./y "$SANDBOX/d2/x" ../d1/x
    [ "$status" -eq 0 ]
    [ "$output" = "$(printf '%s\n' "$SANDBOX/here/bin/x" "$SANDBOX/here/y" "$SANDBOX/d2/x" "$SANDBOX/d1/x")" ]

    # --all cannot give more than one line for such a name.
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX/d2" -- -a "$SANDBOX/d2/x"
    [ "$output" = "$SANDBOX/d2/x" ]
}

@test "a name with a slash that is a directory or not executable is not found" {
    run --separate-stderr tk PATH="$SANDBOX/d1" -- dirs/x plain/x "$SANDBOX/plain/x"
    [ "$status" -eq 3 ]
    [ "$stderr" = "$(printf '%s: no x in (%s)\n' "$PROG" ./dirs "$PROG" ./plain "$PROG" "$SANDBOX/plain")" ]
}

@test "a name ending in a slash and an empty name are never found" {
    run --separate-stderr tk PATH="$SANDBOX/d1:$SANDBOX" -- d1/ ''
    [ "$status" -eq 2 ]
    [ "$stderr" = "$(printf '%s: no  in (%s)\n' "$PROG" ./d1 "$PROG" "$SANDBOX/d1:$SANDBOX")" ]
}

@test "a name whose only slash is the first byte is searched in the root directory" {
    run --separate-stderr tk PATH="$SANDBOX/d1" -- /trakko-no-such-file
    [ "$status" -eq 1 ]
    [ "$stderr" = "$PROG: no trakko-no-such-file in (/)" ]

    [ -w / ] || skip "needs write access to / for the positive case"
    local probe="/trakko-test-$$"
    make_exe "$probe"
    run --separate-stderr tk PATH="$SANDBOX/d1" -- "$probe"
    rm -f "$probe"
    [ "$status" -eq 0 ]
    [ "$output" = "$probe" ]
}

@test "a symbolic link to an executable is printed under the link's name" {
    mkdir links
    ln -s ../d1/x links/sym
    ln -s ../nowhere links/dangling
    run --separate-stderr tk PATH="$SANDBOX/links:$SANDBOX/d2" -- sym dangling
    [ "$status" -eq 1 ]
    [ "$output" = "$SANDBOX/links/sym" ]
}

@test "a file executable only by its owner is no match for another user" {
    runnable_by_others
    mkdir -p other && printf '#!/bin/sh\n' >other/x && chmod 700 other/x
    run --separate-stderr setpriv --reuid=65534 --regid=65534 --clear-groups \
        env -i PATH="$SANDBOX/other:$SANDBOX/d2" "$TRAKKO" x
    [ "$output" = "$SANDBOX/d2/x" ]
}
