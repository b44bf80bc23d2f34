#!/usr/bin/env bash
# Runs one libFuzzer target for a bounded time from its seed corpus and reports how far it
# got (executions and coverage).
# usage: run_fuzzer.sh BINARY SECONDS SEEDS WORKDIR [SEED-WRITER]
# A seed writer, when given, is run with SEEDS as its argument to fill that directory first.
set -euo pipefail
bin=$1 seconds=$2 seeds=$3 work=$4 writer=${5:-}
rm -rf "$work" && mkdir -p "$work" "$seeds"
if [[ -n $writer ]]; then "$writer" "$seeds"; fi
log=$work.log
if ! "$bin" -max_total_time="$seconds" -timeout=5 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$work/" "$work" "$seeds" >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "fuzz target $(basename "$bin") found a failure; the input is in $work/"
    exit 1
fi
grep -E '^#[0-9]+[[:space:]]+(INITED|DONE)|stat::number_of_executed_units|stat::peak_rss_mb' "$log" || true
echo "fuzz target $(basename "$bin"): clean for ${seconds}s"
