#!/usr/bin/env bash
# The real agent's hot keys through KDE Plasma's global-shortcut service, the real kglobalaccel5
# of Debian's package on the X display it is given, in a session that says it is Plasma on
# Wayland (where the agent's own X grabs would not reach the desktop) and whose portal binds no
# keys: presses by xdotool show the window and start the companion screensaver; new letters
# from the preference dialog are bound in place of the old ones, an emptied one is removed, a
# restarted service gets the keys again, and the agent's end leaves none of them live. Then a
# portal that refuses the keys, as Plasma 5.27's does, hands them on to the service.
# Usage: kglobalaccel-e2e.sh KDX3
set -uo pipefail
agent=$1
here=$(cd "$(dirname "$0")" && pwd)

# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=KDE NO_AT_BRIDGE=1
# Qt would try a Wayland display first, which does not exist here.
export QT_QPA_PLATFORM=xcb
export XDG_DESKTOP_PORTAL_DIR=$sandbox/portals
mkdir -p "$XDG_DESKTOP_PORTAL_DIR"
stand_in_companion "$sandbox/install"
shortcuts=$XDG_CONFIG_HOME/kglobalshortcutsrc
stored() { grep -q "^$1" "$shortcuts" 2>/dev/null; }

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
start_tray
sleep 0.5

service_runs() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:org.kde.kglobalaccel | grep -q true
}
start_service() {
    kglobalaccel5 >>"$sandbox/kglobalaccel.log" 2>&1 &
    service_pid=$!
    pids+=("$service_pid")
    wait_for 100 service_runs
}
start_agent() {
    "$agent" 2>>"$sandbox/agent.log" &
    agent_pid=$!
    pids+=("$agent_pid")
}
component_active() {
    gdbus call --session -d org.kde.kglobalaccel -o /component/kaleidra_agent \
        -m org.kde.kglobalaccel.Component.isActive 2>/dev/null | grep -q true
}

# 1. The service runs: the agent's two actions are bound to the preference dialog's keys.
new_session_bus
start_service
check "kglobalaccel5 runs on the session bus" service_runs
start_agent
check "the agent starts in the tray" wait_for 100 icon_in_tray
check "its actions are stored with Ctrl+Alt+A and Ctrl+Alt+E" wait_for 50 eval 'stored "show=Ctrl+Alt+A," && stored "saver=Ctrl+Alt+E,"'
check "under the agent's name" stored "_k_friendly_name=Kaleidra Agent"
xdotool key ctrl+alt+e
check "Ctrl+Alt+E starts the companion screensaver" wait_for 50 started 1
check "the window stays hidden meanwhile" window_hidden
xdotool key ctrl+alt+a
check "Ctrl+Alt+A shows the window" wait_for 50 window_shown

# 2. New letters from the preference dialog replace the old ones; the dialog says how.
preferences Tab q Return
check "the preference dialog says that KDE binds the keys (${dialog_height:-no} px high)" \
    [ "${dialog_height:-0}" -gt 387 ]
check "the show action is bound to Ctrl+Alt+Q now" wait_for 50 stored "show=Ctrl+Alt+Q,"
hide_window
xdotool key ctrl+alt+a
sleep 0.5
check "the old key does nothing" window_hidden
xdotool key ctrl+alt+q
check "the new key shows the window" wait_for 50 window_shown

# 3. A service that restarts knows the actions but keeps them inactive: the agent binds them again.
kill "$service_pid"
wait "$service_pid" 2>/dev/null
start_service
hide_window
sleep 1
xdotool key ctrl+alt+q
check "after the service restarted, Ctrl+Alt+Q still shows the window" wait_for 50 window_shown

# 4. An emptied letter removes its action from the service.
preferences Tab Tab Tab Delete Return
check "the screensaver's action leaves the service's settings" wait_for 50 eval '! stored "saver="'
check "the show action stays" stored "show=Ctrl+Alt+Q,"
xdotool key ctrl+alt+e
sleep 0.5
check "Ctrl+Alt+E starts nothing now ($(saver_starts) starts)" started 1

# 5. The agent ends without its close sequence (the tray's Close): its keys are not left live.
check "the agent's component is active while it runs" component_active
hide_window
close_from_tray
agent_ended() { ! kill -0 "$agent_pid" 2>/dev/null; }
check "the tray's Close ends the agent" wait_for 50 agent_ended
wait "$agent_pid"
status=$?
check "with exit code 0 (got $status)" [ "$status" -eq 0 ]
check "and its actions are inactive" wait_for 30 eval '! component_active'
kill "$service_pid"
wait "$service_pid" 2>/dev/null

# 6. A portal that refuses the keys (Plasma 5.27's binds none): they go to the service instead.
new_session_bus
rm -f "$shortcuts"
start_service
cat >"$XDG_DESKTOP_PORTAL_DIR/kaleidratest.portal" <<'EOF2'
[portal]
DBusName=org.freedesktop.impl.portal.desktop.kaleidratest
Interfaces=org.freedesktop.impl.portal.GlobalShortcuts
UseIn=kaleidratest
EOF2
log=$sandbox/portal.log
/usr/bin/python3 "$here/portal-backend.py" org.freedesktop.impl.portal.desktop.kaleidratest "$log" refuse &
pids+=($!)
wait_for 100 grep -q ready "$log" 2>/dev/null
# The portal starts with the first call; the agent's probe waits for it only a few seconds.
portal_offers() {
    XDG_CURRENT_DESKTOP=kaleidratest:KDE gdbus call --session -d org.freedesktop.portal.Desktop \
        -o /org/freedesktop/portal/desktop -m org.freedesktop.DBus.Properties.Get \
        org.freedesktop.portal.GlobalShortcuts version >/dev/null 2>&1
}
dbus-update-activation-environment XDG_CURRENT_DESKTOP=kaleidratest:KDE XDG_DESKTOP_PORTAL_DIR
check "the portal offers GlobalShortcuts" wait_for 150 portal_offers
XDG_CURRENT_DESKTOP=kaleidratest:KDE start_agent
check "the portal is offered the keys and refuses them" wait_for 150 grep -q "^refused" "$log"
check "the service gets them instead" wait_for 50 stored "show=Ctrl+Alt+Q,"
xdotool key ctrl+alt+q
check "and Ctrl+Alt+Q shows the window" wait_for 50 window_shown

echo "$failures failed"
[ "$failures" -eq 0 ]
