# Sourced by the scripts that run the real agent (the end-to-end tests and bench/): a sandbox
# folder, removed at exit after the programs whose ids are in $pids are ended, the agent's
# private world in it, and the checks the tests make.

sandbox=$(mktemp -d)
pids=()
failures=0
buses=()
cleanup() {
    # Quietly: the shell would report each killed program.
    {
        for bus in "${buses[@]}"; do
            end_bus_clients "$bus"
        done
        for pid in "${pids[@]}"; do
            kill -9 "$pid" && wait "$pid"
        done
        wait
    } 2>/dev/null || true
    chmod -R u+w "$sandbox" 2>/dev/null || true
    rm -rf "$sandbox"
}
trap cleanup EXIT

# agent_world PROGRAM_FILE: the agent's settings, registry stand-in and rendezvous live in the
# sandbox, and it takes PROGRAM_FILE's folder for its program folder.
agent_world() {
    mkdir -p "$sandbox/config" "$sandbox/data" "$sandbox/runtime" "$(dirname "$1")"
    chmod 700 "$sandbox/runtime"
    export HOME=$sandbox XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data
    export XDG_RUNTIME_DIR=$sandbox/runtime KALEIDRA_PROGRAM_FILE=$1
    # An X11 session, whatever session the tests were started from.
    unset WAYLAND_DISPLAY
    export XDG_SESSION_TYPE=x11
}

# A session bus of its own, for the programs started from here on; it ends with the test, and
# so do the services it started (portals and their backends outlive their bus otherwise, and
# stay on the display for the tests that follow).
new_session_bus() {
    local bus
    bus=$(dbus-daemon --session --fork --print-address=1 --print-pid=1) || exit 1
    export DBUS_SESSION_BUS_ADDRESS=${bus%%$'\n'*}
    pids+=("${bus##*$'\n'}")
    buses+=("$DBUS_SESSION_BUS_ADDRESS")
}

# end_bus_clients ADDRESS: ends the programs connected to that bus, this shell aside.
end_bus_clients() {
    local name pid
    for name in $(dbus-send --bus="$1" --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.ListNames |
        awk -F'"' '/string ":/ { print $2 }'); do
        pid=$(dbus-send --bus="$1" --print-reply --dest=org.freedesktop.DBus / \
            org.freedesktop.DBus.GetConnectionUnixProcessID "string:$name" | awk '/uint32/ { print $2 }')
        [ -n "$pid" ] && [ "$pid" != $$ ] && kill "$pid"
    done
}

# The agent's main window when it is shown (its other windows are smaller: the tray icon, menus,
# dialogs).
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname KDX3 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -ge 600 ] && [ "$HEIGHT" -ge 400 ] && echo "$id" && return 0
    done
    return 1
}
window_shown() { [ -n "$(main_window)" ]; }
window_hidden() { [ -z "$(main_window)" ]; }

check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}

wait_for() { # wait_for TENTHS COMMAND...: polls until the command succeeds
    local tries=$1
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}

# An XEmbed tray (trayer) in the screen's top right corner, as a desktop's panel holds one; its
# pid in $tray_pid.
start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 --transparent false &
    tray_pid=$!
    pids+=("$tray_pid")
}
# The agent's tray icon: the window of the program named $tray_icon_owner (the agent, KDX3, by
# default) that the tray's panel holds.
tray_icon() {
    local panel
    for panel in $(xdotool search --class trayer 2>/dev/null); do
        xwininfo -id "$panel" -tree 2>/dev/null |
            awk -v owner="\"${tray_icon_owner:-KDX3}\"" 'index($0, owner) { print $1; exit }'
    done | head -n 1
}
icon_in_tray() { [ -n "$(tray_icon)" ]; }

# stand_in_companion FOLDER: a companion screensaver there that leaves a mark each time it is
# started; saver_starts counts the marks, started N says whether there are N.
stand_in_companion() {
    printf '#!/bin/sh\necho started >>"%s"\n' "$sandbox/saver-started" >"$1/KDXSaver.SCR"
    chmod +x "$1/KDXSaver.SCR"
}
saver_starts() { [ -f "$sandbox/saver-started" ] && wc -l <"$sandbox/saver-started" || echo 0; }
started() { [ "$(saver_starts)" -eq "$1" ]; }

# The agent's main window minimised, which hides it to the tray.
hide_window() {
    xdotool windowminimize "$(main_window)"
    wait_for 30 window_hidden
}
# The tray menu's last item, Close, which ends the agent without its close sequence.
close_from_tray() {
    xdotool mousemove --window "$(tray_icon)" 10 10 click 3
    sleep 0.5
    xdotool key Up Return
}

# The preference dialog.
dialog_shown() { xdotool search --onlyvisible --name '^Preference$' >/dev/null 2>&1; }
dialog_gone() { ! dialog_shown; }
# preferences KEYS...: F2 in the agent's window (a start of $agent shows it), then the keys typed
# into the dialog, whose focus starts on its first check box (Tab goes to the activate box, the
# next check box, the execute box, then what the dialog says about the keys). The dialog's
# height in $dialog_height; a picture of it in $shot when that names a file.
preferences() {
    window_shown || "$agent"
    wait_for 50 window_shown || return 1
    xdotool windowactivate --sync "$(main_window)" 2>/dev/null
    xdotool key F2
    wait_for 50 dialog_shown || return 1
    local id HEIGHT=
    id=$(xdotool search --onlyvisible --name '^Preference$' | head -n 1)
    eval "$(xdotool getwindowgeometry --shell "$id")"
    dialog_height=$HEIGHT
    [ -n "${shot:-}" ] && import -window "$id" "$shot" 2>/dev/null
    xdotool key "$@"
    wait_for 30 dialog_gone
}
