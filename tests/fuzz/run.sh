#!/usr/bin/env bash
# Builds and runs the settings reader's fuzz target for a bounded time
# (VELLIX_FUZZ_SECONDS, default 30) on the committed seeds plus what earlier
# runs found. Fails if the fuzzer finds a crash or a failed check; the input
# is left in build/fuzz as crash-* for a regression case.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=${VELLIX_BUILD:-$root/build}/fuzz
seconds=${VELLIX_FUZZ_SECONDS:-30}
"$root/tests/fuzz/build.sh" "$out" || exit 1
mkdir -p "$out/corpus"
start=$(date +%s)
"$out/profile_text_fuzzer" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
    -artifact_prefix="$out/" -print_final_stats=1 -dict="$root/tests/fuzz/profile_text.dict" \
    "$out/corpus" "$root/tests/fuzz/corpus/profile_text" >"$out/fuzz.log" 2>&1
status=$?
runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$out/fuzz.log" | grep -o '[0-9]*$')
echo "[vellix] fuzz: ${runs:-?} executions in $(( $(date +%s) - start )) s, exit $status" >&2
if [ $status -ne 0 ]; then
    grep -E 'ERROR|fuzz check failed|SUMMARY|artifact' "$out/fuzz.log" | head -20 >&2
fi
exit $status
