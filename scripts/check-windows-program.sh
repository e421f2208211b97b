#!/usr/bin/env bash
# Checks the Windows program itself under Wine: that it starts and paints, that it lays itself out
# for the screen, and one real update run driven through its window with keys. Expects what
# scripts/test-windows.sh sets up: WINEPREFIX (thrown away afterwards), DISPLAY (an Xvfb screen of
# 1024 x 768) and a running Wine server. Takes the folder holding TolvarNorvikUpdater.exe and
# tolvar_idle.exe.
set -euo pipefail
bin=$(cd "$1" && pwd)
wine=/usr/lib/wine/wine64
drive_c=$WINEPREFIX/drive_c
title="Tolvar Norvik Utility Updater"

fail() {
    echo "check-windows-program: $*" >&2
    exit 1
}

# A Qt fatal error under Wine is a message box that waits for ever: every run has a time limit.
echo "The program starts and paints its window"
TOLVAR_EXIT_AFTER_FIRST_PAINT=1 timeout 60 "$wine" "$bin/TolvarNorvikUpdater.exe" </dev/null ||
    fail "no first paint (status $?)"

echo "Started with a command line, it logs a load failure at the drive's root and ends with 1"
mkdir -p "$drive_c/UpdLogs" "$drive_c/updater"
cp "$bin/TolvarNorvikUpdater.exe" "$drive_c/updater/"
status=0
(cd "$drive_c/updater" && TOLVAR_INJECT_FAILURE=Form_Load:Overflow exec timeout 60 "$wine" \
    'C:\updater\TolvarNorvikUpdater.exe' x:y:PC07:UpdLogs </dev/null >/dev/null 2>&1) || status=$?
[ "$status" -eq 1 ] || fail "ended with status $status, not 1"
[ "$(cat "$drive_c/UpdLogs/PC07.log")" = $'[START]\r\nError:Load:Overflow\r\n[END]\r' ] ||
    fail "the log reads: $(cat -A "$drive_c/UpdLogs/PC07.log")"

echo "It imports only system libraries"
imports=$(x86_64-w64-mingw32-objdump -p "$bin/TolvarNorvikUpdater.exe" | sed -n 's/^\s*DLL Name: //p')
for dll in $imports; do
    # API sets (api-ms-win-*) are names Windows resolves itself; every other DLL must be one of
    # Windows' own, as Wine has them.
    case ${dll,,} in
    api-ms-win-*) ;;
    *) [ -f "$drive_c/windows/system32/${dll,,}" ] || fail "imports $dll, which Windows does not have" ;;
    esac
done

# One update as a user makes it: Lumeo's directory comes from the registry, its Norvik folder is
# replaced by the one beside the program, and the product's agent, running, is ended first.
echo "An update run through the window replaces Lumeo's Norvik folder and ends norvikAgent.exe"
mkdir -p "$drive_c/updater/Norvik" "$drive_c/products/Lumeo/Norvik" "$drive_c/agent"
echo "new agent" >"$drive_c/updater/Norvik/agent.cfg"
echo "old agent" >"$drive_c/products/Lumeo/Norvik/agent.cfg"
echo "left over" >"$drive_c/products/Lumeo/Norvik/obsolete.dll"
cp "$bin/tolvar_idle.exe" "$drive_c/agent/norvikAgent.exe"
timeout 60 "$wine" reg add 'HKLM\Software\TolvarInfo\Lumeo' /v InstallPath /t REG_SZ \
    /d 'C:\products\Lumeo' /f </dev/null >/dev/null 2>&1 || fail "reg add failed"

timeout 300 "$wine" 'C:\agent\norvikAgent.exe' </dev/null >/dev/null 2>&1 &
agent=$!
(cd "$drive_c/updater" && exec timeout 120 "$wine" 'C:\updater\TolvarNorvikUpdater.exe' \
    </dev/null >/dev/null 2>&1) &
program=$!

window=$(timeout 60 xdotool search --sync --onlyvisible --name "^$title\$" | head -n 1)
[ -n "$window" ] || fail "the update window did not appear"
echo "  the window on the 1024 x 768 screen: $(xdotool getwindowgeometry "$window" | tail -n 1)"
# The first directory box has the focus; three tabs on (past "&Update >>", "E&xit" and the
# disabled browse button) is Lumeo's box: tick it, which fills its directory from the registry,
# and press "&Update >>". The summary box is answered with Enter, the exit question with "&Yes".
xdotool windowfocus --sync "$window" key --delay 200 Tab Tab Tab space alt+u
summary=$(timeout 60 xdotool search --sync --onlyvisible --name '^TolvarNorvikUpdater$' | head -n 1)
[ -n "$summary" ] || fail "no summary box after the update"
xdotool windowfocus --sync "$summary" key Return
# The box must be gone before the next one is looked for, or the search finds it again.
for _ in $(seq 100); do
    xdotool search --onlyvisible --name '^TolvarNorvikUpdater$' >/dev/null || break
    sleep 0.2
done

# The agent's Wine process ends soon after the Windows process it runs was terminated.
for _ in $(seq 50); do
    kill -0 "$agent" 2>/dev/null || break
    sleep 0.2
done
! kill -0 "$agent" 2>/dev/null || fail "norvikAgent.exe was not ended"
[ "$(cat "$drive_c/products/Lumeo/Norvik/agent.cfg")" = "new agent" ] ||
    fail "Lumeo's Norvik folder was not replaced"
[ ! -e "$drive_c/products/Lumeo/Norvik/obsolete.dll" ] || fail "the old Norvik folder is still there"
xdotool windowfocus --sync "$window" key alt+x
question=$(timeout 60 xdotool search --sync --onlyvisible --name '^TolvarNorvikUpdater$' | head -n 1)
xdotool windowfocus --sync "$question" key alt+y
status=0
wait "$program" || status=$?
[ "$status" -eq 0 ] || fail "the program ended with status $status on Exit, not 0"
echo "Windows program checks passed"
