#!/usr/bin/env bash
# Cross-builds the program and all its tests for 64-bit Windows and runs them under Wine, on an
# Xvfb screen of 1024 x 768 and in a Wine prefix of their own that is thrown away afterwards; then
# checks the program itself there (scripts/check-windows-program.sh). ./build.sh test runs it
# after the Linux tests; it may also be run by itself.
#
# The static Qt for Windows comes from scripts/build-qt-windows.sh, which builds it once
# (40 to 80 minutes on two cores) and keeps it in a cache. TOLVAR_QT_WINDOWS=<prefix> names a Qt for
# MinGW that is already there; TOLVAR_QT_WINDOWS=none builds and tests only the Qt-free layers.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
if [ "${TOLVAR_QT_WINDOWS:-}" = none ]; then
    preset=windows-platform
else
    TOLVAR_QT_WINDOWS=$(scripts/build-qt-windows.sh)
    export TOLVAR_QT_WINDOWS
    preset=windows
fi
cmake --preset "$preset" --fresh
cmake --build --preset "$preset"

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

# Windows need a screen even when nobody looks: the system menu and the program's own window are
# real ones. The screen is the one the program's layout check expects.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" </dev/null >/dev/null 2>&1 &
xvfb=$!

stop_wine() {
    "$wineserver" -k </dev/null >/dev/null 2>&1 || true
    "$wineserver" -w </dev/null >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
    rm -rf "$scratch"
}
trap stop_wine EXIT

for _ in $(seq 100); do
    [ -s "$scratch/display" ] && break
    sleep 0.1
done
DISPLAY=:$(cat "$scratch/display")
export DISPLAY

# Wine's server and background services outlive the command that starts them; with their
# standard streams closed they cannot hold the pipe of whoever reads this script's output. The
# server is kept running so each test does not pay for starting it again.
"$wineserver" -p </dev/null >/dev/null 2>&1
timeout 300 "$wine" wineboot --init </dev/null >/dev/null 2>&1

ctest --preset "$preset"
if [ "$preset" = windows ]; then
    scripts/check-windows-program.sh build/windows/bin
fi
