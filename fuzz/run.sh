#!/usr/bin/env bash
# Runs one fuzz target for a number of seconds: fuzz/run.sh TARGET SECONDS [LIBFUZZER-FLAG...]
# (e.g. fuzz/run.sh normalise 600 -runs=10000000). TARGET is the name of a fuzz/TARGET.cc.
#
# The seeds in fuzz/corpus/TARGET are only read; what the run finds goes to the working corpus
# build/fuzz/corpus/TARGET, and a crashing input to build/fuzz/artifacts/TARGET/. The exit status
# is libFuzzer's: 0 when nothing was found. A deep recursion shows within the default input
# length under a small stack: (ulimit -s 256; fuzz/run.sh hash_line 600 -max_len=4096).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 2 ]; then
    echo "usage: $0 TARGET SECONDS [LIBFUZZER-FLAG...]" >&2
    exit 2
fi
target=$1 seconds=$2
shift 2
if ! grep -qs '^extern "C" int LLVMFuzzerTestOneInput' "fuzz/$target.cc"; then
    echo "$0: no fuzz target $target (see fuzz/*.cc)" >&2
    exit 2
fi

# Absolute paths: a target may change its working directory.
build=$PWD/build/fuzz
[ -d "$build" ] || cmake --preset fuzz >/dev/null
cmake --build --preset fuzz --target "fuzz_$target" >/dev/null

work="$build/corpus/$target" artifacts="$build/artifacts/$target/"
mkdir -p "$work" "$artifacts"
export ASAN_OPTIONS=${ASAN_OPTIONS:-abort_on_error=1:detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

# A target's dictionary, fuzz/TARGET.dict, gives the mutations the words its input is made of.
dict=()
[ -f "fuzz/$target.dict" ] && dict=(-dict="$PWD/fuzz/$target.dict")

echo "== fuzz_$target for ${seconds}s"
exec "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=20 -print_final_stats=1 \
    -artifact_prefix="$artifacts" "${dict[@]}" "$@" "$work" "$PWD/fuzz/corpus/$target"
