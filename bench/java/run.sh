#!/usr/bin/env bash
# Builds the Linux library and the JNI benchmark, then runs the benchmark on JDK 17 and, when
# installed, JDK 25. Prints one table per JDK. Extra arguments go to the benchmark (rounds).
source "$(dirname "$0")/common.sh"
corvane_bench_run JniBench "$@"
