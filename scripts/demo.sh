#!/usr/bin/env bash
# Builds the Linux library and runs the demo on JDK 17, and on JDK 25 when it is installed.
set -euo pipefail
cd "$(dirname "$0")/.."

source scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

library="$PWD/build/linux/Corvane.so.0"
classes="$PWD/build/linux/demo/classes"
jdk17=/usr/lib/jvm/java-17-openjdk-amd64
jdk25=/usr/lib/jvm/temurin-25-jdk-amd64

echo
echo "===== JDK 17 ====="
"$jdk17/bin/java" "-Dcorvane.library=$library" -cp "$classes" Demo

echo
if [[ -x "$jdk25/bin/java" ]]; then
    echo "===== JDK 25 ====="
    "$jdk25/bin/java" --enable-native-access=ALL-UNNAMED "-Dcorvane.library=$library" -cp "$classes" Demo
else
    echo "JDK 25 not installed at $jdk25: demo shown on JDK 17 only"
fi
