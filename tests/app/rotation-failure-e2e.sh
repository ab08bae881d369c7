#!/usr/bin/env bash
# The real agent with a wallpaper list whose only picture is missing, "Hour" and a stamp two
# hours old, on the X display it is given: the failed change is reported once, and once its box
# is closed no other comes for the rest of the hour (the rotation used to try again, and report
# again, every second).
# Usage: rotation-failure-e2e.sh KDX3
set -uo pipefail
agent=$1

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
export XDG_CURRENT_DESKTOP=none
stamp=$(date -d '2 hours ago' '+%Y-%m-%d %H:%M:%S')
printf '[PaperList]\r\n0=%s\r\n[Wallpaper]\r\nCycle=0\r\nActivate=1\r\nPrevChange=%s\r\n' \
    "$sandbox/pics/gone.jpg" "$stamp" >"$sandbox/install/KDX.ini"

# The error boxes are the agent's visible windows: its main window stays hidden in the tray.
boxes() { xdotool search --onlyvisible --name '^Kaleidra Agent$' 2>/dev/null; }
no_box() { [ -z "$(boxes)" ]; }

# A tray for the agent to start in; the error boxes are then its only visible windows.
start_tray
"$agent" &
pid=$!
pids+=("$pid")
check "the failed change is reported" wait_for 100 eval '! no_box'
first=$(boxes | head -n 1)
xdotool windowfocus --sync "$first" 2>/dev/null
xdotool key Return
check "its box closes" wait_for 50 no_box
sleep 5
check "no other report follows within 5 s" no_box
check "the stamp is that of the last change made" grep -q "PrevChange=$stamp" "$sandbox/install/KDX.ini"
kill -0 "$pid" 2>/dev/null || {
    echo "FAILED: the agent ended"
    failures=$((failures + 1))
}
exit $failures
