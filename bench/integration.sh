#!/usr/bin/env bash
# What one answer through the shell integration costs, against `command trakko NAME` (the bare
# binary) in the same shell and the same run: each shell loads a heavy start-up file, then
# times rounds of `trakko ls` and of `command trakko ls`, interleaved, with the shell's own
# clock (and, in fish, whose ls is a function of its own, `cat` too). The same is measured with an empty start-up file, so that a cost growing with the
# size of the start-up file shows as a ratio that differs between the two rows.
#
#   bench/integration.sh [--quick] [--record]
#
# Heavy start-up files: bash with every completion file of bash-completion loaded; zsh after
# compinit with 1,000 functions; ksh93 with 300 functions; mksh with Debian's /etc/mkshrc and
# 300 functions; fish with its own functions. Each with 3,000 aliases besides.
# --quick   fewer calls (a smoke test, not a result)
# --record  also writes the table into bench/RESULTS.md, between its integration markers
# SHELLS="bash zsh" in the environment measures only those.
#
# Needs bash, zsh, ksh93, mksh, fish and the Debian package bash-completion; it builds trakko
# from the default preset into bench/out/.
set -euo pipefail

BENCH=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$BENCH")
OUT=$BENCH/out/integration
CALLS=200 ROUNDS=5 RECORD=0
for arg in "$@"; do
    case $arg in
        --quick) CALLS=40 ROUNDS=2 ;;
        --record) RECORD=1 ;;
        *) echo "usage: bench/integration.sh [--quick] [--record]" >&2 && exit 2 ;;
    esac
done
say() { printf '%s\n' "$*" >&2; }

for tool in bash zsh ksh93 mksh fish; do
    command -v $tool >/dev/null || { say "bench: $tool is missing" && exit 1; }
done
[ -r /usr/share/bash-completion/bash_completion ] ||
    { say "bench: install the Debian package bash-completion" && exit 1; }

mkdir -p "$OUT/bin"
cmake --preset default -B "$OUT/build" -DTRAKKO_TESTS=OFF >/dev/null
cmake --build "$OUT/build" --target trakko >/dev/null
cp "$OUT/build/trakko" "$OUT/bin/trakko"

# The start-up files. The aliases and functions name commands that exist, as real ones do.
{
    for n in $(seq 3000); do echo "alias a$n='ls -l --color=auto | grep x$n'"; done
} >"$OUT/aliases.sh"
{
    for n in $(seq 3000); do echo "alias a$n 'ls -l --color=auto | grep x$n'"; done
} >"$OUT/aliases.fish"
functions() {
    local n
    for n in $(seq "$1"); do
        printf 'f%s() {\n    typeset v=$1\n    case $v in a*) ls -l "$v" ;; *) echo "$v" ;; esac\n}\n' $n
    done
}
functions 1000 >"$OUT/functions1000.sh"
functions 300 >"$OUT/functions300.sh"
{
    echo '. /usr/share/bash-completion/bash_completion'
    echo 'for f in /usr/share/bash-completion/completions/*; do . "$f" 2>/dev/null; done'
    echo "shopt -s expand_aliases; . $OUT/aliases.sh"
} >"$OUT/heavy.bash"
{
    echo 'autoload -Uz compinit; compinit -u -d '"$OUT/zcompdump"
    echo ". $OUT/functions1000.sh; . $OUT/aliases.sh"
} >"$OUT/heavy.zsh"
echo ". $OUT/functions300.sh; . $OUT/aliases.sh" >"$OUT/heavy.ksh93"
echo ". /etc/mkshrc; . $OUT/functions300.sh; . $OUT/aliases.sh" >"$OUT/heavy.mksh"
# fish's own functions: those its function path autoloads, every one of them loaded.
echo "for f in \$fish_function_path/*.fish; source \$f 2>/dev/null; end; source $OUT/aliases.fish" \
    >"$OUT/heavy.fish"
for shell in bash zsh ksh93 mksh fish; do : >"$OUT/empty.$shell"; done

# The timing loop in each shell's syntax: prints "INTEGRATION_SECONDS COMMAND_SECONDS".
posix_loop() {
    local clock=$1 name=$2
    cat <<EOF
typeset i r ti=0 tc=0 t0 t1
for r in \$(seq $ROUNDS); do
    t0=$clock; i=0; while [ \$i -lt $CALLS ]; do trakko $name >/dev/null; i=\$((i + 1)); done
    t1=$clock; ti=\$(awk "BEGIN { print \$ti + \$t1 - \$t0 }")
    t0=$clock; i=0; while [ \$i -lt $CALLS ]; do command trakko $name >/dev/null; i=\$((i + 1)); done
    t1=$clock; tc=\$(awk "BEGIN { print \$tc + \$t1 - \$t0 }")
done
echo "\$ti \$tc"
EOF
}
fish_loop() {
    local name=$1
    cat <<EOF
set ti 0; set tc 0
for r in (seq $ROUNDS)
    set t0 (date +%s%N); for i in (seq $CALLS); trakko $name >/dev/null; end; set t1 (date +%s%N)
    set ti (math "\$ti + (\$t1 - \$t0) / 1e9")
    set t0 (date +%s%N); for i in (seq $CALLS); command trakko $name >/dev/null; end; set t1 (date +%s%N)
    set tc (math "\$tc + (\$t1 - \$t0) / 1e9")
end
echo \$ti \$tc
EOF
}

# measure SHELL START-UP NAME: the ratio of one integration answer to one bare binary run.
measure() {
    local shell=$1 startup=$2 name=$3 script=$OUT/run.$shell run integration=trakko.ksh
    case $shell in
        bash) run="bash --norc --noprofile" integration=trakko.bash ;;
        zsh) run="zsh -f" integration=trakko.zsh ;;
        ksh93 | mksh) run=$shell ;;
        fish) run="fish --no-config" integration=trakko.fish ;;
    esac
    {
        echo "source $startup"
        echo "source $ROOT/share/$integration"
        case $shell in
            bash) posix_loop '$EPOCHREALTIME' $name ;;
            zsh) echo 'zmodload zsh/datetime' && posix_loop '$EPOCHREALTIME' $name ;;
            ksh93) posix_loop '$SECONDS' $name ;;
            mksh) posix_loop '$EPOCHREALTIME' $name ;;
            fish) fish_loop $name ;;
        esac
    } >"$script"
    local times
    times=$(env -i HOME="$OUT" PATH="$OUT/bin:/usr/bin:/bin" TERM=dumb $run "$script" 2>/dev/null </dev/null)
    awk -v t="$times" -v n=$((CALLS * ROUNDS)) 'BEGIN {
        split(t, v, " "); printf "%.2f ms | %.2f ms | %.2f×", v[1] / n * 1000, v[2] / n * 1000, v[1] / v[2] }'
}

say "== $CALLS calls x $ROUNDS rounds per figure"
table="| shell | start-up file | NAME | \`trakko NAME\` | \`command trakko NAME\` | ratio |
|---|---|---|---|---|---|"
for shell in ${SHELLS:-bash zsh ksh93 mksh fish}; do
    for kind in heavy empty; do
        say "== $shell, $kind start-up file"
        case $shell/$kind in
            bash/heavy) what="bash-completion, all $(ls /usr/share/bash-completion/completions | wc -l) completion files, 3,000 aliases" ;;
            zsh/heavy) what="compinit, 1,000 functions, 3,000 aliases" ;;
            ksh93/heavy) what="300 functions, 3,000 aliases" ;;
            mksh/heavy) what="/etc/mkshrc, 300 functions, 3,000 aliases" ;;
            fish/heavy) what="fish's own functions, 3,000 aliases" ;;
            */empty) what="none" ;;
        esac
        # In fish, ls is one of fish's own functions: its answer is that function's definition.
        for name in ls $([ $shell = fish ] && echo cat); do
            table+="
| $shell | $what | $name | $(measure $shell "$OUT/$kind.$shell" $name) |"
        done
    done
done
echo "$table"

if [ "$RECORD" = 1 ]; then
    results=$BENCH/RESULTS.md
    start='<!-- integration:start -->' end='<!-- integration:end -->'
    block="$start
Measured $(date -u +%Y-%m-%d) at $(git -C "$ROOT" rev-parse --short HEAD) on $(nproc) cores, $CALLS calls x $ROUNDS rounds:

$table
$end"
    if grep -q "$start" "$results"; then
        awk -v block="$block" -v s="$start" -v e="$end" \
            '$0 == s { print block; skip = 1; next } $0 == e { skip = 0; next } !skip' \
            "$results" >"$results.new" && mv "$results.new" "$results"
    else
        printf '\n## One answer through the shell integration\n\n%s\n' "$block" >>"$results"
    fi
fi
