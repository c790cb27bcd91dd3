# Password-database set-up for the command-line tests (load it after common): nss_wrapper
# answers from passwd and group files that the test writes, instead of the system's database,
# and setpriv runs the binary as other users.

# setup_users: a sandbox that other users may enter, and NSS, the variables that hand the
# test's own database to the binary (pass them to tk: tk "${NSS[@]}" ...).
setup_users() {
    setup_sandbox || return 1
    chmod 755 "$SANDBOX"
    # shellcheck disable=SC2034 # used by the test files
    NSS=(LD_PRELOAD=libnss_wrapper.so "NSS_WRAPPER_PASSWD=$SANDBOX/passwd"
        "NSS_WRAPPER_GROUP=$SANDBOX/group")
    printf 'root:x:0:\nnogroup:x:65534:\n' >"$SANDBOX/group"
    : >"$SANDBOX/passwd"
    chmod 644 "$SANDBOX/group" "$SANDBOX/passwd"
}

# write_passwd LINE...: the whole password database, one entry per argument.
write_passwd() {
    printf '%s\n' "$@" >"$SANDBOX/passwd"
}

# Running as another user takes root, as CI has it.
needs_root() {
    [ "$(id -u)" = 0 ] || skip "setpriv needs root"
}

# as_ids 'SETPRIV-ID-OPTIONS' [VAR=value ...] [--] [ARG ...]: tk with the given real and
# effective ids and no supplementary groups. It runs a copy of the binary in the sandbox,
# which the user can reach wherever the build tree lies.
as_ids() {
    local ids=$1 vars=()
    shift
    while [ $# -gt 0 ] && [[ $1 == [A-Za-z_]*=* ]]; do
        vars+=("$1")
        shift
    done
    [ "${1-}" = "--" ] && shift
    [ -x "$SANDBOX/trakko" ] || cp "$TRAKKO" "$SANDBOX/trakko"
    # shellcheck disable=SC2086 # the id options are separate words
    TRAKKO=$(command -v setpriv) tk "${vars[@]}" -- $ids --clear-groups "$SANDBOX/trakko" "$@"
}

# as_user ID [VAR=value ...] [--] [ARG ...]: as_ids with real and effective user and group ID.
as_user() {
    local id=$1
    shift
    as_ids "--reuid=$id --regid=$id" "$@"
}
