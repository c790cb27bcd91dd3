#!/usr/bin/env bash
# How much file-system work --explain adds to the search it explains: the system calls of one
# run with --explain against the same run with --all, counted by strace -c, for 1,000 COMMANDs
# along a 500-entry PATH. --explain probes every candidate that --all probes, and says why each
# one failed; what it learns about a directory is kept for the run, so the ratio should stay
# close to 1 (the goal is at most 1.10).
#
#   bench/explain_calls.sh [TRAKKO]
#
# TRAKKO defaults to build/default/trakko (built with the default preset when missing). Needs
# strace (Debian package strace). Scratch files go to bench/out/explain.
set -euo pipefail

BENCH=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$BENCH")
OUT=$BENCH/out/explain
TRAKKO=${1:-$ROOT/build/default/trakko}

STRACE=$(command -v strace) || {
    echo "bench: strace is missing; install the Debian package: apt-get install strace" >&2
    exit 1
}
if [ ! -x "$TRAKKO" ]; then
    cmake --preset default -S "$ROOT" >/dev/null && cmake --build --preset default >/dev/null
fi

# A PATH of 500 entries as a messy system has them: most directories exist and hold a few
# commands, some are missing, some are files, some hold dangling links; 1,000 names to look up,
# one in ten of them present somewhere.
rm -rf "$OUT" && mkdir -p "$OUT/tree"
entries=()
for i in $(seq 1 500); do
    dir=$OUT/tree/d$i
    case $((i % 10)) in
        7) ;;                      # missing
        8) : >"$dir" ;;            # a file, not a directory
        *)
            mkdir "$dir"
            for j in 1 2 3; do
                printf '#!/bin/sh\n' >"$dir/cmd$(((i * 3 + j) % 100))" && chmod 755 "$dir/cmd$(((i * 3 + j) % 100))"
            done
            ln -s nowhere "$dir/gone$((i % 50))"
            ;;
    esac
    entries+=("$dir")
done
path=$(IFS=:; echo "${entries[*]}")
names=()
for k in $(seq 1 1000); do
    if ((k % 10 == 0)); then names+=("cmd$((k / 10 % 100))"); else names+=("name$k"); fi
done
names+=(gone1 gone2)

# calls OPTION: "FILE-SYSTEM-CALLS STAT-CALLS" of one run; writes (the explain lines, the
# output) are not file-system work and are left out.
calls() {
    env -i PATH="$path" HOME="$OUT" "$STRACE" -f -c -o "$OUT/strace.$1" "$TRAKKO" "$1" "${names[@]}" \
        >/dev/null 2>&1 || true
    awk '$NF ~ /^[a-z0-9_]+$/ && $NF != "total" && $NF != "syscall" && $NF !~ /^write/ {
            n = $(NF - 1) ~ /^[0-9]+$/ && $(NF - 2) ~ /^[0-9]+$/ ? $(NF - 2) : $(NF - 1)
            all += n; if ($NF ~ /stat/) st += n }
         END { print all + 0, st + 0 }' "$OUT/strace.$1"
}

read -r all_calls all_stats < <(calls --all)
read -r explain_calls explain_stats < <(calls --explain)
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.3f", a / b }'; }
echo "| Measure (1,000 COMMANDs, 500-entry PATH) | --explain | --all | ratio | goal |"
echo "|---|---:|---:|---:|---:|"
echo "| file-system calls | $explain_calls | $all_calls | $(ratio "$explain_calls" "$all_calls")× | ≤ 1.10× |"
echo "| stat calls | $explain_stats | $all_stats | $(ratio "$explain_stats" "$all_stats")× | — |"
