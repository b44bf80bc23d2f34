#!/usr/bin/env bash
# Builds the Linux library and the capture benchmark, then runs the benchmark on JDK 17 and, when
# installed, JDK 25. Prints timing and memory tables per JDK. An extra argument sets the rounds.
source "$(dirname "$0")/common.sh"
corvane_bench_run CaptureBench "$@"
