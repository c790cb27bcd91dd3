#!/usr/bin/env bash
# Runs the command-line tests (and the unit tests) with every trakko process under valgrind's
# memcheck: scripts/valgrind-cli.sh [BATS-FILE...] (all of tests/*.bats by default; BATS_FILTER
# picks tests by name). Passes only when the tests pass and no process had a memory error or a
# block that was "definitely lost"; memory kept until exit on purpose (still reachable) is fine.
#
# The tests run the program through $TRAKKO; here that is a small wrapper that starts the real
# binary under valgrind, and TRAKKO_PROG names the real binary, which is the argv[0] that the
# messages the tests compare carry. Tests that need the binary's own argv[0] (or address-space
# limits) run $TRAKKO_PROG directly, outside memcheck.
set -euo pipefail
cd "$(dirname "$0")/.."

files=("$@")
[ "${#files[@]}" -gt 0 ] || files=(tests/*.bats)
# Here $TRAKKO is the wrapper, so a message compared against it can never match: say so plainly
# rather than through a failing test.
if grep -n '\$TRAKKO:\|\${TRAKKO}:' "${files[@]}"; then
    echo "$0: the lines above compare messages against \$TRAKKO; use \$PROG (tests/common.bash)" >&2
    exit 1
fi
command -v valgrind >/dev/null || { echo "$0: valgrind is not installed" >&2; exit 2; }
cmake --preset default >/dev/null
cmake --build --preset default
real=$PWD/build/default/trakko
# Debian's valgrind is a shell script around valgrind.bin; a shell would complain on its own
# when the working directory is gone, so the wrapper starts the binary itself.
valgrind=$(command -v valgrind)
[ -x "$valgrind.bin" ] && valgrind=$valgrind.bin

work=$(mktemp -d /tmp/trakko-valgrind.XXXXXX)
trap 'rm -rf "$work"' EXIT
# Some tests run trakko as another user, who must be able to run the wrapper and write a log.
chmod 755 "$work"
mkdir -m 1777 "$work/logs"

options=(--tool=memcheck -q --error-exitcode=97 --leak-check=full --show-leak-kinds=definite
         --errors-for-leak-kinds=definite)

# The wrapper is a program rather than a script: no shell start-up in the tests' odd working
# directories, the environment passed on exactly as the test built it, and the log on a
# descriptor above the standard three, so that a test's closed stdout stays closed instead of
# becoming the log file.
quoted=$(printf '"%s", ' "${options[@]}")
gcc -O1 -o "$work/trakko" -x c - <<WRAPPER
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

int main(int argc, char** argv) {
    char log[4096], log_fd[32];
    snprintf(log, sizeof log, "%s/%ld.log", "$work/logs", (long)getpid());
    int fd = open(log, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    int high = fd < 0 ? -1 : fcntl(fd, F_DUPFD, 200);
    if (high < 0) { perror(log); return 96; }
    close(fd);
    snprintf(log_fd, sizeof log_fd, "--log-fd=%d", high);
    const char* fixed[] = {"$valgrind", $quoted log_fd, "$real"};
    size_t n_fixed = sizeof fixed / sizeof fixed[0];
    char** args = calloc(n_fixed + (size_t)argc + 1, sizeof *args);
    for (size_t i = 0; i < n_fixed; i++) args[i] = (char*)fixed[i];
    for (int i = 1; i < argc; i++) args[n_fixed + (size_t)i - 1] = argv[i];
    execv(args[0], args);
    perror(args[0]);
    return 96;
}
WRAPPER

status=0
echo "== command-line tests under memcheck"
TRAKKO=$work/trakko TRAKKO_PROG=$real TRAKKO_BUILD_DIR=$PWD/build/default TRAKKO_SOURCE_DIR=$PWD \
    bats ${BATS_FILTER:+-f "$BATS_FILTER"} "${files[@]}" || status=1

echo "== unit tests under memcheck"
"$valgrind" "${options[@]}" --log-file="$work/logs/unit.log" build/default/trakko_tests \
    --gtest_brief=1 >/dev/null || status=1

# With -q a clean run leaves an empty log; anything in one is a report.
runs=$(find "$work/logs" -name '*.log' | wc -l)
reports=$(find "$work/logs" -name '*.log' -size +0 | sort)
echo "== memcheck: $runs processes checked"
if [ -n "$reports" ]; then
    for log in $reports; do
        echo "-- $log"
        cat "$log"
    done
    echo "memcheck reported errors in $(printf '%s\n' "$reports" | wc -l) processes" >&2
    status=1
fi
exit "$status"
