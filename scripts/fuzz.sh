#!/usr/bin/env bash
# fuzz.sh SECONDS [LIBFUZZER_OPTION...]: builds the fuzz preset and runs every fuzz target in
# turn for SECONDS each (0: no time limit), passing on any further libFuzzer options, such as
# -runs=10000000, or -fork=2 to take both cores. New inputs go to a scratch corpus per target in
# the build tree, so the seeds under fuzz/corpus stay as committed. Prints each target's
# executions and time; a finding fails the run, shows the end of that target's log and leaves
# the input in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ $# -lt 1 ]; then
    echo "usage: scripts/fuzz.sh SECONDS [LIBFUZZER_OPTION...]" >&2
    exit 2
fi
seconds=$1
shift

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for seeds in fuzz/corpus/*/; do
    target=$(basename "$seeds")
    fuzzer=build/fuzz/fuzz/${target}_fuzz
    scratch=build/fuzz/corpus/$target
    log=build/fuzz/${target}_fuzz.log
    mkdir -p "$scratch"
    start=$(date +%s)
    status=0
    "$fuzzer" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix=build/fuzz/ "$@" "$scratch" "$seeds" \
        >"$log" 2>&1 || status=$?
    # A forked run goes on past its workers' time-outs and memory overruns, so its last tally
    # of them counts as a finding too.
    tally=$(sed -n 's|.*oom/timeout/crash: *\([0-9/]*\).*|\1|p' "$log" | tail -n 1)
    if [ "$status" -ne 0 ] || { [ -n "$tally" ] && [ "$tally" != 0/0/0 ]; }; then
        tail -n 60 "$log"
        echo "${target}_fuzz: finding, see $log" >&2
        exit 1
    fi
    # A forked run prints no final stats of its own, only its workers' running total.
    runs=$(sed -n -e 's/^stat::number_of_executed_units: *//p' -e 's/^#\([0-9]*\): cov:.*/\1/p' \
        "$log" | tail -n 1)
    echo "${target}_fuzz: ${runs:-?} executions in $(($(date +%s) - start)) s, no finding"
done
