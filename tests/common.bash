# Shared set-up for the command-line tests: every test runs the real binary in a scratch
# directory, in an environment it builds itself (never the developer's own).

bats_require_minimum_version 1.5.0

TRAKKO=${TRAKKO:?run the command-line tests through ctest, which sets TRAKKO}
# The name trakko gives itself in messages: argv[0], which is $TRAKKO unless the binary is run
# through a wrapper (the valgrind pass sets it to the real binary).
PROG=${TRAKKO_PROG:-$TRAKKO}

# runnable_by_others: for a test that runs the binary as uid 65534. The build tree may lie where
# that user cannot go (a clone in root's home, mode 0700), so TRAKKO (and PROG, that messages
# carry) become a copy in the sandbox, opened to others; a wrapper (TRAKKO_PROG set) is kept,
# and must itself be reachable. Skips, naming the cause, when nothing can make it runnable.
runnable_by_others() {
    command -v setpriv >/dev/null || skip "setpriv not installed (util-linux)"
    [ "$(id -u)" = 0 ] || skip "running the binary as another user needs root"
    chmod 755 "$SANDBOX"
    if [ -z "${TRAKKO_PROG-}" ]; then
        cp "$TRAKKO" "$SANDBOX/trakko"
        TRAKKO=$SANDBOX/trakko PROG=$SANDBOX/trakko
    fi
    local file
    for file in "$TRAKKO" ${TRAKKO_PROG:+"$TRAKKO_PROG"}; do
        setpriv --reuid=65534 --regid=65534 --clear-groups test -x "$file" ||
            skip "uid 65534 cannot run $file: a directory on its way is closed to others"
    done
}

# A fresh scratch directory per test, left as the working directory.
setup_sandbox() {
    SANDBOX=$(mktemp -d "${BATS_TMPDIR:-/tmp}/trakko.XXXXXX")
    cd "$SANDBOX" || return 1
}

teardown_sandbox() {
    cd / && chmod -R u+rwx "$SANDBOX" 2>/dev/null
    rm -rf "$SANDBOX"
}

# make_exe FILE...: small executable scripts (directories created as needed).
make_exe() {
    local f
    for f in "$@"; do
        mkdir -p "$(dirname "$f")"
        printf '#!/bin/sh\nexit 0\n' >"$f"
        chmod 755 "$f"
    done
}

# tk [VAR=value ...] [--] [ARG ...]: trakko with only the given variables in its environment
# (plus the sanitizer settings of a sanitizer build).
tk() {
    local vars=()
    while [ $# -gt 0 ] && [[ $1 == [A-Za-z_]*=* ]]; do
        vars+=("$1")
        shift
    done
    [ "${1-}" = "--" ] && shift
    [ -n "${ASAN_OPTIONS-}" ] && vars+=("ASAN_OPTIONS=$ASAN_OPTIONS")
    [ -n "${UBSAN_OPTIONS-}" ] && vars+=("UBSAN_OPTIONS=$UBSAN_OPTIONS")
    env -i "${vars[@]}" "$TRAKKO" "$@"
}

# on_pty COMMAND...: runs a shell command line with standard input and output on a terminal;
# prints what the terminal showed, carriage returns removed.
on_pty() {
    script -qec "$*" /dev/null </dev/null | tr -d '\r'
}
