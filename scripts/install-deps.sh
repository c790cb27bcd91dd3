#!/usr/bin/env bash
# Installs the Debian packages that building trakko and running every test need. Works as root
# on a fresh machine (no sudo there) and through sudo for anyone else.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang          # build, with both compilers
    libgtest-dev bats                    # unit and command-line tests
    libnss-wrapper                       # a real password database for the tests
    util-linux                           # setpriv (other users) and script (a terminal)
    bash zsh ksh mksh fish               # the shells whose listings trakko reads
    groff-base man-db                    # rendering and finding the manual page
    dpkg-dev lintian                     # building and checking the Debian package
    libclang-rt-14-dev                   # libFuzzer and the sanitizer runtimes for clang
    valgrind                             # the memcheck pass over the tests
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    echo "installing: ${missing[*]}"
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
