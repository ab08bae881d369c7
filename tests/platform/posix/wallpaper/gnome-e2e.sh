#!/usr/bin/env bash
# GNOME and its relatives through dconf, each in a D-Bus session of its own.
#   gnome-e2e.sh KDX3 SHOTS_FOLDER dconf
#     dconf-service with `gsettings monitor`: every change of the real agent's rotation must be
#     signalled, on GNOME's schema (and on Cinnamon's and MATE's where they are installed).
#   gnome-e2e.sh KDX3 SHOTS_FOLDER shell DBUS_TOOL
#     gnome-shell --headless, which started while the picture it names was missing, with the
#     agent in its Wayland session: its screenshots must show the rotation change after change,
#     and a gnome-shell started afterwards the last picture.
set -uo pipefail
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 640x480x24" dbus-run-session -- "$0" "$@"
fi
agent=$1
shots=$2/wallpaper-gnome
mode=$3
here=$(dirname "$0")
# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
# shellcheck source=rotation-watch.sh
source "$here/rotation-watch.sh"
rotation_world "$sandbox/install/KDX3"

# signalled SCHEMA KEY DESKTOP CHANGES: the agent's changes on DESKTOP, each signalled by dconf
# with a picture of the bitmap's colour.
signalled() {
    local schema=$1 key=$2
    : >"$sandbox/monitor.txt"
    gsettings monitor "$schema" "$key" >"$sandbox/monitor.txt" 2>&1 &
    local monitor=$!
    pids+=("$monitor")
    sleep 0.5
    lines=0
    # shellcheck disable=SC2317 # called through watch_rotation
    shows_in_dconf() {
        local n value
        n=$(grep -c . "$sandbox/monitor.txt")
        [ "$n" -gt "$lines" ] || return 1
        value=$(tail -n 1 "$sandbox/monitor.txt" | sed -E "s/^[^']*'(file:\/\/)?([^']*)'.*/\2/")
        # A URI's path is percent-encoded (the session's display in the handed name: "%3A0").
        value=$(printf '%b' "${value//%/\\x}")
        [ "$(colour_of "$value" 0 0)" = "$1" ] || return 1
        lines=$n
    }
    rm -f "$bitmap" # the one left by the desktop before is no change of this one
    XDG_CURRENT_DESKTOP=$3 "$agent" &
    local agent_pid=$!
    pids+=("$agent_pid")
    echo "$3:"
    watch_rotation shows_in_dconf "$shots" "$4" || cat "$sandbox/monitor.txt"
    kill "$agent_pid" "$monitor"
    wait "$agent_pid" "$monitor" 2>/dev/null
}

if [ "$mode" = dconf ]; then
    signalled org.gnome.desktop.background picture-uri GNOME 5
    for desktop in "org.cinnamon.desktop.background picture-uri X-Cinnamon" "org.mate.background picture-filename MATE"; do
        read -r schema key name <<<"$desktop"
        if gsettings list-keys "$schema" >/dev/null 2>&1; then
            signalled "$schema" "$key" "$name" 3
        else
            echo "($name's schema is not installed here: not tried)"
        fi
    done
    exit $failures
fi

# gnome-shell starts in its overview, whose middle shows the desktop's background: the
# screenshots are read there. gnome-shell wants a system bus; a private one stands in.
DBUS_SYSTEM_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$sandbox/system-bus.pid")
export DBUS_SYSTEM_BUS_ADDRESS
pids+=("$(cat "$sandbox/system-bus.pid")")
tool=$4
export XDG_CURRENT_DESKTOP=GNOME
gsettings set org.gnome.desktop.background picture-uri "file://$windows/KAWalllpaper-2.bmp"
shell_pid=
start_shell() {
    gnome-shell --headless --virtual-monitor 640x480 >>"$sandbox/gnome-shell.log" 2>&1 &
    shell_pid=$!
    pids+=("$shell_pid")
    wait_for 600 "$tool" gnome-screenshot "$sandbox/first.png" 2>/dev/null
}
shoot() { "$tool" gnome-screenshot "$1" 2>/dev/null; }
start=$SECONDS
check "gnome-shell starts on its own background, the missing picture not shown" \
    eval 'start_shell && ! [[ "$(colour_of "$sandbox/first.png" 320 250)" =~ ^#(FF0000|0000FF)$ ]]'
echo "(gnome-shell took $((SECONDS - start)) s to start)"

(unset DISPLAY && WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland exec "$agent") >"$sandbox/agent.log" 2>&1 &
pids+=("$!")
# A stock GNOME has no tray, so the agent shows its window, which fills the overview's middle;
# the next workspace's edge on the right shows the background.
screen_at shoot 610 250
watch_rotation shows_on_screen "$shots"
kill "${pids[-1]}"
wait "${pids[-1]}" 2>/dev/null
want=$(colour_of "$bitmap" 0 0)
kill "$shell_pid"
wait "$shell_pid" 2>/dev/null
check "a gnome-shell started later shows the last picture ($(name_of "$want"))" \
    eval 'start_shell && screen_shows shoot 320 250 "$want" "$shots-restarted.png"'
exit $failures
