#!/usr/bin/env bash
# Cross-builds the platform layer and its tests for 64-bit Windows and runs them under Wine, in a
# Wine prefix of their own that is thrown away afterwards. ./build.sh test runs it after the Linux
# tests; it may also be run by itself.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows
cmake --build --preset windows

# Debian's wine64 package holds the 64-bit loader and server; the wine package would only add
# launchers for them, which ask for the 32-bit half as well.
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver64

scratch=$(mktemp -d)
export WINEPREFIX=$scratch/prefix
export HOME=$scratch/home
export WINEDEBUG=-all
# No .NET or HTML engine to offer to download, no menu entries written into the home folder.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
mkdir -p "$HOME" "$WINEPREFIX"

stop_wine() {
    "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    "$wineserver" -w </dev/null >/dev/null 2>&1 || true
    rm -rf "$scratch"
}
trap stop_wine EXIT

# Wine's server and background services outlive the command that starts them; with their
# standard streams closed they cannot hold the pipe of whoever reads this script's output. The
# server is kept running so each test does not pay for starting it again.
"$wineserver" -p </dev/null >/dev/null 2>&1
"$wine" wineboot --init </dev/null >/dev/null 2>&1

ctest --preset windows
