#!/usr/bin/env bash
# Builds the fuzz targets and runs each for a short while (30 s unless SECONDS_PER_TARGET says
# otherwise), one after another. Prints each run's final figures, or the report of a run that
# found something, and fails when any did.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${SECONDS_PER_TARGET:-30}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
mkdir -p build/fuzz/logs
failed=()
# A target is a source that defines libFuzzer's entry point (passwd_db.cc is a helper).
for source in $(grep -l '^extern "C" int LLVMFuzzerTestOneInput' fuzz/*.cc); do
    target=$(basename "$source" .cc)
    log=build/fuzz/logs/$target.log
    if bash fuzz/run.sh "$target" "$seconds" >"$log" 2>&1; then
        echo "== fuzz_$target: nothing found"
        grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb)' "$log" || true
    else
        echo "== fuzz_$target FAILED; the end of $log:"
        tail -n 60 "$log"
        failed+=("$target")
    fi
done
[ "${#failed[@]}" -eq 0 ] || { echo "fuzz targets that found something: ${failed[*]}" >&2; exit 1; }
