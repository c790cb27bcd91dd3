#!/usr/bin/env bash
# Installs the Debian packages that building trakko needs (--build: enough for the README's
# build command), by default also what its tests and its package need (cmake --workflow
# --preset default), and with --ci what CI needs on top: clang++ and its fuzzing and sanitizer
# runtimes, valgrind, and lintian for the package check. Works as root on a fresh machine (no
# sudo there) and through sudo for anyone else. Prints one line per package it installed, or
# one line saying that nothing was missing.
#
#   bash scripts/install-deps.sh [--build | --ci]
set -euo pipefail

build_packages=(
    cmake ninja-build g++                # the build
)
test_packages=(
    libgtest-dev bats                    # unit and command-line tests
    libnss-wrapper                       # a real password database for the tests
    util-linux                           # setpriv (other users) and script (a terminal)
    acl                                  # setfacl, for the tests of ACLs
    bash zsh ksh mksh fish               # the shells whose listings trakko reads
    groff-base man-db                    # rendering and finding the manual page
    dpkg-dev file                        # the package's libc version (dpkg-shlibdeps needs file)
)
ci_packages=(
    clang libclang-rt-14-dev             # the clang++ build, libFuzzer and the sanitizer runtimes
    valgrind                             # the memcheck pass over the tests
    lintian                              # the package's check
)

case ${1-} in
    --build) packages=("${build_packages[@]}") ;;
    "") packages=("${build_packages[@]}" "${test_packages[@]}") ;;
    --ci) packages=("${build_packages[@]}" "${test_packages[@]}" "${ci_packages[@]}") ;;
    *)
        echo "usage: bash scripts/install-deps.sh [--build | --ci]" >&2
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
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null; then
        echo "install-deps: root or sudo is needed to install ${missing[*]}" >&2
        exit 1
    fi
    as_root=(sudo)
fi
# apt-get's own lines go to a log, shown only when it fails, and removed in any case.
log=$(mktemp "${TMPDIR:-/tmp}/install-deps.XXXXXX")
trap 'rm -f "$log"' EXIT
echo "install-deps: installing ${#missing[@]} missing packages through apt-get..."
if ! { "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"; } >"$log" 2>&1; then
    cat "$log" >&2
    echo "install-deps: apt-get failed (its output is above)" >&2
    exit 1
fi
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
