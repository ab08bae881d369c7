#!/usr/bin/env bash
# KDE Plasma's own plasmashell (with openbox) on a display and a D-Bus session of its own: every
# change of the real agent's rotation must reach Plasma's desktop containment as the picture it
# stores for its image wallpaper. plasmashell draws nothing under Xvfb here (its Qt Quick scene
# stays black), so what Plasma holds is read from its own settings file, not from the screen.
# Usage: plasma-e2e.sh KDX3 SHOTS_FOLDER
set -uo pipefail
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 640x480x24" dbus-run-session -- "$0" "$@"
fi
agent=$1
shots=$2/wallpaper-plasma
here=$(dirname "$0")
# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
# shellcheck source=rotation-watch.sh
source "$here/rotation-watch.sh"
rotation_world "$sandbox/install/KDX3"
export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QUICK_BACKEND=software

openbox --sm-disable >"$sandbox/openbox.log" 2>&1 &
pids+=("$!")
plasmashell --no-respawn >"$sandbox/plasmashell.log" 2>&1 &
pids+=("$!")
# Up once it has its desktop containment (before, the agent's script fails and says so).
on_bus() {
    dbus-send --session --print-reply --dest=org.kde.plasmashell /PlasmaShell org.kde.PlasmaShell.evaluateScript \
        "string:if (desktops().length == 0) throw new Error('not yet');" >/dev/null 2>&1
}
start=$SECONDS
if ! wait_for 1200 on_bus; then
    echo "FAILED: plasmashell did not start"
    tail -n 20 "$sandbox/plasmashell.log"
    exit 1
fi
echo "(plasmashell took $((SECONDS - start)) s to start)"

appletsrc=$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc
# shellcheck disable=SC2317 # called through watch_rotation
stored_by_plasma() {
    local image
    image=$(grep -a '^Image=' "$appletsrc" 2>/dev/null | tail -n 1 | sed 's|^Image=file://||')
    image=$(printf '%b' "${image//%/\\x}") # the URI's path is percent-encoded
    [ -n "$image" ] && [ "$(colour_of "$image" 0 0)" = "$1" ] && grep -q '^FillMode=0' "$appletsrc"
}
"$agent" &
pids+=("$!")
watch_rotation stored_by_plasma "$shots" 3 || { grep -a -A3 "Wallpaper\]" "$appletsrc"; ls -la "$windows"; tail -n 5 "$sandbox/plasmashell.log"; }
exit $failures
