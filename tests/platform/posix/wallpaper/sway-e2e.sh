#!/usr/bin/env bash
# sway, headless (no X server at all, XWayland off), as an unprivileged user since sway refuses
# root: the real agent starts in the Wayland session, shows its window, and its rotation shows
# on sway's background change after change, although sway started with a background picture
# that was missing. Screenshots by grim.
# Usage: sway-e2e.sh KDX3 SHOTS_FOLDER
set -uo pipefail
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    KDX_OWN_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
agent=$1
shots=$2/wallpaper-sway
here=$(dirname "$0")
# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
# shellcheck source=rotation-watch.sh
source "$here/rotation-watch.sh"
rotation_world "$sandbox/install/KDX3"
# shellcheck source=sway-world.sh
source "$here/sway-world.sh"
# The background sway starts with names the bitmap's other name, which is not there yet; the
# agent's window floats in a corner, so the background stays in sight.
cat >"$sandbox/sway.conf" <<CONF
xwayland disable
output * bg "$windows/KAWalllpaper-2.bmp" fill
for_window [title="Kaleidra Agent"] floating enable, resize set 400 300, move position 0 0
CONF
start_sway 1 "$sandbox/sway.conf"
shoot() { (as_user grim "$1") 2>/dev/null; }
check "sway starts on its own background, the missing picture not shown" \
    wait_for 50 eval 'shoot "$sandbox/s.png" && ! [[ "$(colour_of "$sandbox/s.png" 1200 700)" =~ ^#(FF0000|0000FF)$ ]]'

as_user "$agent" /nominimize >"$sandbox/agent.log" 2>&1 &
pids+=("$!")
# grep reads to the end, so swaymsg is never ended by SIGPIPE (a miss under pipefail).
agent_window() { as_user swaymsg -t get_tree 2>/dev/null | grep '"name": "Kaleidra Agent"' >/dev/null; }
check "the agent shows its window on sway" wait_for 150 agent_window
screen_at shoot 1200 700
watch_rotation shows_on_screen "$shots"
window_drawn() { [[ ! "$(colour_of "$shots-blue.png" 200 150)" =~ ^#(FF0000|0000FF)$ ]]; }
check "the window is drawn over the background" window_drawn
check "the agent still runs" kill -0 "${pids[-1]}"
grep -q . "$sandbox/agent.log" && { echo "the agent said:"; cat "$sandbox/agent.log"; }

# The agent started without $SWAYSOCK or $XDG_CURRENT_DESKTOP, as a service manager starts it,
# twice (a restart): it finds sway's socket itself and hands sway the pictures, which show; it
# starts no swaybg of its own (which sway's background would hide, and which used to pile up by
# one a start), leaves at most one handed name beside the bitmap, and opens no error box.
# The swaybg programs of this session (sway's and the agent's alike run with its runtime folder);
# other tests on the machine may run their own.
swaybgs() {
    local pid n=0
    for pid in $(pgrep -x swaybg); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "XDG_RUNTIME_DIR=$XDG_RUNTIME_DIR" && n=$((n + 1))
    done
    echo "$n"
}
one_swaybg() { [ "$(swaybgs)" -eq 1 ]; }
agent_windows() { as_user swaymsg -t get_tree 2>/dev/null | grep -c '"name": "Kaleidra Agent"'; }
handed() { find "$windows" -maxdepth 1 -name 'KAWalllpaper-*.bmp' | wc -l; }
for run in 1 2; do
    kill "${pids[-1]}"
    wait "${pids[-1]}" 2>/dev/null
    (unset SWAYSOCK XDG_CURRENT_DESKTOP && as_user "$agent" /nominimize) >>"$sandbox/agent.log" 2>&1 &
    pids+=("$!")
    check "run $run without SWAYSOCK: the agent shows its window" wait_for 150 agent_window
    watch_rotation shows_on_screen "$shots-nosock$run" 3
    check "run $run: one swaybg, sway's own ($(swaybgs))" wait_for 20 one_swaybg
    check "run $run: one handed name beside the bitmap ($(handed))" [ "$(handed)" -le 1 ]
    check "run $run: no error box, only the window ($(agent_windows))" [ "$(agent_windows)" -eq 1 ]
done
exit $failures
