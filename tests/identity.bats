#!/usr/bin/env bats
# The real user's password entry stands in for an unset HOME: in the home prefix of
# --show-tilde and --skip-tilde, and in the expansion of "~" entries.
# shellcheck disable=SC2088 # a quoted '~' is the text the tool prints or is given
bats_require_minimum_version 1.5.0

load common
load identity_common

setup() {
    needs_root
    setup_users
    make_exe home/bin/x bin/x
}

teardown() {
    teardown_sandbox
}

@test "HOME unset: the home is the real user's home directory" {
    write_passwd "nobody:x:65534:65534::$SANDBOX/home:/bin/sh"
    run as_user 65534 "${NSS[@]}" PATH="$SANDBOX/home/bin:~/bin:$SANDBOX/bin" -- --all --show-tilde x
    [ "$status" -eq 0 ]
    [ "$output" = "~/bin/x"$'\n'"~/bin/x"$'\n'"$SANDBOX/bin/x" ]
    run as_user 65534 "${NSS[@]}" PATH="$SANDBOX/home/bin:~/bin:$SANDBOX/bin" -- --all --skip-tilde x
    [ "$output" = "$SANDBOX/bin/x" ]
}

@test "HOME set: the password entry plays no part" {
    write_passwd "nobody:x:65534:65534::$SANDBOX/home:/bin/sh"
    run as_user 65534 "${NSS[@]}" HOME="$SANDBOX" PATH="~/home/bin" -- --show-tilde x
    [ "$output" = "~/home/bin/x" ]
}

@test "HOME unset and no entry for the real user: the home is /" {
    write_passwd "svc:x:60001:60001::$SANDBOX/home:/bin/sh"
    run as_user 65534 "${NSS[@]}" PATH="$SANDBOX/bin" -- --show-tilde x
    [ "$output" = "~$SANDBOX/bin/x" ]
    run as_user 65534 "${NSS[@]}" PATH="~$SANDBOX/bin" -- x
    [ "$output" = "/$SANDBOX/bin/x" ]
    run --separate-stderr as_user 65534 "${NSS[@]}" PATH="$SANDBOX/bin" -- --skip-tilde x
    [ "$status" -eq 1 ]
    [ "$output" = "" ]
}

@test "an entry with an empty home directory gives an empty home, not /" {
    write_passwd "nobody:x:65534:65534:::"
    run as_user 65534 "${NSS[@]}" PATH="~$SANDBOX/bin" -- x
    [ "$status" -eq 0 ]
    [ "$output" = "$SANDBOX/bin/x" ]
    # The home prefix makes "/" of an empty home by itself.
    run as_user 65534 "${NSS[@]}" PATH="$SANDBOX/bin" -- --show-tilde x
    [ "$output" = "~$SANDBOX/bin/x" ]
}

# With real and effective ids apart the loader ignores LD_PRELOAD, so this case uses the
# system's own database, where Debian's base-passwd gives the user bin (2) the home /bin. Such a
# process cannot read its own /proc/self/environ either, where the sanitizers look for their
# options, and leak checking then fails at exit whatever ASAN_OPTIONS says.
@test "the home is the real user's, not the effective user's" {
    [ "$(getent passwd 2 | cut -d: -f6)" = /bin ] || skip "user 2 is not bin with home /bin"
    ! grep -qs '^TRAKKO_SANITIZE:BOOL=ON' "${TRAKKO_BUILD_DIR-}/CMakeCache.txt" ||
        skip "sanitizer options unreadable with real and effective ids apart"
    run as_ids "--ruid=2 --euid=65534 --rgid=2 --egid=65534" PATH="~" -- --show-tilde sh
    [ "$status" -eq 0 ]
    [ "$output" = "~/sh" ]
}
