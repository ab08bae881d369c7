#!/usr/bin/env bash
# XFCE's own desktop, xfdesktop with xfconfd, on a display and a D-Bus session of its own: the
# real agent's rotation must show on it change after change, also when xfdesktop started while
# the bitmap and its folder were missing, and a desktop started afterwards shows the last one.
# Usage: xfce-e2e.sh KDX3 SHOTS_FOLDER
set -uo pipefail
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 640x480x24" dbus-run-session -- "$0" "$@"
fi
agent=$1
shots=$2/wallpaper-xfce
here=$(dirname "$0")
# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
# shellcheck source=rotation-watch.sh
source "$here/rotation-watch.sh"
rotation_world "$sandbox/install/KDX3"
export XDG_CURRENT_DESKTOP=XFCE
shoot() { import -window root "$1" 2>/dev/null; }

# xfdesktop sizes its window to the screen only under a window manager.
openbox --sm-disable >"$sandbox/openbox.log" 2>&1 &
pids+=("$!")
wait_for 50 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
# A panel's tray, as XFCE has one: the agent then starts in it, its window off the desktop.
start_tray
xfdesktop_pid=
start_xfdesktop() {
    xfdesktop --sm-client-disable >>"$sandbox/xfdesktop.log" 2>&1 &
    xfdesktop_pid=$!
    pids+=("$xfdesktop_pid")
}
backdrop=/backdrop/screen0/monitorscreen/workspace0

# The desktop last named a picture beside a bitmap that is not there, in a folder that is not
# there either: it starts on its own background and watches nothing.
xfconf-query -c xfce4-desktop -p "$backdrop/last-image" -n -t string -s "$windows/KAWalllpaper-1.bmp"
xfconf-query -c xfce4-desktop -p "$backdrop/image-style" -n -t int -s 5
start_xfdesktop
# grep reads to the end: quitting at the match would end xwininfo by SIGPIPE, and pipefail
# would then count the match as a miss (seen under load, for 30 s in a row).
desktop_window() { xwininfo -root -tree 2>/dev/null | grep '"Desktop": ("xfdesktop" "Xfdesktop")  640x480' >/dev/null; }
check "xfdesktop starts on its own background, the missing picture not shown" \
    eval 'wait_for 300 desktop_window && sleep 1 && shoot "$sandbox/s.png" &&
        ! [[ "$(colour_of "$sandbox/s.png" 320 240)" =~ ^#(FF0000|0000FF)$ ]]'

"$agent" &
pids+=("$!")
check "the agent starts in the tray" wait_for 100 icon_in_tray
screen_at shoot 320 240
watch_rotation shows_on_screen "$shots"

# A desktop started now shows the picture the agent last made.
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null
want=$(colour_of "$bitmap" 0 0)
kill "$xfdesktop_pid"
wait "$xfdesktop_pid" 2>/dev/null
start_xfdesktop
check "an xfdesktop started later shows the last picture ($(name_of "$want"))" \
    eval 'wait_for 300 desktop_window && screen_shows shoot 320 240 "$want" "$shots-restarted.png"'
# The agent again, with an xfconf-query that fails and a change every second: nothing on this
# desktop can show the pictures. The user is told once, in one box, while the rotation goes on
# behind it; at most one handed name lies beside the bitmap at any time (each change used to
# leave a full copy), and the desktop keeps showing the picture it has.
mkdir -p "$sandbox/failing"
printf '#!/bin/sh\nexit 1\n' >"$sandbox/failing/xfconf-query"
chmod +x "$sandbox/failing/xfconf-query"
sed -i 's/^Interval=3/Interval=1/' "$sandbox/install/KDX.ini"
# Looked at beside the box, which opens in the middle.
before=$(colour_of "$shots-restarted.png" 40 400)
handed() { find "$windows" -maxdepth 1 -name 'KAWalllpaper-*.bmp' | wc -l; }
boxes() { xdotool search --onlyvisible --name '^Kaleidra Agent$' 2>/dev/null | wc -l; }
PATH="$sandbox/failing:$PATH" "$agent" &
pids+=("$!")
# A change makes its new name before the desktop is asked (and drops it when nothing took it, a
# few milliseconds later), so one look may catch two names; two looks in a row may not.
most_handed=0 most_boxes=0 changes=0 last= before_n=0
for ((tick = 0; tick < 100; tick++)); do # 20 s
    now=$(stat -c "%i %z" "$bitmap" 2>/dev/null)
    [ -n "$now" ] && [ "$now" != "$last" ] && { changes=$((changes + 1)); last=$now; }
    n=$(handed)
    kept=$((n < before_n ? n : before_n))
    [ "$kept" -gt "$most_handed" ] && most_handed=$kept
    before_n=$n
    n=$(boxes)
    [ "$n" -gt "$most_boxes" ] && most_boxes=$n
    sleep 0.2
done
check "the failure is told in one box ($(boxes) open, at most $most_boxes)" \
    eval '[ "$(boxes)" -eq 1 ] && [ "$most_boxes" -eq 1 ]'
check "the rotation goes on while the box is open ($changes changes in 20 s)" [ "$changes" -ge 8 ]
check "never more than one handed name stays beside the bitmap (at most $most_handed)" [ "$most_handed" -le 1 ]
check "the desktop still shows its picture ($(name_of "$before"))" screen_shows shoot 40 400 "$before" "$shots-failing.png"
check "the agent still runs" kill -0 "${pids[-1]}"

[ $failures -gt 0 ] && { xwininfo -root -children; grep -v "^$" "$sandbox/xfdesktop.log" | tail -n 20; xfconf-query -c xfce4-desktop -lv; ls -la $windows; }
exit $failures
