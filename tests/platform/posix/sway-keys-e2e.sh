#!/usr/bin/env bash
# sway binds no keys for programs: in its session (headless, no X server at all, as an
# unprivileged user since sway refuses root) the real agent's preference dialog shows the lines of
# sway's configuration for its keys, and its Copy button puts them on the clipboard. Taken from
# there into sway's configuration, sway accepts them, and a key pressed runs the agent's switch,
# which reaches the running agent: the companion screensaver starts.
# Usage: sway-keys-e2e.sh KDX3 SHOTS_FOLDER
set -uo pipefail
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    KDX_OWN_SESSION=1 exec dbus-run-session -- "$0" "$@"
fi
built=$1
shots=$2
here=$(dirname "$0")
# shellcheck source=../../support/agent-world.sh
source "$here/../../support/agent-world.sh"
# In a folder whose name has a blank, which the lines must quote.
folder="$sandbox/Kaleidra Agent"
agent_world "$folder/KDX3"
agent=$folder/KDX3
ln -s "$built" "$agent"
stand_in_companion "$folder"
# shellcheck source=wallpaper/sway-world.sh
source "$here/wallpaper/sway-world.sh"
config=$sandbox/sway.conf
printf 'xwayland disable\n' >"$config"
chown "$user" "$config"
start_sway 1 "$config"
# Headless sway has no keyboard: each wtype brings one and takes it away again, and the agent
# meets a keyboard only after its first keys are gone. One that stays, as a user's does.
(as_user wtype -s 600000) 2>/dev/null &
pids+=("$!")
(as_user "$agent" /nominimize) >"$sandbox/agent.log" 2>&1 &
pids+=("$!")
# grep reads to the end, so swaymsg is never ended by SIGPIPE (a miss under pipefail).
window() { (as_user swaymsg -t get_tree) 2>/dev/null | grep "\"name\": \"$1\"" >/dev/null; }
check "the agent shows its window on sway" wait_for 150 window "Kaleidra Agent"
type_keys() { (as_user wtype "$@") 2>>"$sandbox/wtype.log"; }
sleep 1
type_keys -k F2
check "F2 opens the preference dialog" wait_for 50 window Preference
sleep 0.5
(as_user grim "$sandbox/dialog.png") 2>/dev/null && cp "$sandbox/dialog.png" "$shots/sway-preference-dialog.png"
type_keys -M alt c -m alt # its Copy button
sleep 0.5
lines=$( (as_user wl-paste --no-newline) 2>/dev/null)
quoted="'$folder/KDX3'"
check "Copy puts sway's lines on the clipboard: $lines" [ "$lines" = "bindsym Ctrl+Mod1+a exec $quoted /show
bindsym Ctrl+Mod1+e exec $quoted /saver" ]
type_keys -k Escape
check "Escape closes the dialog" wait_for 50 eval '! window Preference'

# The user adds the lines to sway's configuration and reloads it.
printf '%s\n' "$lines" >>"$config"
check "sway takes the configuration with them" eval \
    '(WLR_BACKENDS=headless WLR_RENDERER=pixman as_user sway -C -c "$config") >"$sandbox/check.log" 2>&1'
(as_user swaymsg reload) >/dev/null 2>&1
sleep 0.5
type_keys -M ctrl -M alt e -m alt -m ctrl
check "Ctrl+Alt+E pressed in sway starts the companion screensaver through the agent" wait_for 50 started 1
grep -q . "$sandbox/check.log" 2>/dev/null && [ "$failures" -gt 0 ] && cat "$sandbox/check.log"
[ "$failures" -gt 0 ] && tail -n 5 "$sandbox/wtype.log" "$sandbox/agent.log"
exit $failures
