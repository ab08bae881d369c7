#!/usr/bin/env bash
# The Windows installer under wine64 with Wine's X11 driver, in a fresh prefix: a silent install
# into Program Files with its start-menu entry and the companion screensaver in System32, the
# installed agent started from that entry, its Execute Screensaver showing a picture of the list
# full screen until a key is pressed, the agent saving its settings beside itself, an uninstall
# refused while the agent runs, and the uninstall that removes the program and the companion
# but keeps the user's KDX.ini.
# Usage: installer-wine-e2e.sh INSTALLER PREFIX_TEMPLATE [SCREENSHOT_FOLDER]
set -uo pipefail
installer=$1
template=$2
shots=${KDX_SCREENSHOT_DIR:-${3:-$(dirname "$template")}}

export TMPDIR=$(dirname "$template")
# shellcheck source=../../support/agent-world.sh
source "$(dirname "$0")/../../support/agent-world.sh"
# shellcheck source=../../support/wine-world.sh
source "$(dirname "$0")/../../support/wine-world.sh"
[ -f "$installer" ] || {
    echo "FAILED: no installer $installer (cpack makes it)"
    exit 1
}
wine_world "$template"

folder='C:\Program Files\Kaleidra Agent'
install_dir=$(c_drive "Program Files/Kaleidra Agent")
menu=$(c_drive "ProgramData/Microsoft/Windows/Start Menu/Programs/Kaleidra Agent")
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Kaleidra Agent'
run_key='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
product_key='HKCU\Software\Tembrix Software\Kaleidra Deluxe V3.00'
shared_key='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\SharedDLLs'
companion=$(c_drive windows/system32/KDXSaver.SCR)

timeout 120 "$wine_loader" "$(winpath "$installer")" /S
status=$?
check "the silent install ends with 0 (got $status)" [ "$status" -eq 0 ]
for file in KDX3.exe kdx3.chm Uninstall.exe; do
    check "$file is installed in Program Files" [ -f "$install_dir/$file" ]
done
check "the start menu has its entry" [ -f "$menu/Kaleidra Agent.lnk" ]
check "the companion screensaver is in System32, where Windows finds it by its bare name" [ -f "$companion" ]
check "and counted once among the shared files" \
    eval '[ "$(reg_value "$shared_key" "C:\\windows\\system32\\KDXSaver.SCR")" = 0x1 ]'
check "not beside the agent" [ ! -e "$install_dir/KDXSaver.SCR" ]
# A picture list for the screensaver, stretched over the screen.
convert -size 64x48 xc:'#ff0000' "BMP3:$sandbox/red.bmp"
printf '[RandomWhat]\r\n0=2\r\n[ImageList]\r\n0=%s\r\n[Image]\r\nSize=2\r\nInterval=60\r\n' \
    "$(winpath "$sandbox/red.bmp")" >"$install_dir/KDX.ini"
check "Windows lists the program with its uninstaller" \
    eval '[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$folder\\Uninstall.exe\"" ]'

# The installed agent, started through its start-menu entry as a user does.
timeout 60 "$wine_loader" start 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Kaleidra Agent\Kaleidra Agent.lnk' \
    >>"$sandbox/agent.log" 2>&1
agent_running() { xdotool search --name '^KaleidraAgent$' >/dev/null 2>&1; }
check "the start-menu entry starts the installed agent" wait_for 300 agent_running
# The agent writes it while it builds its window, a moment after its single-instance window exists.
check "InstalledPath names the install folder" \
    wait_for 100 eval '[ "$(reg_value "$product_key" InstalledPath)" = "$folder" ]'

# Execute Screensaver (the agent's /saver switch runs that command in the running agent): the
# shell opens "KDXSaver.SCR" by its bare name, and the companion shows the list's picture on
# the whole screen at once; a key press ends it, leaving nothing running.
pixel() { import -window root -crop "1x1+$1+$2" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }
full_screen_red() {
    local at
    for at in "2 2" "640 512" "1277 1021"; do
        # shellcheck disable=SC2086
        [ "$(pixel $at)" = '#FF0000' ] || return 1
    done
}
# The companion's live processes (Wine gives each Windows program its file as the first
# argument; a Wine parent may leave an ended child unreaped for a while, which does not count).
companions() { ps -eo stat=,args= | awk '$1 !~ /^Z/ && tolower($2) ~ /kdxsaver\.scr$/' | wc -l; }
timeout 60 "$wine_loader" "$folder\\KDX3.exe" /saver >>"$sandbox/agent.log" 2>&1
check "Execute Screensaver shows the list's picture on the whole screen" wait_for 300 full_screen_red
import -window root "$shots/kdxsaver-picture-wine.png" 2>/dev/null &&
    echo "ok: picture of the screensaver saved to $shots/kdxsaver-picture-wine.png"
sleep 1
xdotool mousemove 640 512 key space
check "a key press ends the screensaver" wait_for 100 eval '[ "$(companions)" -eq 0 ]'
check "and the picture is gone from the screen" wait_for 30 eval '! full_screen_red'
# Shown by a second start, it takes Preference > Load on system startup > OK, which writes its
# KDX.ini in Program Files and the log-on entry.
timeout 60 "$wine_loader" "$folder\\KDX3.exe" /nominimize >>"$sandbox/agent.log" 2>&1
main_window() { shown_windows kdx3.exe | awk '$2 >= 600 && $3 >= 400 && NF == 5 { print $1; exit }'; }
window_shown() { [ -n "$(main_window)" ]; }
check "the installed agent shows its window" wait_for 100 window_shown
window=$(main_window)
xdotool mousemove --window "$window" 400 60 click 1
sleep 0.3
xdotool key --delay 80 F2
sleep 2
xdotool key --delay 80 space Return
check "the agent saves KDX.ini beside itself in Program Files" \
    wait_for 50 ini_has "$install_dir/KDX.ini" Startup=1
check "and its log-on entry" wait_for 30 eval '[ "$(reg_value "$run_key" Kaleidra)" = "\"$folder\\KDX3.exe\"" ]'

# Run in place (_?= and the folder, unquoted, as the rest of its command line: so a batch file
# gives it), the uninstaller's exit code is its answer; run plainly, it would hand the work to a
# copy of itself and end at once.
printf '@"%s\\Uninstall.exe" /S _?=%s\r\n@exit /b %%errorlevel%%\r\n' "$folder" "$folder" >"$sandbox/uninstall.bat"
timeout 120 "$wine_loader" cmd /c "$(winpath "$sandbox/uninstall.bat")"
status=$?
check "the uninstaller refuses while the agent runs (exit code $status)" [ "$status" -eq 2 ]
check "and leaves the program in place" eval '[ -f "$install_dir/KDX3.exe" ] && [ -f "$install_dir/kdx3.chm" ]'

# Agent > Exit (Ctrl+X) ends it.
xdotool mousemove --window "$window" 400 60 click 1
sleep 0.3
xdotool key ctrl+x
check "the agent ends" wait_for 100 eval '! agent_running'
# Its window goes before its process does; the uninstaller would still find it.
agents() { ps -eo stat=,args= | awk '$1 !~ /^Z/ && tolower($0) ~ /\\kdx3\.exe( |$)/' | wc -l; }
check "and its process with it" wait_for 300 eval '[ "$(agents)" -eq 0 ]'

# The user's system screensaver names the companion (Disable Screensaver twice writes it so).
desktop_key='HKCU\Control Panel\Desktop'
wine reg add "$desktop_key" /v SCRNSAVE.EXE /d '"KDXSaver.SCR"' /f >/dev/null 2>&1
wine "$folder\\Uninstall.exe" /S
# The uninstaller works on from a copy of itself in the temporary folder.
check "the uninstaller removes the program" wait_for 300 eval '[ ! -e "$install_dir/KDX3.exe" ]'
check "and its help" wait_for 50 eval '[ ! -e "$install_dir/kdx3.chm" ]'
check "and itself" wait_for 50 eval '[ ! -e "$install_dir/Uninstall.exe" ]'
check "and the start-menu entry" wait_for 50 eval '[ ! -e "$menu" ]'
check "and the entry in the list of programs" wait_for 50 eval '! reg_value "$uninstall_key" UninstallString >/dev/null'
check "and the log-on entry that names it" eval '! reg_value "$run_key" Kaleidra >/dev/null'
check "and the companion screensaver from System32" [ ! -e "$companion" ]
check "and its count among the shared files" \
    eval '! reg_value "$shared_key" "C:\\windows\\system32\\KDXSaver.SCR" >/dev/null'
check "the user's KDX.ini stays" ini_has "$install_dir/KDX.ini" Startup=1
check "InstalledPath, which names its folder, stays" eval '[ "$(reg_value "$product_key" InstalledPath)" = "$folder" ]'
check "and SCRNSAVE.EXE, which named the removed companion" eval '! reg_value "$desktop_key" SCRNSAVE.EXE >/dev/null'

# Another product that counts on a KDXSaver.SCR of its own keeps it: a file there with a count of
# one, this product installed over it and uninstalled again (in place, so it is done on return).
saver_count() { reg_value "$shared_key" 'C:\windows\system32\KDXSaver.SCR'; }
echo other >"$companion"
wine reg add "$shared_key" /v 'C:\windows\system32\KDXSaver.SCR' /t REG_DWORD /d 1 /f >/dev/null 2>&1
wine reg add "$desktop_key" /v SCRNSAVE.EXE /d '"KDXSaver.SCR"' /f >/dev/null 2>&1
timeout 120 "$wine_loader" "$(winpath "$installer")" /S
check "installed beside another product's count, it counts once more ($(saver_count))" \
    eval '[ "$(saver_count)" = 0x2 ]'
timeout 120 "$wine_loader" cmd /c "$(winpath "$sandbox/uninstall.bat")"
check "the uninstaller then leaves the companion to the other product" [ -f "$companion" ]
check "with the count back at one ($(saver_count))" eval '[ "$(saver_count)" = 0x1 ]'
check "and SCRNSAVE.EXE naming it" eval '[ "$(reg_value "$desktop_key" SCRNSAVE.EXE)" = "\"KDXSaver.SCR\"" ]'

echo "$failures failed"
[ "$failures" -eq 0 ]
