#!/usr/bin/env bash
# The real agent starting the real companion screensaver on a virtual X display of its own with
# a tray host: "Execute Screensaver" from the tray menu; and the X server's screen-saver timer
# (`xset s 2`) while "SCRNSAVE.EXE" names the companion, set and cleared with the tray's
# "Disable Screensaver", never a second one while it runs, and never beside xscreensaver.
# Usage: agent-saver-e2e.sh KDX3 KDXSaver.SCR SCREEN_PIXELS
set -uo pipefail
# shellcheck source=saver-world.sh
source "$(dirname "$0")/saver-world.sh"
agent=$(readlink -f "$1")
saver=$(readlink -f "$2")
pixels=$(readlink -f "$3")

# The companion is installed beside the agent, which finds it there by its bare name.
agent_world "$sandbox/install/KDX3"
ln -s "$saver" "$sandbox/install/KDXSaver.SCR"
convert -size 64x32 xc:red "BMP3:$sandbox/red.bmp"
printf '[RandomWhat]\n0=2\n[ImageList]\n0=%s\n[Image]\nSize=2\n' "$sandbox/red.bmp" >"$sandbox/install/KDX.ini"
registry=$XDG_CONFIG_HOME/kaleidra-agent/registry.ini
xset s off

companion_shows() { [ "$("$pixels" 320,240)" = '#FF0000' ] && [ "$(companions "$saver")" -ge 1 ]; }
no_companion() { [ "$(companions "$saver")" -eq 0 ]; }
screensaver_value() { grep -F '"SCRNSAVE.EXE"=' "$registry" 2>/dev/null | tr -d '\r'; }
# The value as the registry stand-in writes it: the companion's name in quotes, or two quotes.
named='"SCRNSAVE.EXE"="\"KDXSaver.SCR\""'
cleared='"SCRNSAVE.EXE"="\"\""'

start_tray
"$agent" &
pids+=($!)
check "the agent's icon is in the tray" wait_for 100 eval '[ -n "$(tray_icon)" ]'
# tray_item N: the tray menu's N-th item (Settings, Execute Screensaver, Disable Screensaver, ...).
tray_item() {
    xdotool mousemove --window "$(tray_icon)" 10 10 click 3
    sleep 0.5
    for ((i = 0; i < $1; i++)); do xdotool key Down; done
    xdotool key Return
    sleep 0.5
}

# 1. "Execute Screensaver" starts the companion, which shows the pictures; a key ends it.
tray_item 2
check "\"Execute Screensaver\" starts the companion screensaver" wait_for 50 companion_shows
xdotool key space
check "a key press ends it" wait_for 30 no_companion

# 2. "Disable Screensaver" twice points "SCRNSAVE.EXE" at the companion.
tray_item 3
tray_item 3
check "\"SCRNSAVE.EXE\" names the companion: $(screensaver_value)" eval '[ "$(screensaver_value)" = "$named" ]'
xset s 2
check "the X screen-saver timer starts the companion" wait_for 80 companion_shows
sleep 4
check "never a second one while it runs ($(companions "$saver") running)" [ "$(companions "$saver")" -eq 1 ]
xset s off
xdotool mousemove_relative -- 80 80
check "a mouse movement ends it" wait_for 30 no_companion

# 3. "Disable Screensaver" clears the value: the timer starts nothing.
tray_item 3
check "\"SCRNSAVE.EXE\" is cleared: $(screensaver_value)" eval '[ "$(screensaver_value)" = "$cleared" ]'
xset s 2
sleep 6
check "the timer starts nothing after \"Disable Screensaver\"" no_companion
xset s off

# 4. Where the desktop's own screensaver looks after idle time (xscreensaver here), the timer
# that fires starts nothing: the companion runs on demand only.
tray_item 3
check "\"SCRNSAVE.EXE\" names the companion again" eval '[ "$(screensaver_value)" = "$named" ]'
xscreensaver -no-splash >/dev/null 2>&1 &
pids+=($!)
xscreensaver_window() {
    local window
    for window in $(xwininfo -root -children | awk '/^ +0x/ { print $1 }'); do
        xprop -id "$window" _SCREENSAVER_VERSION 2>/dev/null | grep -q = && return 0
    done
    return 1
}
check "xscreensaver runs" wait_for 100 xscreensaver_window
xset s 2
server_saver_on() { [ "$("$pixels" --saver)" = on ]; }
check "the X server's screen saver fires" wait_for 80 server_saver_on
sleep 2
check "the timer starts nothing beside xscreensaver" no_companion
xset s off
xset s reset

echo "$failures failed"
[ "$failures" -eq 0 ]
