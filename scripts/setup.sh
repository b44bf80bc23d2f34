#!/usr/bin/env bash
# Installs what the Linux build, its tests, the demo and the benchmarks need, only what is
# missing (apt-get update runs only then). Safe to run again. Sourcing it also exports
# JAVA_HOME (JDK 17) for CMake's FindJNI and the scripts.
#
# JDK 25 (Temurin) is not a Debian package: tests on it run when it is installed at
# /usr/lib/jvm/temurin-25-jdk-amd64 and are skipped otherwise.

corvane_packages=(
    cmake
    ninja-build
    g++
    libgtest-dev
    libgmock-dev
    libbenchmark-dev
    junit5
    openjdk-17-jdk-headless
    valgrind
    clang
    libclang-rt-14-dev
)

corvane_setup() {
    local missing=() pkg
    for pkg in "${corvane_packages[@]}"; do
        if ! dpkg -s "$pkg" >/dev/null 2>&1; then
            missing+=("$pkg")
        fi
    done
    if ((${#missing[@]})); then
        echo "setup: installing ${missing[*]}"
        local sudo=()
        if [[ $(id -u) != 0 ]]; then sudo=(sudo); fi
        "${sudo[@]}" apt-get update -q || return 1
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}" || return 1
    else
        echo "setup: all packages present"
    fi
}

export JAVA_HOME="${JAVA_HOME:-/usr/lib/jvm/java-17-openjdk-amd64}"

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -euo pipefail
    corvane_setup
else
    corvane_setup || return 1
fi
