#!/usr/bin/env bash
# Installs the Debian packages that building trakko and running every test need.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang          # build, with both compilers
    libgtest-dev bats                    # unit and command-line tests
    libnss-wrapper                       # a real password database for the tests
    util-linux                           # setpriv (other users) and script (a terminal)
    bash zsh                             # the shells whose listings trakko reads
    groff-base man-db                    # rendering and finding the manual page
    dpkg-dev                             # building and checking the Debian package
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
