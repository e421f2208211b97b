#!/usr/bin/env bash
# Screenshots of the program at several screen sizes, taken the way a user would see it: under a
# virtual X server, on the demo sandbox, driven from outside with the keyboard (tick both
# products, press Alt+U) and copied from the server's frame buffer. There is no window manager,
# so windows have no title bars.
#   tools/screenshots.sh [BUILD_DIR]
# BUILD_DIR defaults to build/debug, which is then built first. For each size it writes to
# build/screenshots/:
#   <size>-update.png    the update window with both products ticked;
#   <size>-summary.png   the summary box as it comes up over the update window;
#   <size>-progress.png  the same with the box moved below, so the progress text shows.
# One more run, "profile-1024x768", has an 800x600 screen and a settings profile that tells
# the program to lay itself out for 1024x768.
set -euo pipefail
cd "$(dirname "$0")/.."
repo=$PWD

packages=(xvfb xdotool netpbm)
missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
        missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
        "${missing[@]}"
fi

if [ $# -ge 1 ]; then
    build_dir=$(realpath "$1")
else
    scripts/install-deps.sh
    cmake --preset debug
    cmake --build --preset debug --target TolvarNorvikUpdater
    build_dir=$repo/build/debug
fi
program=$build_dir/bin/TolvarNorvikUpdater
out=$repo/build/screenshots
work=$(mktemp -d)
mkdir -p "$out"

xvfb_pid=
program_pid=
stop() {
    local pid
    for pid in $program_pid $xvfb_pid; do
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    program_pid=
    xvfb_pid=
}
trap 'stop; rm -rf "$work"' EXIT

# The frame buffer itself: an image taken through X (xwd -root) leaves the message box black.
grab() {
    xwdtopnm "$work/fb/Xvfb_screen0" 2>/dev/null | pnmtopng >"$out/$1.png"
    echo "wrote build/screenshots/$1.png"
}

# The window named exactly $1, once it is on the screen.
find_window() {
    timeout 20 xdotool search --sync --onlyvisible --name "^$1\$" | head -n 1
}

# shoot NAME WIDTHxHEIGHT DPI [PROFILE_TEXT]
shoot() {
    local name=$1 size=$2 dpi=$3 profile=${4:-}
    local sandbox=$work/$name
    cmake -DSOURCE_DIR="$repo/demo" -DBIN_DIR="$build_dir/bin" -DSANDBOX="$sandbox" \
        -P "$repo/demo/make-sandbox.cmake" >/dev/null
    [ -n "$profile" ] && printf '%s' "$profile" >"$sandbox/root/TOLVARCONFIG.INI"

    mkdir -p "$work/fb"
    Xvfb -displayfd 3 -screen 0 "${size}x24" -dpi "$dpi" -nolisten tcp -fbdir "$work/fb" \
        3>"$sandbox.display" 2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [ -s "$sandbox.display" ] && break
        sleep 0.1
    done
    export DISPLAY=:$(cat "$sandbox.display")

    # Qt takes its DPI from the X resources (Xft.dpi) and otherwise assumes 96; Xvfb's -dpi
    # only sets the X screen's size in millimetres, so the DPI is handed over here.
    QT_FONT_DPI=$dpi TOLVAR_ROOT=$sandbox/root TOLVAR_REGISTRY=$sandbox/registry.reg \
        "$program" 2>"$work/$name.log" &
    program_pid=$!

    local window
    window=$(find_window 'Tolvar Norvik Utility Updater')
    # The pointer stays in the corner, out of the picture.
    xdotool mousemove 0 0 windowfocus --sync "$window"
    sleep 0.5
    # The focus starts in the first directory box; the disabled browse button is skipped.
    xdotool key --delay 150 Tab Tab Tab space Tab space
    sleep 0.5
    grab "$name-update"

    xdotool key alt+u
    local box
    box=$(find_window TolvarNorvikUpdater)
    sleep 0.5
    grab "$name-summary"

    local WINDOW X Y WIDTH HEIGHT SCREEN
    eval "$(xdotool getwindowgeometry --shell "$window")"
    xdotool windowmove --sync "$box" "$X" $((Y + HEIGHT + 20))
    sleep 0.5
    grab "$name-progress"
    stop
}

shoot 800x600 800x600 96
shoot 1024x768 1024x768 96
shoot 1280x1024 1280x1024 96
shoot 1920x1080-144dpi 1920x1080 144
shoot profile-1024x768 800x600 96 $'[ScrReso]\r\nOpt=1\r\nX=1024\r\nY=768\r\n'
