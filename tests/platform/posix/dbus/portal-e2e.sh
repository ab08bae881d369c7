#!/usr/bin/env bash
# The real agent's hot keys in a Wayland session, where X key grabs do not reach the desktop:
# through the real xdg-desktop-portal with a GlobalShortcuts backend of the tests' own
# (portal-backend.py), in a session whose portal has none, and, where KDE Plasma is installed,
# with Plasma 5.27's own backend, which binds nothing. The preference dialog says that the keys
# cannot be global exactly where they are not. The agent's window shows on the X display it is
# given, as under XWayland; an XEmbed tray (trayer) holds its icon.
# Usage: portal-e2e.sh KDX3 [plasma]: the parts with the tests' own backend, or Plasma's part
# alone, which exits with 77 (counted as skipped) where Plasma's backend is not installed.
set -uo pipefail
agent=$1
part=${2:-own}
here=$(cd "$(dirname "$0")" && pwd)
kde_backend=/usr/lib/x86_64-linux-gnu/libexec/xdg-desktop-portal-kde
if [ "$part" = plasma ] && ! [ -x "$kde_backend" ]; then
    echo "skipped: KDE Plasma's portal backend is not installed"
    exit 77
fi

# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
export XDG_SESSION_TYPE=wayland XDG_CURRENT_DESKTOP=kaleidratest NO_AT_BRIDGE=1
# Qt would try a Wayland display first, which does not exist here.
export QT_QPA_PLATFORM=xcb
export XDG_DESKTOP_PORTAL_DIR=$sandbox/portals
mkdir -p "$XDG_DESKTOP_PORTAL_DIR"
stand_in_companion "$sandbox/install"

# The preference dialog's height: it grows by the note that the keys cannot be global here.
preference_height() {
    local id
    id=$(xdotool search --onlyvisible --name '^Preference$' 2>/dev/null | head -n 1)
    [ -n "$id" ] && eval "$(xdotool getwindowgeometry --shell "$id")" && echo "$HEIGHT"
}
plain_height=367
note_shown() { [ "$(preference_height)" -gt $((plain_height + 20)) ]; }
no_note() { [ "$(preference_height)" -eq "$plain_height" ]; }
# F2 in the window opens the preference dialog; a second start brings a hidden window up.
open_preferences() {
    window_shown || "$agent"
    wait_for 50 window_shown || return 1
    window=$(main_window)
    xdotool windowactivate --sync "$window" 2>/dev/null
    xdotool key F2
    wait_for 50 dialog_shown
}
close_preferences() {
    xdotool key Escape
    wait_for 30 dialog_gone
}

start_agent() {
    "$agent" &
    agent_pid=$!
    pids+=("$agent_pid")
}
stop_agent() {
    kill -9 "$agent_pid"
    wait "$agent_pid" 2>/dev/null
}

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
start_tray
sleep 0.5

# Each part has a session bus of its own, so that the portal reads its backends afresh.
if [ "$part" = own ]; then

# 0. An X11 session, for comparison: X key grabs, and the dialog has no note.
new_session_bus
XDG_SESSION_TYPE=x11 start_agent
check "in an X11 session the agent starts in the tray" wait_for 100 icon_in_tray
check "its preference dialog opens" open_preferences
check "and says nothing about the keys ($(preference_height) px high)" no_note
stop_agent

# 1. A portal without GlobalShortcuts, on a desktop with no shortcut service of its own: nothing
# is registered, so no X key grab either, and the dialog shows the commands to bind in the
# desktop's keyboard settings.
new_session_bus
start_agent
check "the agent starts in the tray" wait_for 100 icon_in_tray
xdotool key ctrl+alt+e
sleep 1
check "without a way to global keys, none is grabbed on X ($(saver_starts) starts)" [ "$(saver_starts)" -eq 0 ]
open_preferences
check "the preference dialog shows the commands for the desktop's own keys" note_shown
close_preferences
stop_agent

# 2. The portal offers GlobalShortcuts: the two keys are bound there, with the letters the
# preferences show, and their presses reach the same commands.
new_session_bus
cat >"$XDG_DESKTOP_PORTAL_DIR/kaleidratest.portal" <<'EOF2'
[portal]
DBusName=org.freedesktop.impl.portal.desktop.kaleidratest
Interfaces=org.freedesktop.impl.portal.GlobalShortcuts
UseIn=kaleidratest
EOF2
log=$sandbox/portal.log
/usr/bin/python3 "$here/portal-backend.py" org.freedesktop.impl.portal.desktop.kaleidratest "$log" &
pids+=($!)
backend_ready() { grep -q ready "$log" 2>/dev/null; }
wait_for 100 backend_ready
start_agent
bound() { grep -qx "bound $1" "$log"; }
check "the desktop is offered Ctrl+Alt+A and Ctrl+Alt+E" wait_for 150 bound "CTRL+ALT+a CTRL+ALT+e"
press() {
    dbus-send --session --print-reply --dest=org.freedesktop.impl.portal.desktop.kaleidratest \
        /org/freedesktop/portal/desktop org.kaleidra.Test.Press "string:$1" >/dev/null
}
press CTRL+ALT+e
check "the execute key starts the companion screensaver" wait_for 50 started 1
check "the window stays hidden meanwhile" window_hidden
press CTRL+ALT+a
check "the activate key shows the window" wait_for 50 window_shown

# 3. OK in the preferences without changes keeps the keys' session; new letters are bound in a
# new session, the old one closed.
check "F2 opens the preference dialog" open_preferences
said() { [ "$(preference_height)" -gt "$plain_height" ]; }
check "which says that the desktop binds the keys ($(preference_height) px high)" said
xdotool key Return
wait_for 30 dialog_gone
sleep 0.5
none_closed() { ! grep -q '^closed' "$log"; }
check "OK without changes offers the desktop nothing new" none_closed
open_preferences
xdotool key Tab q Return
check "the old keys are given back" wait_for 50 grep -qx "closed CTRL+ALT+a CTRL+ALT+e" "$log"
check "the new activate letter is bound with the execute key" wait_for 50 bound "CTRL+ALT+e CTRL+ALT+q"
xdotool windowminimize "$window"
wait_for 30 window_hidden
press CTRL+ALT+a
sleep 0.5
check "the old activate key does nothing now" window_hidden
press CTRL+ALT+q
check "the new activate key shows the window" wait_for 50 window_shown

stop_agent
fi

# 4. KDE Plasma 5.27's own backend (installed with Plasma, KDX_DESKTOPS=all) offers
# GlobalShortcuts but binds nothing: the agent takes that as no way there and goes on to the
# next (KDE's shortcut service, which the backend itself starts, else the lines), and says which.
if [ "$part" = plasma ]; then
    unset XDG_DESKTOP_PORTAL_DIR
    export XDG_CURRENT_DESKTOP=KDE
    # The backend itself is a program of an X11 session here.
    XDG_SESSION_TYPE=x11 new_session_bus
    answers=$sandbox/answers.log
    dbus-monitor --session "type='signal',interface='org.freedesktop.portal.Request',member='Response'" >"$answers" 2>&1 &
    pids+=($!)
    start_agent
    # CreateSession's answer, then BindShortcuts'.
    bind_answered() { [ "$(grep -c 'member=Response' "$answers")" -ge 2 ]; }
    check "Plasma's backend answers the binding" wait_for 300 bind_answered
    open_preferences
    check "where Plasma's portal binds nothing, the dialog says how the keys work instead" note_shown
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
