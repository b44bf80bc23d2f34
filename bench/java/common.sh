# Sourced by the JNI-level benchmark scripts: builds the Linux library, compiles a harness
# with the agent's native declarations, and runs it on JDK 17 and, when installed, JDK 25.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/../.."

source scripts/setup.sh
cmake --preset linux >/dev/null
cmake --build --preset linux

jdk17=/usr/lib/jvm/java-17-openjdk-amd64
jdk25=/usr/lib/jvm/temurin-25-jdk-amd64
library="$PWD/build/linux/Corvane.so.0"
floor="$PWD/build/linux/bench/libcorvane_benchfloor.so"

# usage: corvane_bench_run MAIN_CLASS [ARGS...] -- compiles bench/java/MAIN_CLASS.java (and the
# floor natives' declarations) into its own class folder and runs it on each JDK with ARGS.
corvane_bench_run() {
    local main=$1
    shift
    local classes="$PWD/build/linux/bench-java/$main-classes"
    rm -rf "$classes"
    local sources
    mapfile -t sources < <(find tests/jvm/java -name '*.java')
    "$jdk17/bin/javac" --release 17 -Xlint:all -Werror -d "$classes" \
        "bench/java/$main.java" bench/java/BenchFloor.java bench/java/ParkedThreads.java "${sources[@]}"
    local properties=("-Dcorvane.library=$library" "-Dcorvane.floor=$floor")
    echo
    echo "===== JDK 17 ====="
    "$jdk17/bin/java" "${properties[@]}" -cp "$classes" "$main" "$@"
    echo
    if [[ -x "$jdk25/bin/java" ]]; then
        echo "===== JDK 25 ====="
        "$jdk25/bin/java" --enable-native-access=ALL-UNNAMED "${properties[@]}" -cp "$classes" "$main" "$@"
    else
        echo "JDK 25 not installed at $jdk25: benchmark run on JDK 17 only"
    fi
}
