#!/usr/bin/env bash
# The real Windows companion KDXSaver.SCR under wine64 with Wine's X11 driver, in the system
# folder of a fresh Wine prefix, reading the KDX.ini that "InstalledPath" names:
#   preview   "/p <window>" puts its window inside the window it is given (a stand-in for the
#             Screen Saver Settings dialog's little screen), filling it, and ends with it;
#   programs  a Windows screensaver of the list runs full screen with "/s", and a key press ends
#             the companion and the screensaver with it.
# Usage: companion-wine-e2e.sh CASE KDXSaver.SCR PREFIX_TEMPLATE FIXTURE_FOLDER SCREENSHOT_FOLDER
set -uo pipefail
case_name=$1
companion=$2
template=$3
fixtures=$4
shots=${KDX_SCREENSHOT_DIR:-$5}

export TMPDIR=$(dirname "$template")
# shellcheck source=../../support/agent-world.sh
source "$(dirname "$0")/../../support/agent-world.sh"
# shellcheck source=../../support/wine-world.sh
source "$(dirname "$0")/../../support/wine-world.sh"
wine_world "$template"

cp "$companion" "$(c_drive windows/system32)/KDXSaver.SCR"
saver='C:\windows\system32\KDXSaver.SCR'
# The agent's folder and its settings, as the agent stored them.
install_dir=$(c_drive Kaleidra)
mkdir -p "$install_dir"
ini=$install_dir/KDX.ini
wine reg add 'HKCU\Software\Tembrix Software\Kaleidra Deluxe V3.00' /v InstalledPath /d 'C:\Kaleidra' /f >/dev/null 2>&1

# The colour at a point of the screen, "#RRGGBB".
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }
# The companion's live processes (Wine gives each Windows program its file as the first
# argument; a Wine parent may leave an ended child unreaped for a while, which does not count).
companions() { ps -eo stat=,args= | awk '$1 !~ /^Z/ && tolower($2) ~ /kdxsaver\.scr$/' | wc -l; }
no_companion() { [ "$(companions)" -eq 0 ]; }

# Wine 8's X11 driver shows no window that another process made a child of one of its own (a
# plain GDI child window stays unseen too), so the preview's pixels cannot be seen under Wine:
# the host says whether the companion's window was its child, filling it.
case_preview() {
    convert -size 64x48 xc:'#ff0000' "BMP3:$sandbox/red.bmp"
    printf '[RandomWhat]\r\n0=2\r\n[ImageList]\r\n0=%s\r\n[Image]\r\nSize=2\r\nInterval=60\r\n' \
        "$(winpath "$sandbox/red.bmp")" >"$ini"
    wine "$fixtures/previewhost.exe" "$saver" 12 >>"$sandbox/host.log" 2>&1 &
    local host=$!
    pids+=("$host")
    check "one companion runs for the preview" wait_for 100 eval '[ "$(companions)" -eq 1 ]'
    local shot=$shots/kdxsaver-preview-wine.png
    import -window root -crop 400x300+0+0 "$shot" 2>/dev/null && echo "ok: picture of the preview host saved to $shot"
    check "nothing of it shows outside the host window (right: $(pixel 340 120), below: $(pixel 160 260))" \
        eval '[ "$(pixel 340 120)" != "#FF0000" ] && [ "$(pixel 160 260)" != "#FF0000" ]'
    wait "$host"
    local status=$?
    check "its window was the host's child, filling it (host's exit code $status: 3 none seen, 1 not ended)" \
        [ "$status" -eq 0 ]
    check "the preview ended with its window" wait_for 50 no_companion
}

case_programs() {
    cp "$fixtures/standin-green.scr" "$sandbox/"
    printf '[RandomWhat]\r\n0=0\r\n[SaverList]\r\n0=%s\r\n[Saver]\r\nRandomType=1\r\nInterval=60\r\n' \
        "$(winpath "$sandbox/standin-green.scr")" >"$ini"
    standins() { pgrep -fc 'standin-green\.scr' || true; }
    wine "$saver" /s >>"$sandbox/saver.log" 2>&1 &
    pids+=("$!")
    green() { [ "$(pixel 640 512)" = '#00A050' ]; }
    check "the listed screensaver covers the screen" wait_for 300 green
    check "one screensaver program runs ($(standins))" [ "$(standins)" -eq 1 ]
    sleep 1
    xdotool mousemove 640 512 key space
    check "a key press over it ends the companion" wait_for 100 no_companion
    check "and the screensaver program with it" wait_for 50 eval '[ "$(standins)" -eq 0 ]'
}

case "$case_name" in
preview | programs) "case_$case_name" ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "$failures failed"
[ "$failures" -eq 0 ]
