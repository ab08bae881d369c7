#!/usr/bin/env bash
# The real agent's hot keys as GNOME's custom keyboard shortcuts, in dconf of a D-Bus session of
# its own, beside a custom shortcut of the user's own.
#   gnome-shortcuts-e2e.sh KDX3 dconf
#     The agent in a GNOME Wayland session without the portal's GlobalShortcuts, its window on the
#     X display it is given: nothing is written until the user ticks the preference dialog's box;
#     then the agent's two shortcuts run its switches, follow the dialog's letters and a letter
#     edited by hand, leave when a letter is emptied or the box unticked, and the user's own
#     shortcut stays exactly as it was. Each command is run as GNOME runs it.
#   gnome-shortcuts-e2e.sh KDX3 shell
#     gnome-shell --headless with GNOME's media-keys daemon, keys pressed through Mutter's remote
#     desktop: the agent's shortcut starts the companion screensaver, the user's own still works.
set -uo pipefail
# A display of its own (none for gnome-shell); the session bus is made below, so that the
# services it starts end with the test.
if [ -z "${KDX_OWN_SESSION:-}" ] && [ "$2" = dconf ]; then
    KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 1024x768x24" "$0" "$@"
fi
built=$1
mode=$2
shots=${3:-}
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
# The agent as an installed copy in a folder whose name has a blank, which its commands must quote.
folder="$sandbox/Kaleidra Agent"
agent_world "$folder/KDX3"
agent=$folder/KDX3
ln -s "$built" "$agent"
export XDG_CACHE_HOME=$sandbox/cache XDG_CURRENT_DESKTOP=GNOME XDG_SESSION_TYPE=wayland NO_AT_BRIDGE=1
export XDG_DESKTOP_PORTAL_DIR=$sandbox/portals # a portal without GlobalShortcuts (GNOME 46 and older)
mkdir -p "$XDG_DESKTOP_PORTAL_DIR"
new_session_bus
# dconf-service, started by the bus, keeps its database in the sandbox too.
dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR \
    XDG_CURRENT_DESKTOP XDG_SESSION_TYPE
stand_in_companion "$folder"

list_schema=org.gnome.settings-daemon.plugins.media-keys
entry_schema=$list_schema.custom-keybinding
base=/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings
list() { gsettings get $list_schema custom-keybindings; }
entry() { gsettings get "$entry_schema:$base/kaleidra-agent-$1/" "$2"; }
# The user's own shortcut, made as GNOME Settings makes one.
user_mark=$sandbox/user-shortcut
gsettings set "$entry_schema:$base/custom0/" name "'Mark'"
gsettings set "$entry_schema:$base/custom0/" command "'sh -c \"echo pressed >>$user_mark\"'"
gsettings set "$entry_schema:$base/custom0/" binding "'<Super>t'"
gsettings set $list_schema custom-keybindings "['$base/custom0/']"
users_own() { gsettings list-recursively "$entry_schema:$base/custom0/"; }
own_before=$(users_own)
only_users=$(list)
# Runs an entry's command as GNOME's settings daemon does: the text split by GLib's shell rules,
# the program started with those arguments.
run_entry() {
    /usr/bin/python3 -c '
import subprocess, sys
from gi.repository import GLib
command = GLib.Variant.parse(None, sys.argv[1], None, None).get_string()
subprocess.run(GLib.shell_parse_argv(command)[1], check=True)' "$(entry "$1" command)"
}

if [ "$mode" = shell ]; then
    # gnome-shell wants a system bus; a private one stands in.
    DBUS_SYSTEM_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$sandbox/system-bus.pid")
    export DBUS_SYSTEM_BUS_ADDRESS
    pids+=("$(cat "$sandbox/system-bus.pid")")
    unset DISPLAY
    owner() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
        -m org.freedesktop.DBus.NameHasOwner "$1" 2>/dev/null | grep -q true; }
    gnome-shell --headless --virtual-monitor 640x480 >"$sandbox/gnome-shell.log" 2>&1 &
    pids+=("$!")
    check "gnome-shell starts" wait_for 600 eval '[ -S "$XDG_RUNTIME_DIR/wayland-0" ] && owner org.gnome.Shell'
    export WAYLAND_DISPLAY=wayland-0
    GDK_BACKEND=wayland /usr/libexec/gsd-media-keys >"$sandbox/gsd.log" 2>&1 &
    pids+=("$!")
    check "its media-keys daemon runs" wait_for 300 owner org.gnome.SettingsDaemon.MediaKeys
    # The leave given in an earlier run: the agent's entry is there, with a key of its own.
    gsettings set "$entry_schema:$base/kaleidra-agent-saver/" binding "'<Control><Alt>q'"
    gsettings set $list_schema custom-keybindings "['$base/custom0/', '$base/kaleidra-agent-saver/']"
    "$agent" >"$sandbox/agent.log" 2>&1 &
    pids+=("$!")
    check "the agent keeps its entry in step with its keys" wait_for 100 eval \
        '[ "$(entry saver binding)" = "'"'"'<Control><Alt>e'"'"'" ]'
    press() { /usr/bin/python3 "$here/mutter-press.py" "$@" 2>>"$sandbox/press.log"; }
    # The daemon grabs a changed key in the shell a moment after the change.
    pressed_until_started() {
        local try
        for try in 1 2 3 4 5; do
            press 0xffe3 0xffe9 0x65 # Control_L Alt_L e
            wait_for 20 started 1 && return 0
        done
        return 1
    }
    check "Ctrl+Alt+E pressed in gnome-shell starts the companion screensaver" pressed_until_started
    press 0xffe3 0xffe9 0x71
    sleep 1
    check "the key the entry had before does nothing now" started 1
    press 0xffeb 0x74 # Super_L t
    check "the user's own shortcut still works" wait_for 50 test -s "$user_mark"
    [ "$failures" -gt 0 ] && tail -n 20 "$sandbox/gsd.log" "$sandbox/agent.log"
    exit $failures
fi

# The agent's window on the X display, as under XWayland; Qt would try a Wayland display first.
# Qt 6.4's GNOME theme drops the Space and Return that xdotool sends to a dialog (Tab and letters
# arrive): Qt's plain theme here, which changes nothing the test looks at.
export QT_QPA_PLATFORM=xcb QT_QPA_PLATFORMTHEME=generic
openbox --sm-disable >/dev/null 2>&1 &
pids+=($!)
start_tray
sleep 0.5
start_agent() {
    "$agent" 2>>"$sandbox/agent.log" &
    agent_pid=$!
    pids+=("$agent_pid")
}
close_agent() {
    close_from_tray
    wait_for 50 eval '! kill -0 "$agent_pid" 2>/dev/null'
}

# 1. Without the user's leave nothing is written.
start_agent
check "the agent starts in the tray" wait_for 100 icon_in_tray
sleep 1
check "the custom shortcuts are the user's alone: $(list)" [ "$(list)" = "$only_users" ]
shot=$shots/gnome-shortcuts-dialog.png
preferences Tab Tab Tab Tab space Return
shot=
check "the preference dialog says how the keys work here and asks ($dialog_height px high)" [ "$dialog_height" -gt 400 ]

# 2. With it the agent's two entries run its switches.
ours="'$base/custom0/', '$base/kaleidra-agent-show/', '$base/kaleidra-agent-saver/'"
check "ticking the box and OK add the agent's entries after the user's: $(list)" \
    wait_for 50 eval '[ "$(list)" = "[$ours]" ]'
check "named as the agent's: $(entry show name)" [ "$(entry show name)" = "'Kaleidra Agent: Show the window'" ]
check "bound to Ctrl+Alt+A and Ctrl+Alt+E" \
    eval '[ "$(entry show binding)" = "'"'"'<Control><Alt>a'"'"'" ] && [ "$(entry saver binding)" = "'"'"'<Control><Alt>e'"'"'" ]'
check "running the agent's switches: $(entry saver command)" \
    [ "$(entry saver command)" = "\"'$folder/KDX3' /saver\"" ]
run_entry saver
check "the screensaver's command reaches the agent and starts the companion" wait_for 50 started 1
hide_window
run_entry show
check "the window's command shows the window" wait_for 50 window_shown

# 3. New letters follow, from the dialog and from the settings file edited by hand.
preferences Tab w Return
check "a new letter from the dialog changes the entry's key" \
    wait_for 50 eval '[ "$(entry show binding)" = "'"'"'<Control><Alt>w'"'"'" ]'
check "and nothing else: $(list)" [ "$(list)" = "[$ours]" ]
close_agent
check "the entries outlive the agent" [ "$(list)" = "[$ours]" ]
sed -i 's/^ExecuteHotKey=.*/ExecuteHotKey=Z\r/' "$folder/KDX.ini"
start_agent
check "a letter edited by hand is in the entry at the next start" \
    wait_for 100 eval '[ "$(entry saver binding)" = "'"'"'<Control><Alt>z'"'"'" ]'

# 4. An entry the user takes out in GNOME's settings stays out at the next start, until the
# dialog's OK with the box ticked gives the leave again.
close_agent
gsettings set $list_schema custom-keybindings "['$base/custom0/', '$base/kaleidra-agent-show/']"
start_agent
check "the agent starts again" wait_for 100 icon_in_tray
sleep 1
check "an entry the user took out stays out: $(list)" \
    [ "$(list)" = "['$base/custom0/', '$base/kaleidra-agent-show/']" ]
check "the other is kept in step" [ "$(entry show binding)" = "'<Control><Alt>w'" ]
preferences Return
check "OK with the box ticked brings it back" wait_for 50 eval '[ "$(list)" = "[$ours]" ]'

# 5. An emptied letter removes its entry; the unticked box removes both, and the user's own
# shortcut is exactly as it was.
preferences Tab Delete Return
check "emptying the activate letter removes its entry: $(list)" \
    wait_for 50 eval '[ "$(list)" = "['"'"'$base/custom0/'"'"', '"'"'$base/kaleidra-agent-saver/'"'"']" ]'
check "and its keys" [ "$(entry show binding)" = "''" ]
preferences Tab Tab Tab Tab space Return
check "unticking the box removes the agent's entries: $(list)" wait_for 50 eval '[ "$(list)" = "$only_users" ]'
check "and their keys" [ "$(entry saver command)" = "''" ]
check "the user's own shortcut is exactly as it was" [ "$(users_own)" = "$own_before" ]
close_agent
exit $failures
