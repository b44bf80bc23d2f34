#!/usr/bin/env bash
# What the Windows preset needs on this machine: the MinGW-w64 cross compilers (-posix
# threading, for std::mutex) and Wine to run the tests. Installs only what is missing
# (apt-get update runs only then); safe to run again.
#
# Sourcing it also defines corvane_wine_start / corvane_wine_stop: the tests run through
# wine64 with one shared prefix, and the Wine server is started before ctest and stopped
# after it, always with the standard streams detached (a server left holding a pipe makes
# the caller hang for minutes).

corvane_windows_packages=(
    g++-mingw-w64-x86-64-posix
    wine64
)

export WINEPREFIX="${WINEPREFIX:-${HOME:-/root}/.corvane-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
corvane_wine=/usr/lib/wine/wine64
corvane_wineserver=/usr/lib/wine/wineserver

corvane_windows_setup() {
    local missing=() pkg
    for pkg in "${corvane_windows_packages[@]}"; do
        if ! dpkg -s "$pkg" >/dev/null 2>&1; then
            missing+=("$pkg")
        fi
    done
    if ((${#missing[@]})); then
        echo "windows setup: installing ${missing[*]}"
        local sudo=()
        if [[ $(id -u) != 0 ]]; then sudo=(sudo); fi
        local started=$SECONDS
        "${sudo[@]}" apt-get update -q || return 1
        DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get -o DPkg::Lock::Timeout=900 install -y -q --no-install-recommends "${missing[@]}" || return 1
        echo "windows setup: installed in $((SECONDS - started)) s"
    else
        echo "windows setup: all packages present"
    fi
}

# Starts a persistent Wine server. A new prefix is created first and left to settle: its
# creation starts background programs, and the server is only made persistent once they and
# their server have ended, so that no test starts while the prefix is still being set up.
corvane_wine_start() {
    mkdir -p "$WINEPREFIX"
    if [[ ! -f $WINEPREFIX/system.reg ]]; then
        "$corvane_wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
        "$corvane_wineserver" -w </dev/null >/dev/null 2>&1 || true
    fi
    "$corvane_wineserver" -p </dev/null >/dev/null 2>&1 || true  # one may be running already
    "$corvane_wine" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

corvane_wine_stop() {
    "$corvane_wineserver" -k </dev/null >/dev/null 2>&1 || true
    "$corvane_wineserver" -w </dev/null >/dev/null 2>&1 || true  # until it has gone
}

if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
    set -euo pipefail
    corvane_windows_setup
else
    corvane_windows_setup || return 1
fi
