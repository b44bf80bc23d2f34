#!/usr/bin/env bash
# Builds the library, the C++ benchmarks and the Java harnesses, runs them all (C++ Google
# Benchmark, the JNI harness, the capture's pause, time, memory and first use on JDK 17 and,
# when installed, JDK 25) and writes docs/PERFORMANCE.md and docs/performance-capture.svg.
# Takes about 5-10 minutes. `--quick` runs fewer rounds and sizes (a smoke run of the report).
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/setup.sh
if ! command -v python3 >/dev/null; then
    apt-get install -y -q --no-install-recommends python3
fi
cmake --preset linux >/dev/null
cmake --build --preset linux

jdk17=/usr/lib/jvm/java-17-openjdk-amd64
classes="$PWD/build/linux/bench-java/report-classes"
rm -rf "$classes"
mapfile -t sources < <(find tests/jvm/java -name '*.java')
"$jdk17/bin/javac" --release 17 -Xlint:all -Werror -d "$classes" bench/java/*.java "${sources[@]}"

python3 bench/report.py "$@"
