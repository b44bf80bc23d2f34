#!/usr/bin/env bash
# Installs what is missing, then configures, builds and tests every preset in PRESETS
# (the macOS and Solaris presets are cross builds whose tests run under qemu-user).
# Exits non-zero when any build or test fails.
set -euo pipefail
cd "$(dirname "$0")/.."

# Each entry is a configure, build and test preset of CMakePresets.json.
PRESETS=(
    linux
    asan
    tsan
    fuzz
    macos-i386
    solaris-sparc64
    solaris-sparc32
    windows
)

source scripts/setup.sh
# The emulated macOS and Solaris presets need the cross compilers and qemu-user.
corvane_setup "${corvane_cross_packages[@]}"

# The windows preset: MinGW-w64 and Wine, and one Wine server for all its tests (started
# with the streams detached, stopped when this script ends).
if [[ " ${PRESETS[*]} " == *" windows "* ]]; then
    source scripts/windows.sh
    trap corvane_wine_stop EXIT
    corvane_wine_start
fi

failed=()
for preset in "${PRESETS[@]}"; do
    echo "=== preset $preset ==="
    if cmake --preset "$preset" &&
        cmake --build --preset "$preset" &&
        ctest --preset "$preset" --output-on-failure; then
        echo "=== preset $preset: passed ==="
    else
        echo "=== preset $preset: FAILED ==="
        failed+=("$preset")
    fi
done

if ((${#failed[@]})); then
    echo "failed presets: ${failed[*]}"
    exit 1
fi
echo "all presets passed: ${PRESETS[*]}"
