#!/usr/bin/env bash
# Builds the Linux library and the capture benchmark, then runs the benchmark on JDK 17 and, when
# installed, JDK 25. Prints timing and memory tables per JDK. An extra argument sets the rounds.
set -euo pipefail
cd "$(dirname "$0")/../.."

source scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

jdk17=/usr/lib/jvm/java-17-openjdk-amd64
jdk25=/usr/lib/jvm/temurin-25-jdk-amd64
library="$PWD/build/linux/Corvane.so.0"
classes="$PWD/build/linux/bench-java/capture-classes"

rm -rf "$classes"
mapfile -t sources < <(find tests/jvm/java -name '*.java')
"$jdk17/bin/javac" --release 17 -Xlint:all -Werror -d "$classes" bench/java/CaptureBench.java "${sources[@]}"

echo
echo "===== JDK 17 ====="
"$jdk17/bin/java" "-Dcorvane.library=$library" -cp "$classes" CaptureBench "$@"
echo
if [[ -x "$jdk25/bin/java" ]]; then
    echo "===== JDK 25 ====="
    "$jdk25/bin/java" --enable-native-access=ALL-UNNAMED "-Dcorvane.library=$library" -cp "$classes" CaptureBench "$@"
else
    echo "JDK 25 not installed at $jdk25: benchmark run on JDK 17 only"
fi
