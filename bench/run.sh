#!/usr/bin/env bash
# Benchmark of trakko against baselines measured in the same run: the start-up of one lookup
# (instruction counts under callgrind, wall time under hyperfine), reading a large definition
# listing (wall time against wc -l, peak memory against the listing's size), and the growth of
# the run time with the size of the work. Prints a Markdown table of ratios.
#
#   bench/run.sh [--quick] [--record]
#
# --quick   10 MB instead of 100 MB and fewer timed runs (a smoke test, not a result)
# --record  also writes the table, the date, the commit and the machine into bench/RESULTS.md
#
# Needs cmake, ninja, g++, gcc, valgrind, hyperfine, dash, bash and GNU time; it installs
# nothing and names the Debian package of anything that is missing. Scratch files go to
# bench/out/ (about 250 MB), trakko is built there from the default preset.
set -euo pipefail

BENCH=$(cd "$(dirname "$0")" && pwd)
ROOT=$(dirname "$BENCH")
OUT=$BENCH/out
QUICK=0
RECORD=0
for arg in "$@"; do
    case $arg in
        --quick) QUICK=1 ;;
        --record) RECORD=1 ;;
        *)
            echo "usage: bench/run.sh [--quick] [--record]" >&2
            exit 2
            ;;
    esac
done

# The listing size and the number of timed runs; --quick trades precision for time.
if [ "$QUICK" = 1 ]; then
    LISTING_BYTES=10000000 LOOKUP_RUNS=300 LISTING_RUNS=5 SCALE_RUNS=5
else
    LISTING_BYTES=100000000 LOOKUP_RUNS=3000 LISTING_RUNS=40 SCALE_RUNS=15
fi

say() { printf '%s\n' "$*" >&2; }

check_tools() {
    local missing=() pair
    for pair in cmake:cmake ninja:ninja-build g++:g++ gcc:gcc valgrind:valgrind \
        hyperfine:hyperfine dash:dash bash:bash awk:mawk; do
        command -v "${pair%%:*}" >/dev/null 2>&1 || missing+=("${pair#*:}")
    done
    [ -x /usr/bin/time ] || missing+=(time)
    if [ ${#missing[@]} -gt 0 ]; then
        say "bench: missing tools; install the Debian packages: apt-get install ${missing[*]}"
        exit 1
    fi
}

# trakko from the default preset (its flags, its compiler) in a directory of its own, without
# the tests, so that the benchmark needs none of the test dependencies.
build() {
    say "== building trakko (default preset) and the reference program"
    cmake --preset default -B "$OUT/build" -DTRAKKO_TESTS=OFF >/dev/null
    cmake --build "$OUT/build" --target trakko >/dev/null
    TRAKKO=$OUT/build/trakko
    # An ordinary dynamically linked executable, built the way a C program usually is.
    gcc -O2 -o "$OUT/reference" "$BENCH/reference.c"
    gcc -O2 -o "$OUT/launch" "$BENCH/launch.c"
    LAUNCH=$OUT/launch
    HYPERFINE=$(command -v hyperfine)
}

# --- measuring ---------------------------------------------------------------------------------

# instructions VAR=value... -- PROGRAM ARG...: instructions executed by one run (loader, start-up
# and exit included), in an environment holding only HOME and the given variables.
instructions() {
    local vars=()
    while [ "$1" != "--" ]; do
        vars+=("$1")
        shift
    done
    shift
    # The program's own status (the count of missing COMMANDs) does not matter here.
    env -i HOME="$BENCH_HOME" "${vars[@]}" /usr/bin/valgrind --tool=callgrind \
        --callgrind-out-file=/dev/null --log-file="$OUT/callgrind.log" "$@" >/dev/null 2>&1 || true
    local count
    count=$(sed -n 's/.*Collected : *//p' "$OUT/callgrind.log")
    if [ -z "$count" ]; then
        say "bench: callgrind gave no count for $1"
        exit 1
    fi
    echo "$count"
}

# hyperfine_csv CSV PATH_VALUE RUNS WARMUP COMMAND...: one hyperfine run over the COMMANDs, without
# a shell, in an environment that holds only PATH and HOME (and hyperfine's own variable that
# shifts the stack between runs). --ignore-failure: a run that reports missing COMMANDs still
# counts; what it prints is checked elsewhere.
hyperfine_csv() {
    local csv=$1 path=$2 runs=$3 warmup=$4
    shift 4
    if ! env -i PATH="$path" HOME="$BENCH_HOME" "$HYPERFINE" -N --ignore-failure --style none \
        --runs "$runs" --warmup "$warmup" --export-csv "$csv" "$@" >"$OUT/hyperfine.log" 2>&1; then
        say "bench: hyperfine failed:"
        tail -n 5 "$OUT/hyperfine.log" >&2
        exit 1
    fi
}

# median_times RUNS WARMUP PATH_VALUE COMMAND...: for each COMMAND, one line with its median wall
# time and its mean CPU time (user + system), in seconds. The runs are split into five rounds
# that take the commands in alternating order, and each figure is the median of the rounds':
# on a shared machine the load drifts, and a ratio of two commands timed one after the other
# would carry the drift.
median_times() {
    local runs=$1 warmup=$2 path=$3 rounds=5 round i n
    shift 3
    local commands=("$@") order=() csv=$OUT/hyperfine.csv
    n=${#commands[@]}
    : >"$OUT/rounds.txt"
    for ((round = 0; round < rounds; round++)); do
        order=()
        for ((i = 0; i < n; i++)); do
            if ((round % 2 == 0)); then order+=("$i"); else order+=($((n - 1 - i))); fi
        done
        local listed=()
        for i in "${order[@]}"; do listed+=("${commands[$i]}"); done
        hyperfine_csv "$csv" "$path" $(((runs + rounds - 1) / rounds)) "$warmup" "${listed[@]}"
        # command,mean,stddev,median,user,system,min,max; the rows follow the order given.
        awk -F, -v order="${order[*]}" 'BEGIN { split(order, index_of, " ") }
            NR > 1 { print index_of[NR - 1], $4, $5 + $6 }' "$csv" >>"$OUT/rounds.txt"
    done
    for ((i = 0; i < n; i++)); do
        echo "$(round_median "$i" 2) $(round_median "$i" 3)"
    done
}

# round_median INDEX FIELD: the median of FIELD over the rounds of the command at INDEX.
round_median() {
    awk -v i="$1" -v f="$2" '$1 == i { print $f }' "$OUT/rounds.txt" | sort -g |
        awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# peak_kib COMMAND...: the peak resident set of one run, in KiB.
# The status does not matter here; time puts a line about a failing one before the figure.
peak_kib() {
    /usr/bin/time -f %M -o "$OUT/time.txt" "$@" >/dev/null 2>&1 || true
    tail -n 1 "$OUT/time.txt"
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf (a / b < 10 ? "%.3f" : "%.2f"), a / b }'; }
ms() { awk -v s="$1" 'BEGIN { printf "%.3f ms", s * 1000 }'; }
mb() { awk -v b="$1" 'BEGIN { printf "%.1f MB", b / 1e6 }'; }
grouped() { sed ':a; s/\B[0-9]\{3\}\>/,&/; ta' <<<"$1"; }
# met A B LIMIT: "yes" when A / B <= LIMIT, on the exact ratio rather than the rounded one shown.
met() { awk -v a="$1" -v b="$2" -v l="$3" 'BEGIN { print (a / b <= l) ? "yes" : "**no**" }'; }
# met_aim A B BOUND AIM: met against the accepted bound, and whether the aim was reached too.
met_aim() { echo "$(met "$1" "$2" "$3") (aim: $(met "$1" "$2" "$4"))"; }

ROWS=()
# row MEASURE TRAKKO BASELINE RATIO GOAL MET
row() {
    local IFS='|'
    ROWS+=("| $1 | $2 | $3 | $4 | $5 | $6 |")
}

# --- 1. one lookup -------------------------------------------------------------------------------

# A Debian-like PATH of six directories inside the sandbox, ls in the fourth (usr/bin), as on a
# merged-/usr system where the first three hold no ls. Every program measured gets the same
# environment: this PATH and a HOME, as a shell always has one.
make_lookup_tree() {
    local d
    BENCH_HOME=$OUT/home
    mkdir -p "$BENCH_HOME"
    LOOKUP_PATH=
    for d in usr/local/sbin usr/local/bin usr/sbin usr/bin sbin bin; do
        mkdir -p "$OUT/root/$d"
        LOOKUP_PATH=${LOOKUP_PATH:+$LOOKUP_PATH:}$OUT/root/$d
    done
    printf '#!/bin/sh\n' >"$OUT/root/usr/bin/ls"
    chmod 755 "$OUT/root/usr/bin/ls"
    local expected=$OUT/root/usr/bin/ls line
    for line in "$(env -i PATH="$LOOKUP_PATH" HOME="$BENCH_HOME" "$TRAKKO" ls)" \
        "$(env -i PATH="$LOOKUP_PATH" HOME="$BENCH_HOME" "$OUT/reference" ls)" \
        "$(env -i PATH="$LOOKUP_PATH" HOME="$BENCH_HOME" /usr/bin/dash -c 'command -v ls')"; do
        if [ "$line" != "$expected" ]; then
            say "bench: a lookup printed '$line' instead of '$expected'"
            exit 1
        fi
    done
}

bench_lookup() {
    say "== one lookup: instructions (callgrind)"
    make_lookup_tree
    local t r d
    t=$(instructions PATH="$LOOKUP_PATH" -- "$TRAKKO" ls)
    r=$(instructions PATH="$LOOKUP_PATH" -- "$OUT/reference" ls)
    d=$(instructions PATH="$LOOKUP_PATH" -- /usr/bin/dash -c 'command -v ls')
    row "lookup \`trakko ls\`, instructions vs C reference" "$(grouped "$t")" "$(grouped "$r")" \
        "$(ratio "$t" "$r")×" "≤ 1.20× (aim ≤ 1.10×)" "$(met_aim "$t" "$r" 1.20 1.10)"
    row "lookup, instructions vs \`dash -c 'command -v ls'\`" "$(grouped "$t")" "$(grouped "$d")" \
        "$(ratio "$t" "$d")×" "≤ 0.75×" "$(met "$t" "$d" 0.75)"

    say "== one lookup: wall time (hyperfine, $LOOKUP_RUNS runs each)"
    local times tt td tr
    mapfile -t times < <(median_times "$LOOKUP_RUNS" 100 "$LOOKUP_PATH" "$TRAKKO ls" \
        "/usr/bin/dash -c 'command -v ls'" "$OUT/reference ls")
    tt=${times[0]% *} td=${times[1]% *} tr=${times[2]% *}
    row "lookup, wall time vs dash (median)" "$(ms "$tt")" "$(ms "$td")" "$(ratio "$tt" "$td")×" \
        "≤ 1.00×" "$(met "$tt" "$td" 1.00)"
    row "lookup, wall time vs C reference (median)" "$(ms "$tt")" "$(ms "$tr")" \
        "$(ratio "$tt" "$tr")×" "—" "—"
}

# --- 2. the listing --------------------------------------------------------------------------

# bash with its completion functions loaded (bash-completion's main script when it is installed,
# then every completion file there is), with the aliases of Debian's default .bashrc.
make_real_listing() {
    local file=$OUT/real-listing.txt
    bash --norc --noprofile -ic '
        [ -r /usr/share/bash-completion/bash_completion ] &&
            . /usr/share/bash-completion/bash_completion
        for f in /usr/share/bash-completion/completions/*; do
            [ -f "$f" ] && . "$f"
        done
        alias ls="ls --color=auto" grep="grep --color=auto" ll="ls -alF" la="ls -A" l="ls -CF"
        (alias; declare -f)' </dev/null >"$file" 2>/dev/null || true
    # Without any completion files the listing is too small to say anything: use a generated one.
    if [ "$(wc -c <"$file")" -lt 100000 ]; then
        awk -v mode=listing -v bytes=400000 -f "$BENCH/gen_listing.awk" >"$file"
        REAL_KIND="generated, completion-like"
    elif [ -r /usr/share/bash-completion/bash_completion ]; then
        REAL_KIND="bash-completion + all completions"
    else
        REAL_KIND="bash + the completions installed"
    fi
    REAL_LISTING=$file
    sync "$file"
    # The last function of the listing, to be shown.
    REAL_NAME=$(sed -n 's/^\([^ ]*\) () *$/\1/p' "$file" | tail -n 1)
}

# listing_rows LABEL FILE NAME: wall time against wc -l and peak memory against the size.
listing_rows() {
    local label=$1 file=$2 name=$3 goal_time=$4 goal_rss=$5 size times
    size=$(wc -c <"$file")
    # A run that does not show the function measures nothing worth a ratio: say so in the table.
    if ! "$LAUNCH" /dev/null "$file" "$TRAKKO" -i --read-functions "$name" 2>/dev/null |
        grep -x "$name ()" >/dev/null; then
        say "bench: trakko did not show the function $name of $file"
        row "$label" "function $name not shown" "" "" "$goal_time" "**no**"
        return
    fi
    mapfile -t times < <(median_times "$LISTING_RUNS" 3 "$LOOKUP_PATH" \
        "$LAUNCH /dev/null $file $TRAKKO -i --read-functions $name" \
        "$LAUNCH /dev/null $file /usr/bin/wc -l")
    local t=${times[0]% *} w=${times[1]% *} tc=${times[0]#* } wc=${times[1]#* }
    row "$label, wall time vs \`wc -l\`" "$(ms "$t")" "$(ms "$w")" "$(ratio "$t" "$w")×" \
        "$goal_time" "$([ "$goal_time" = — ] && echo — || met "$t" "$w" 2.00)"
    row "$label, CPU time (user + system) vs \`wc -l\`" "$(ms "$tc")" "$(ms "$wc")" \
        "$(ratio "$tc" "$wc")×" — —
    local kib bytes what="peak memory"
    kib=$(peak_kib "$LAUNCH" /dev/null "$file" "$TRAKKO" -i --read-functions "$name")
    bytes=$((kib * 1024))
    # Without a goal, a small listing is compared by what it adds to the run's own memory.
    if [ "$goal_rss" = — ]; then
        kib=$(peak_kib "$LAUNCH" /dev/null /dev/null "$TRAKKO" -i --read-functions "$name")
        bytes=$((bytes - kib * 1024))
        what="peak memory above an empty listing's"
    fi
    row "$label, $what vs its size" "$(mb "$bytes")" "$(mb "$size")" \
        "$(ratio "$bytes" "$size")×" "$goal_rss" \
        "$([ "$goal_rss" = — ] && echo — || met "$bytes" "$size" 1.25)"
}

bench_listing() {
    say "== the listing: $(mb "$LISTING_BYTES") generated"
    local big=$OUT/listing.txt
    awk -v mode=listing -v bytes="$LISTING_BYTES" -f "$BENCH/gen_listing.awk" >"$big"
    # Written back before it is read: writeback running under the timed runs would be measured.
    sync "$big"
    listing_rows "$(mb "$(wc -c <"$big")") listing, \`-i --read-functions\`" "$big" _bench_last \
        "≤ 2.00×" "≤ 1.25×"
    rm -f "$big"
    say "== the listing: bash with completions"
    make_real_listing
    listing_rows "real listing ($REAL_KIND, $(mb "$(wc -c <"$REAL_LISTING")"))" \
        "$REAL_LISTING" "$REAL_NAME" — —
}

# --- 3. scaling ----------------------------------------------------------------------------------

# scale_rows LABEL T1 T4 T16 [UNIT]: the 4x and 16x times as ratios to the 1x time.
scale_rows() {
    local label=$1 t1=$2 t4=$3 t16=$4 unit=${5:-time} fmt=ms
    [ "$unit" = instructions ] && fmt=grouped
    row "$label, 4× the work, $unit" "$($fmt "$t4")" "$($fmt "$t1")" "$(ratio "$t4" "$t1")×" \
        "≤ 5×" "$(met "$t4" "$t1" 5)"
    row "$label, 16× the work, $unit" "$($fmt "$t16")" "$($fmt "$t1")" "$(ratio "$t16" "$t1")×" \
        "≤ 20×" "$(met "$t16" "$t1" 20)"
}

# scale_case LABEL ID: times (hyperfine) and instructions (callgrind) of the three sizes prepared
# as $OUT/scale/ID-{1,4,16}.{names,input,path,opts}: the COMMANDs, standard input, PATH and the
# options before the COMMANDs.
scale_case() {
    local label=$1 id=$2 s f times=() ins=() cmds=() opts path names
    for s in 1 4 16; do
        f=$OUT/scale/$id-$s
        opts=$(cat "$f.opts")
        path=$(cat "$f.path")
        cmds+=("$LAUNCH $f.names $f.input PATH=$path $TRAKKO $opts")
        mapfile -t names <"$f.names"
        # shellcheck disable=SC2086 # opts holds separate options
        ins+=("$(instructions PATH="$path" -- "$TRAKKO" $opts "${names[@]}" <"$f.input")")
    done
    mapfile -t times < <(median_times "$SCALE_RUNS" 2 "$LOOKUP_PATH" "${cmds[@]}")
    scale_rows "$label" "${times[0]% *}" "${times[1]% *}" "${times[2]% *}"
    scale_rows "$label" "${ins[0]}" "${ins[1]}" "${ins[2]}" instructions
}

# Functions x COMMANDs: n functions and the n COMMANDs naming them, last first.
prepare_functions() {
    local s=$1 n=$2 f=$OUT/scale/functions-$1
    awk -v mode=functions -v count="$n" -f "$BENCH/gen_listing.awk" >"$f.input"
    awk -v mode=names -v prefix=fn_ -v count="$n" -f "$BENCH/gen_listing.awk" | tac >"$f.names"
    echo "--read-functions" >"$f.opts"
    echo "$LOOKUP_PATH" >"$f.path"
}

# Alias lines x COMMANDs: n alias lines and the n COMMANDs naming them; each alias resolves two
# commands along the six-entry PATH, found in its fourth entry. As in real listings the values
# name a few commands many times over (a distinct missing command per alias would measure the
# kernel's cache of failed lookups instead).
prepare_aliases() {
    local s=$1 n=$2 f=$OUT/scale/aliases-$1 word
    for word in ls grep git less sort tail make ssh; do
        printf '#!/bin/sh\n' >"$OUT/root/usr/bin/$word"
        chmod 755 "$OUT/root/usr/bin/$word"
    done
    awk -v mode=aliases -v count="$n" -f "$BENCH/gen_listing.awk" >"$f.input"
    awk -v mode=names -v prefix=al_ -v count="$n" -f "$BENCH/gen_listing.awk" | tac >"$f.names"
    echo "-i" >"$f.opts"
    echo "$LOOKUP_PATH" >"$f.path"
}

# PATH entries x COMMANDs: p directories, c COMMANDs that are all in the last one, so that
# every COMMAND probes every entry.
prepare_path() {
    local s=$1 p=$2 c=$3 f=$OUT/scale/path-$1 i list=
    for ((i = 1; i <= p; i++)); do
        mkdir -p "$OUT/scale/dirs/d$i"
        list=${list:+$list:}$OUT/scale/dirs/d$i
    done
    awk -v mode=names -v prefix=c_ -v count="$c" -f "$BENCH/gen_listing.awk" >"$f.names"
    while read -r name; do
        printf '#!/bin/sh\n' >"$OUT/scale/dirs/d$p/$name"
        chmod 755 "$OUT/scale/dirs/d$p/$name"
    done <"$f.names"
    : >"$f.input"
    : >"$f.opts"
    echo "$list" >"$f.path"
}

bench_scaling() {
    say "== scaling"
    rm -rf "$OUT/scale"
    mkdir -p "$OUT/scale"
    prepare_functions 1 1250
    prepare_functions 4 5000
    prepare_functions 16 20000
    prepare_aliases 1 1250
    prepare_aliases 4 5000
    prepare_aliases 16 20000
    prepare_path 1 250 25
    prepare_path 4 500 50
    prepare_path 16 1000 100
    sync
    scale_case "functions × COMMANDs (1,250² → 20,000²)" functions
    scale_case "alias lines × COMMANDs (1,250² → 20,000²)" aliases
    scale_case "PATH entries × COMMANDs (250 × 25 → 1,000 × 100)" path
}

# --- the report ----------------------------------------------------------------------------------

# The compiler that built trakko (the default preset takes the system's), as CMake identified it.
compiler() {
    cat "$OUT"/build/CMakeFiles/*/CMakeCXXCompiler.cmake 2>/dev/null |
        sed -n 's/^set(CMAKE_CXX_COMPILER_\(ID\|VERSION\) "\(.*\)")$/\2/p' | head -n 2 | paste -sd ' '
}

# The commit the run was made at, and whether the tree held changes beside it.
commit() {
    local id
    id=$(git -C "$ROOT" rev-parse --short HEAD 2>/dev/null) || {
        echo "unknown (not a git checkout)"
        return
    }
    if [ -n "$(git -C "$ROOT" status --porcelain --untracked-files=no)" ]; then
        echo "$id, with uncommitted changes"
    else
        echo "$id"
    fi
}

machine() {
    local cpu mem os
    cpu=$(sed -n 's/^model name[[:space:]]*: //p' /proc/cpuinfo | head -n 1)
    mem=$(awk '/^MemTotal/ { printf "%.0f GiB", $2 / 1048576 }' /proc/meminfo)
    os=$(. /etc/os-release && echo "$PRETTY_NAME")
    echo "$cpu, $(nproc) cores, $mem; $os, Linux $(uname -r);" \
        "C++ compiler $(compiler), $(ldd --version | head -n 1 | sed 's/^ldd //');" \
        "$(hyperfine --version), $(valgrind --version), dash $(dpkg-query -W -f '${Version}' dash 2>/dev/null || echo '?')"
}

table() {
    echo "| Measure | trakko | baseline | ratio | goal | met |"
    echo "|---|---:|---:|---:|---:|:---:|"
    printf '%s\n' "${ROWS[@]}"
}

report() {
    local when what
    when=$(date -u '+%Y-%m-%d %H:%M UTC')
    what=$(machine)
    {
        echo "Run: $when$([ "$QUICK" = 1 ] && echo ' (--quick)'), at commit $(commit)"
        echo "Machine: $what"
        echo
        table
    } >"$OUT/table.md"
    cat "$OUT/table.md"
    if [ "$RECORD" = 1 ]; then
        record "$BENCH/RESULTS.md" "$OUT/table.md"
        say "== bench/RESULTS.md updated"
    fi
}

# Replaces what stands between the two markers of RESULTS.md with the new table; the notes
# around it stay.
record() {
    local results=$1 table=$2
    if [ ! -f "$results" ] || ! grep -q '^<!-- results:begin -->$' "$results"; then
        printf '# Benchmark results\n\n<!-- results:begin -->\n<!-- results:end -->\n' >"$results"
    fi
    awk -v table="$table" '
        /^<!-- results:begin -->$/ { print; while ((getline line < table) > 0) print line; skip = 1; next }
        /^<!-- results:end -->$/ { skip = 0 }
        !skip' "$results" >"$results.new"
    mv "$results.new" "$results"
}

check_tools
mkdir -p "$OUT"
build
bench_lookup
bench_listing
bench_scaling
report
