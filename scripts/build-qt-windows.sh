#!/usr/bin/env bash
# Builds the static Qt for 64-bit Windows (MinGW) that the Windows program links against, from
# Debian's qt6-base source package, and installs it into a cache outside the checkout:
#   ${XDG_CACHE_HOME:-$HOME/.cache}/tolvar/qt-windows-<Qt version>-<hash of this recipe>
# The cache key covers this script and the patches beside it, so changing either builds anew; an
# existing cache makes the script a no-op. TOLVAR_QT_WINDOWS=<prefix> names a Qt for MinGW the
# user already has and skips all of it.
#
# Prints the Qt prefix as the only line on standard output; everything else goes to standard
# error. The build takes 40 to 80 minutes on two cores; TOLVAR_QT_JOBS sets its parallelism.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

if [ -n "${TOLVAR_QT_WINDOWS:-}" ]; then
    if [ ! -f "$TOLVAR_QT_WINDOWS/lib/cmake/Qt6/Qt6Config.cmake" ]; then
        echo "TOLVAR_QT_WINDOWS=$TOLVAR_QT_WINDOWS holds no Qt 6 (lib/cmake/Qt6 is missing)" >&2
        exit 1
    fi
    echo "$TOLVAR_QT_WINDOWS"
    exit 0
fi

qt_version=6.4.2
source_version=6.4.2+dfsg-10
patches=("$root"/scripts/qt-windows-patches/*.patch)

toolchain='set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)'

# Tablet support needs src/3rdparty/wintab, which the "+dfsg" tarball leaves out; the offscreen
# platform plugin, which the tests use, is only built with FreeType. Direct2D, OpenGL and the
# modules the program does not use are left out to keep the build short.
configure_options=(
    -xplatform win32-g++ -static -static-runtime -release
    -nomake examples -nomake tests
    -qt-zlib -qt-pcre -qt-libpng -no-libjpeg -qt-harfbuzz -qt-freetype
    -no-opengl -no-dbus -no-icu
    -no-feature-sql -no-feature-network -no-feature-xml -no-feature-concurrent
    -no-feature-printsupport -no-feature-direct2d -no-feature-zstd -no-feature-tabletevent
    -qt-host-path /usr
)

# The cache is keyed by what shapes the result, not by this script's wording.
recipe_hash=$({ printf '%s\n' "$source_version" "$toolchain" "${configure_options[@]}"; cat "${patches[@]}"; } |
    sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/tolvar
prefix=$cache/qt-windows-$qt_version-$recipe_hash
work=$cache/qt-windows-work-$recipe_hash

if [ -f "$prefix/.complete" ]; then
    echo "Static Qt for Windows: $prefix (cached)" >&2
    echo "$prefix"
    exit 0
fi

started=$SECONDS
say() { printf '[qt-windows %3dm%02ds] %s\n' $(((SECONDS - started) / 60)) $(((SECONDS - started) % 60)) "$*" >&2; }

# One build of a recipe at a time; whoever waited finds the other's result.
mkdir -p "$cache"
exec 9>"$cache/qt-windows-$recipe_hash.lock"
if ! flock -n 9; then
    say "Another build of this Qt is running; waiting for it"
    flock 9
fi
if [ -f "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

say "Building static Qt $qt_version for x86_64-w64-mingw32 into $prefix"
"$root"/scripts/install-deps.sh

# Fetches and patches the sources and configures the build in $work.
fetch_and_configure() {
    rm -rf "$work" "$prefix"
    mkdir -p "$work/apt/lists/partial" "$work/apt/cache/archives/partial"

    # An apt set-up of the script's own, so the machine's sources and lists stay as they are.
    echo "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main" \
        >"$work/apt/sources.list"
    apt=(apt-get -q -o "Dir::Etc::sourcelist=$work/apt/sources.list" -o Dir::Etc::sourceparts=-
        -o "Dir::State::Lists=$work/apt/lists" -o "Dir::Cache=$work/apt/cache"
        -o Dir::Cache::pkgcache= -o Dir::Cache::srcpkgcache= -o APT::Sandbox::User=root)
    say "Fetching the qt6-base $source_version source package"
    "${apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
    (cd "$work" && "${apt[@]}" source --download-only "qt6-base=$source_version" >>"$work/apt.log" 2>&1) ||
        { cat "$work/apt.log" >&2; exit 1; }
    (cd "$work" && dpkg-source --skip-patches -x qt6-base_*.dsc src >>"$work/apt.log" 2>&1) ||
        { cat "$work/apt.log" >&2; exit 1; }

    src=$work/src
    say "Applying Debian's patches"
    grep -v '^\s*\(#\|$\)' "$src/debian/patches/series" | while read -r patch _; do
        patch -d "$src" -p1 -s -N <"$src/debian/patches/$patch"
    done
    say "Applying the project's patches"
    for patch in "${patches[@]}"; do
        say "  $(basename "$patch"): $(sed -n 's/^Why: //p' "$patch")"
        patch -d "$src" -p1 -s -N <"$patch"
    done

    echo "$toolchain" >"$work/toolchain.cmake"
    say "Configuring"
    mkdir -p "$work/build"
    (cd "$work/build" && "$src/configure" -prefix "$prefix" "${configure_options[@]}" -- \
        -DCMAKE_TOOLCHAIN_FILE="$work/toolchain.cmake" \
        -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
        >"$work/configure.log" 2>&1) || { tail -n 60 "$work/configure.log" >&2; say "Configure failed; see $work/configure.log"; exit 1; }
    touch "$work/build/.configured"
}

# A build that was cut short (by a time limit, a reboot) goes on where it stopped.
if [ -f "$work/build/.configured" ]; then
    say "Resuming the build in $work"
else
    fetch_and_configure
fi

jobs=${TOLVAR_QT_JOBS:-$(nproc)}
say "Building with $jobs jobs (full log: $work/build.log)"
# Ninja's own [step/total] lines, thinned out, show how far the build is.
(cd "$work/build" && cmake --build . --parallel "$jobs" 2>&1) | tee "$work/build.log" |
    awk '/^\[[0-9]+\/[0-9]+\]/ { split(substr($1, 2, length($1) - 2), s, "/")
        if (s[1] % 25 == 0 || s[1] == s[2]) { print "[qt-windows] step " s[1] " of " s[2]; fflush() } }' >&2 ||
    { tail -n 40 "$work/build.log" >&2; say "Build failed; see $work/build.log"; exit 1; }

say "Installing"
(cd "$work/build" && cmake --install . >"$work/install.log" 2>&1) || { tail -n 40 "$work/install.log" >&2; exit 1; }
touch "$prefix/.complete"
rm -rf "$work"
say "Done: $prefix"
echo "$prefix"
