#!/usr/bin/env bash
# Drives the real agent in a session that first has no tray at all, then a StatusNotifier host
# (xfce4-panel with only its status tray plugin), under the window manager openbox, on the X
# display it is given and on a session bus of its own.
# Usage: tray-e2e.sh KDX3
set -uo pipefail
agent=$1

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
# The panel's settings service is started by the bus, so the bus must be started in the sandbox.
export XDG_CACHE_HOME=$sandbox/cache NO_AT_BRIDGE=1
new_session_bus

# ICCCM state of the agent's main window: Normal, Iconic (on the task bar) or none (withdrawn).
window_state() { xprop -id "$1" WM_STATE 2>/dev/null | sed -n 's/.*window state: //p'; }
iconic() { [ "$(window_state "$window")" = Iconic ]; }
withdrawn() { [ -z "$(window_state "$window")" ]; }

openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
wait_for 50 wm_running

# 1. No tray at all: the window is shown at start, minimising leaves it on the task bar, and
# it comes back from there.
"$agent" &
agent_pid=$!
pids+=("$agent_pid")
check "without a tray the window is shown at start" wait_for 100 window_shown
window=$(main_window)
xdotool windowminimize "$window"
check "minimised without a tray it waits on the task bar" wait_for 30 iconic
sleep 0.5
check "and stays there" iconic
xdotool windowactivate "$window" 2>/dev/null
check "the task bar brings it back" wait_for 30 window_shown

# 2. A StatusNotifier host appears: the icon goes there, and the usual behaviour returns.
panel_xml=$XDG_CONFIG_HOME/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml
mkdir -p "$(dirname "$panel_xml")"
cat >"$panel_xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="26"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
XML
start_panel() {
    xfce4-panel --disable-wm-check >>"$sandbox/panel.log" 2>&1 &
    panel_pid=$!
    pids+=("$panel_pid")
}
# The status tray runs in a plugin window of its own, which widens as icons arrive.
tray_icon() {
    xdotool search --onlyvisible --classname wrapper-2.0 2>/dev/null | while read -r id; do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -ge 16 ] && echo "$id" && break
    done
}
icon_in_tray() { [ -n "$(tray_icon)" ]; }
items() {
    dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher /StatusNotifierWatcher \
        org.freedesktop.DBus.Properties.Get string:org.kde.StatusNotifierWatcher \
        string:RegisteredStatusNotifierItems 2>/dev/null | grep -c 'string "'
}
item_registered() { [ "$(items)" -ge 1 ]; }
click_icon() {
    local icon
    icon=$(tray_icon)
    xdotool mousemove --window "$icon" 12 12 click "${@:-1}"
}

start_panel
check "the agent's item registers with the StatusNotifier host that appeared" wait_for 150 item_registered
check "its icon shows in the panel's status tray" wait_for 50 icon_in_tray
xdotool windowminimize "$window"
check "minimising now hides the window in the tray" wait_for 30 withdrawn
click_icon
check "one click on the icon shows the window" wait_for 50 window_shown
check "the window is no longer minimised" [ "$(window_state "$window")" = Normal ]

# 3. The host restarts: the icon comes back, and still opens the window with one click.
xdotool windowminimize "$window"
wait_for 30 withdrawn
kill "$panel_pid"
wait "$panel_pid" 2>/dev/null
panel_gone() { ! icon_in_tray; }
wait_for 50 panel_gone
start_panel
check "the icon comes back when the host restarts" wait_for 150 icon_in_tray
check "the window stayed hidden meanwhile" window_hidden
click_icon
check "one click on the returned icon shows the window" wait_for 50 window_shown

# 4. A double click there is two activations: it still just shows the window.
xdotool windowminimize "$window"
wait_for 30 withdrawn
click_icon --repeat 2 --delay 80 1
check "a double click on the icon shows the window too" wait_for 50 window_shown

echo "$failures failed"
[ "$failures" -eq 0 ]
