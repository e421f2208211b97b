#!/usr/bin/env bash
# The project's one entry point on a Debian 12 machine:
#   ./build.sh run    install what is missing, build, start the program on a demo sandbox
#   ./build.sh test   install what is missing, build, run every test; then cross-build the
#                     program for Windows and run its tests under Wine; then run every
#                     test again under the address and undefined-behaviour sanitizers, and each
#                     fuzzer for 20 seconds
#   ./build.sh fuzz N install what is missing, build the fuzzers and run each for N seconds
#                     (docs/architecture.md, "Hostile input")
#   ./build.sh windows  build the program for 64-bit Windows (and first, once, the static Qt it
#                     needs): build/windows/bin/TolvarNorvikUpdater.exe and its .sha256 beside it
#   ./build.sh bench  install what is missing, build a release configuration, run the benchmark
#                     (docs/performance.md); arguments after "bench" go to the benchmark
set -euo pipefail
cd "$(dirname "$0")"

# Every build goes through ccache, whose cache outlives the checkout (~/.cache/ccache): a fresh
# clone, as CI makes, then compiles only what changed. Paths below the checkout are hashed
# relative to it, so clones in other folders share the cache.
scripts/install-deps.sh
export CMAKE_C_COMPILER_LAUNCHER=ccache CMAKE_CXX_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR=$PWD CCACHE_NOHASHDIR=true

preset=debug
build_dir=build/$preset

build() {
    cmake --preset "$preset"
    cmake --build --preset "$preset" "$@"
}

case "${1:-}" in
run)
    build --target TolvarNorvikUpdater
    sandbox=$PWD/$build_dir/demo
    cmake -DSOURCE_DIR="$PWD/demo" -DBIN_DIR="$PWD/$build_dir/bin" -DSANDBOX="$sandbox" \
        -P demo/make-sandbox.cmake
    export TOLVAR_ROOT=$sandbox/root
    export TOLVAR_REGISTRY=$sandbox/registry.reg
    launcher=()
    if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
        echo "No display: starting under xvfb-run (the window is not visible)." >&2
        launcher=(xvfb-run -a)
    fi
    exec "${launcher[@]}" "$build_dir/bin/TolvarNorvikUpdater"
    ;;
test)
    build
    ctest --preset "$preset"
    scripts/test-windows.sh
    preset=sanitize
    build
    ctest --preset "$preset"
    scripts/fuzz.sh 20
    ;;
fuzz)
    exec scripts/fuzz.sh "${@:2}"
    ;;
windows)
    TOLVAR_QT_WINDOWS=$(scripts/build-qt-windows.sh)
    export TOLVAR_QT_WINDOWS
    cmake --preset windows --fresh
    cmake --build --preset windows --target TolvarNorvikUpdater
    (cd build/windows/bin && sha256sum TolvarNorvikUpdater.exe >TolvarNorvikUpdater.exe.sha256)
    echo "Windows program: $PWD/build/windows/bin/TolvarNorvikUpdater.exe (SHA-256 beside it)"
    ;;
bench)
    preset=bench
    build --target tolvar_bench
    exec build/$preset/bin/tolvar_bench "${@:2}"
    ;;
*)
    echo "usage: $0 run|test|windows|bench|fuzz SECONDS" >&2
    exit 2
    ;;
esac
