#!/usr/bin/env bash
# Installs the Debian packages that building trakko and running its tests need
# (cmake --workflow --preset default); with --ci also what CI needs on top: clang++ and its
# fuzzing and sanitizer runtimes, valgrind, and lintian for the package check. Works as root on
# a fresh machine (no sudo there) and through sudo for anyone else. Prints one line per package
# it installed, or one line saying that nothing was missing.
#
#   bash scripts/install-deps.sh [--ci]
set -euo pipefail

packages=(
    cmake ninja-build g++                # the build
    libgtest-dev bats                    # unit and command-line tests
    libnss-wrapper                       # a real password database for the tests
    util-linux                           # setpriv (other users) and script (a terminal)
    bash zsh ksh mksh fish               # the shells whose listings trakko reads
    groff-base man-db                    # rendering and finding the manual page
)
ci_packages=(
    clang libclang-rt-14-dev             # the clang++ build, libFuzzer and the sanitizer runtimes
    valgrind                             # the memcheck pass over the tests
    dpkg-dev lintian                     # the package's dependencies worked out, and its check
)

case ${1-} in
    "") ;;
    --ci) packages+=("${ci_packages[@]}") ;;
    *)
        echo "usage: bash scripts/install-deps.sh [--ci]" >&2
        exit 2
        ;;
esac

installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for p in "${packages[@]}"; do
    installed "$p" || missing+=("$p")
done
if [ "${#missing[@]}" -eq 0 ]; then
    echo "install-deps: nothing missing (${#packages[@]} packages checked)"
    exit 0
fi

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
# apt-get's own lines go to a log, shown only when it fails.
log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX")
echo "install-deps: installing ${#missing[@]} missing packages through apt-get..."
if ! { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "install-deps: apt-get failed (its output is above and in $log)" >&2
    exit 1
fi
rm -f "$log"
status=0
for p in "${missing[@]}"; do
    if installed "$p"; then
        echo "install-deps: installed $p"
    else
        echo "install-deps: $p is still not installed" >&2
        status=1
    fi
done
exit "$status"
