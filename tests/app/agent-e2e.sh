#!/usr/bin/env bash
# Drives the real agent on the X display it is given (scripts/test runs it under Xvfb with a
# D-Bus session): the tray icon in a real tray host, the tray menu, the window on a double
# click, the hand-over from a second start, "/nominimize", and a start over the rendezvous of a
# killed agent. Saves a picture of the main window into the build folder.
# Usage: agent-e2e.sh KDX3 BUILD_FOLDER
set -uo pipefail
agent=$1
build=$2
shot="$build/kdx3-main-window.png"

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"

# Visible windows of the agent, as "id width height" lines.
agent_windows() {
    xdotool search --onlyvisible --classname KDX3 2>/dev/null | while read -r id; do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        echo "$id $WIDTH $HEIGHT"
    done
}
popup_count() { agent_windows | awk '$2 >= 30 && $2 < 600' | wc -l; }
menu_open() { [ "$(popup_count)" -ge 1 ]; }
menu_closed() { [ "$(popup_count)" -eq 0 ]; }

start_agent() { # start_agent [ARG]: the new agent's pid in $agent_pid
    "$agent" "$@" &
    agent_pid=$!
    pids+=("$agent_pid")
}

start_tray
sleep 0.5

# 1. A plain start: only the tray icon, in the tray host.
start_agent
check "the tray icon appears in the tray host" wait_for 100 icon_in_tray
check "no window is shown at a start without the switch" window_hidden
# A tray host that goes away and comes back gets the icon again.
kill "$tray_pid"
wait "$tray_pid" 2>/dev/null
start_tray
check "the icon comes back to a re-created tray" wait_for 100 icon_in_tray

# 2. A second start hands over and ends at once, touching no file; the first agent shows its
# window.
sleep 1.1 # file times have a resolution of a second on some file systems
touch "$sandbox/before-second-start"
started=$(date +%s%N)
"$agent" /nominimize
status=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
check "the second start exits with 0 (got $status)" [ "$status" -eq 0 ]
check "the second start ends within a second (${elapsed_ms} ms)" [ "$elapsed_ms" -lt 1000 ]
check "the running agent shows its window after the hand-over" wait_for 50 window_shown
changed=$(find "$sandbox/install" "$sandbox/config" "$sandbox/data" -newer "$sandbox/before-second-start" | wc -l)
check "the hand-over wrote no settings ($changed files changed)" [ "$changed" -eq 0 ]
icons=$(for panel in $(xdotool search --class trayer 2>/dev/null); do xwininfo -id "$panel" -tree; done | grep -c '"KDX3"')
check "the second start added no tray icon ($icons in the tray)" [ "$icons" -eq 1 ]
kill -9 "$agent_pid"
wait "$agent_pid" 2>/dev/null
check "a killed agent leaves its rendezvous behind" [ -S "$XDG_RUNTIME_DIR/KaleidraAgent-${DISPLAY%.*}" ]

# 3. The tray icon: its menu on a right click, the window on a double click. The agent before
# was killed, so this start also finds its rendezvous left behind.
start_agent
check "a start over a killed agent's rendezvous reaches the tray" wait_for 100 icon_in_tray
icon=$(tray_icon)
xdotool mousemove --window "$icon" 10 10 click 3
check "a right click on the icon opens the tray menu" wait_for 30 menu_open
xdotool key Escape
check "the tray menu closes" wait_for 30 menu_closed
check "the window stays hidden meanwhile" window_hidden
xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 80 1
check "a double click on the icon shows the window" wait_for 50 window_shown
# A start in the tray builds the window only now; keep a picture to set beside the window of a
# start that shows it at once.
sleep 0.5
from_tray="$sandbox/opened-from-tray.png"
import -window "$(main_window)" "$from_tray" 2>/dev/null
# "Close", the tray menu's last item, ends the agent.
xdotool mousemove --window "$icon" 10 10 click 3
wait_for 30 menu_open
xdotool key Up Return
agent_ended() { ! kill -0 "$agent_pid" 2>/dev/null; }
check "the tray menu's Close ends the agent" wait_for 30 agent_ended
wait "$agent_pid"
status=$?
check "the agent ends with exit code 0 (got $status)" [ "$status" -eq 0 ]

# 4. "/nominimize" shows the window at start; keep a picture of it.
start_agent /nominimize
check "/nominimize shows the window at start" wait_for 100 window_shown
sleep 0.5
window=$(main_window)
if [ -n "$window" ] && import -window "$window" "$shot" 2>/dev/null; then
    echo "ok: picture of the main window saved to $shot"
else
    echo "FAILED: no picture of the main window"
    failures=$((failures + 1))
fi
# The same window, pixel for pixel but for a few (a caret, a focus mark): tool bar, side bar,
# title, status panel and status bar all there.
same_picture() { # same_picture A B: at most 1% of the pixels differ
    local differing size
    differing=$(compare -metric AE -fuzz 10% "$1" "$2" null: 2>&1) && differing=0
    size=$(identify -format '%[fx:w*h]' "$2")
    echo "  $differing of $size pixels differ"
    [[ $differing =~ ^[0-9]+$ ]] && [ "$differing" -le $((size / 100)) ]
}
check "the window opened from the tray looks as the window shown at start" same_picture "$from_tray" "$shot"

kill -9 "$agent_pid"
wait "$agent_pid" 2>/dev/null

# 5. A rendezvous that cannot be made (a runtime folder whose path is too long for a socket)
# leaves the agent unfindable, but it still runs.
long_runtime="$sandbox/$(printf 'r%.0s' $(seq 120))"
mkdir -m 700 "$long_runtime"
XDG_RUNTIME_DIR=$long_runtime start_agent /nominimize
check "an agent without a rendezvous still shows its window" wait_for 100 window_shown

echo "$failures failed"
[ "$failures" -eq 0 ]
