#!/usr/bin/env bash
# What --read-hash costs, measured in the real shells and on the binary:
#   1. the shell side: `trakko ls` through today's integration function against the one that
#      also lists the remembered paths, in an interactive zsh whose table is full (after a
#      rehash of a PATH of several thousand commands) and in an interactive bash with
#      bash-completion loaded; each figure is the median over rounds that alternate the two;
#   2. the binary: `trakko -i --read-functions ls` against the same with --read-hash, on a
#      listing that holds 5,000 remembered paths;
#   3. the instructions of a plain `trakko ls` (callgrind), for a binary given as BASELINE to
#      compare with.
# Prints the figures and their differences.
#
#   bench/remembered.sh [TRAKKO [BASELINE]]
#
# TRAKKO defaults to build/default/trakko; BASELINE (optional) is a trakko built without the
# option, for the instruction count. Needs bash, zsh, bash-completion and valgrind (for 3);
# scratch files go to bench/out/remembered/.
set -euo pipefail

BENCH=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$BENCH")
TRAKKO=$(realpath "${1:-$ROOT/build/default/trakko}")
BASELINE=${2:+$(realpath "$2")}
OUT=$BENCH/out/remembered
CALLS=200 ROUNDS=7
COMPLETION=/usr/share/bash-completion/bash_completion

say() { printf '%s\n' "$*" >&2; }
[ -x "$TRAKKO" ] || { say "bench: no trakko at $TRAKKO (build it first)"; exit 1; }
for tool in bash zsh awk; do
    command -v $tool >/dev/null || { say "bench: $tool is missing"; exit 1; }
done
[ -f "$COMPLETION" ] || { say "bench: install bash-completion (apt-get install bash-completion)"; exit 1; }

rm -rf "$OUT"
mkdir -p "$OUT/bin" "$OUT/many" "$OUT/home"
cp "$TRAKKO" "$OUT/bin/trakko"
# Several thousand commands: the system's own and as many again of small scripts.
for i in $(seq 4000); do printf '#!/bin/sh\n' >"$OUT/many/cmd$i"; done
chmod 755 "$OUT"/many/*
SEARCH=$OUT/bin:/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin:$OUT/many

# The integration function as it was before --read-hash, under the name old_trakko.
old_function() {
    printf '%s\n' 'function old_trakko {' \
        '    command trakko --tty-only --read-alias --read-functions --show-tilde --show-dot "$@" \' \
        '        < <(alias; declare -f)' '}'
}

# The timing loop, in the syntax bash and zsh share: for each of ROUNDS rounds, the time that
# CALLS calls of each of the two functions took, in microseconds. CLOCK is the shell's own
# expression for the time in microseconds.
timing_loop() {
    local clock=$1
    cat <<EOF
for (( r = 0; r < $ROUNDS; r++ )); do
    for f in old_trakko trakko; do
        t=$clock
        for (( i = 0; i < $CALLS; i++ )); do \$f ls >/dev/null; done
        echo "\$f \$(( $clock - t ))"
    done
done
EOF
}
BASH_CLOCK='${EPOCHREALTIME/./}'
ZSH_CLOCK='${$(( EPOCHREALTIME * 1000000 ))%.*}'

median() { tr ' ' '\n' | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# report_shell LABEL FILE: the median time of one call of each function, and the difference.
report_shell() {
    local label=$1 file=$2 old new
    old=$(sed -n 's/^old_trakko //p' "$file" | median)
    new=$(sed -n 's/^trakko //p' "$file" | median)
    awk -v l="$label" -v o="$old" -v n="$new" -v c="$CALLS" 'BEGIN {
        o /= c * 1000; n /= c * 1000
        printf "%-48s today %.3f ms, with --read-hash %.3f ms, difference %+.3f ms\n", l, o, n, n - o }'
}

say "== zsh: a full table after rehash"
{
    old_function
    echo ". '$ROOT/share/trakko.zsh'"
    echo "alias ll='ls -l | less' g=git"
    echo 'zmodload zsh/datetime; rehash; print -u2 "zsh remembers ${#commands} commands"'
    timing_loop "$ZSH_CLOCK"
} >"$OUT/zsh.in"
env -i HOME="$OUT/home" PATH="$SEARCH" TERM=dumb zsh -f -i "$OUT/zsh.in" >"$OUT/zsh.out" 2>"$OUT/zsh.err" </dev/null
grep remembers "$OUT/zsh.err" >&2 || true
report_shell "zsh -i, table full, trakko ls" "$OUT/zsh.out"

say "== bash: bash-completion loaded"
{
    echo ". $COMPLETION"
    old_function
    echo ". '$ROOT/share/trakko.bash'"
    echo "alias ll='ls -l | less' g=git"
    # What a session has run by then: bash remembers only those.
    echo 'for c in ls cat grep sed awk sort head tail wc git less make cp mv rm; do hash $c 2>/dev/null; done'
    echo 'echo "bash remembers $(hash -l | wc -l) commands, lists $(declare -f | wc -c) bytes of functions" >&2'
    timing_loop "$BASH_CLOCK"
} >"$OUT/bash.in"
env -i HOME="$OUT/home" PATH="$SEARCH" TERM=dumb bash --norc --noprofile -i "$OUT/bash.in" \
    >"$OUT/bash.out" 2>"$OUT/bash.err" </dev/null
grep remembers "$OUT/bash.err" >&2 || true
report_shell "bash -i, bash-completion loaded, trakko ls" "$OUT/bash.out"

say "== the binary: 5,000 remembered paths"
{
    echo "alias ll='ls -l | less'"
    printf 'f () \n{ \n    :\n}\n'
    for i in $(seq 5000); do echo "builtin hash -p $OUT/many/cmd$i cmd$i"; done
} >"$OUT/listing"
# The same loop over two functions that run the binary directly on the listing: the
# difference is what reading and checking the table adds to one lookup.
{
    echo "old_trakko() { '$TRAKKO' -i --read-functions \"\$@\" <'$OUT/listing'; }"
    echo "trakko() { '$TRAKKO' -i --read-functions --read-hash \"\$@\" <'$OUT/listing'; }"
    timing_loop "$BASH_CLOCK"
} >"$OUT/binary.in"
env -i PATH="$SEARCH" HOME="$OUT/home" bash "$OUT/binary.in" >"$OUT/binary.out"
report_shell "trakko ls, listing of 5,000 remembered paths" "$OUT/binary.out"

if [ -n "$BASELINE" ] && command -v valgrind >/dev/null; then
    say "== instructions of a plain trakko ls"
    count() {
        env -i HOME="$OUT/home" PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
            valgrind --tool=callgrind --callgrind-out-file=/dev/null "$1" ls 2>&1 >/dev/null |
            sed -n 's/.*Collected : *//p'
    }
    base=$(count "$BASELINE")
    now=$(count "$TRAKKO")
    awk -v b="$base" -v n="$now" \
        'BEGIN { printf "%-52s baseline %d, now %d, %+.2f %%\n", "plain trakko ls, instructions", b, n, (n - b) * 100 / b }'
fi
