#!/usr/bin/env bash
# The real agent under other programs' control, on XFCE's own desktop (xfdesktop with xfconfd
# and openbox) with a tray, on a display and a D-Bus session of its own: each command-line switch
# reaches the running agent (Next Wallpaper changes the picture xfdesktop shows), the status
# answers, the agent's service on the session bus does the same with gdbus, tells of each change
# and is owned by one agent only; a switch without an agent, and one the agent does not know,
# change nothing.
# Usage: control-e2e.sh KDX3 SHOTS_FOLDER INTERFACE_XML
set -uo pipefail
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 640x480x24" dbus-run-session -- "$0" "$@"
fi
agent=$1
shots=$2/control
xml=$3
here=$(dirname "$0")
# shellcheck source=../support/agent-world.sh
source "$here/../support/agent-world.sh"
# shellcheck source=../platform/posix/wallpaper/rotation-watch.sh
source "$here/../platform/posix/wallpaper/rotation-watch.sh"
agent_world "$sandbox/install/KDX3"
export XDG_CURRENT_DESKTOP=XFCE XDG_CACHE_HOME=$sandbox/cache
dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR
mkdir -p "$sandbox/pics" "$sandbox/bin"
convert -size 64x48 xc:'#ff0000' "BMP3:$sandbox/pics/red.bmp"
convert -size 64x48 xc:'#0000ff' "BMP3:$sandbox/pics/blue.bmp"
# The rotation is off: only the commands change the wallpaper.
printf '[PaperList]\r\n0=%s\r\n1=%s\r\n[SaverList]\r\n0=/s/a.scr\r\n[Wallpaper]\r\nStyle=2\r\nActivate=0\r\n' \
    "$sandbox/pics/red.bmp" "$sandbox/pics/blue.bmp" >"$sandbox/install/KDX.ini"
bitmap=$XDG_DATA_HOME/kaleidra-agent/KAWalllpaper.bmp
stand_in_companion "$sandbox/install"
shoot() { import -window root "$1" 2>/dev/null; }
screen_colour() { shoot "$sandbox/s.png" && colour_of "$sandbox/s.png" 320 400; }
name=com.tembrix.KaleidraAgent
path=/com/tembrix/KaleidraAgent
call() { gdbus call --session -d $name -o $path -m "com.tembrix.KaleidraAgent1.$1" "${@:2}"; }

openbox --sm-disable >"$sandbox/openbox.log" 2>&1 &
pids+=("$!")
wait_for 50 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
start_tray
xfdesktop --sm-client-disable >"$sandbox/xfdesktop.log" 2>&1 &
pids+=("$!")
desktop_window() { xwininfo -root -tree 2>/dev/null | awk '/"Desktop": \("xfdesktop"/ { print $1; exit }'; }
check "xfdesktop shows its desktop" wait_for 300 eval '[ -n "$(desktop_window)" ]'
sleep 1
before=$(screen_colour)

# 1. No agent runs: a switch says so, changes nothing and ends with 1; the list of switches and
# a refused switch start no agent either.
out=$("$agent" /nextwallpaper 2>&1)
status=$?
check "without an agent, /nextwallpaper ends with 1 (got $status)" [ "$status" -eq 1 ]
check "and says that no agent runs: $out" grep -q "not running" <<<"$out"
check "and makes no wallpaper" [ ! -e "$bitmap" ]
out=$("$agent" /? 2>/dev/null)
status=$?
check "/? lists the switches and ends with 0 (got $status)" \
    eval '[ "$status" -eq 0 ] && grep -q "/nextwallpaper" <<<"$out" && grep -q "/cleardesktop" <<<"$out"'
check "--help lists them too" eval '"$agent" --help | grep -q "/status"'
out=$("$agent" /bogus 2>&1)
status=$?
check "an unknown switch is refused with 2 (got $status): $out" \
    eval '[ "$status" -eq 2 ] && grep -q "unknown switch \"/bogus\"" <<<"$out"'
check "and is not taken for a start: no agent runs" eval '! ls "$XDG_RUNTIME_DIR"/KaleidraAgent* >/dev/null 2>&1'

# 2. The agent starts in the tray; each switch reaches it.
"$agent" 2>"$sandbox/agent.log" &
agent_pid=$!
pids+=("$agent_pid")
check "the agent starts in the tray" wait_for 100 icon_in_tray
owned() { gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus -m org.freedesktop.DBus.NameHasOwner $name | grep -q true; }
check "and owns $name on the session bus" wait_for 50 owned
gdbus monitor --session -d $name >"$sandbox/monitor.txt" 2>&1 &
pids+=("$!")
sleep 0.5
out=$("$agent" /status)
check "/status before any change: $(tr '\n' '|' <<<"$out")" eval \
    'grep -qx "Wallpaper: not changed since the agent started" <<<"$out" &&
     grep -qx "Next change: none (the rotation is off)" <<<"$out" && grep -qx "Wallpapers: 2" <<<"$out" &&
     grep -qx "Screensavers: 1" <<<"$out" && grep -qx "Pictures: 0" <<<"$out"'
"$agent" /nextwallpaper
status=$?
check "/nextwallpaper ends with 0 (got $status)" [ "$status" -eq 0 ]
check "the agent made the wallpaper" wait_for 50 test -e "$bitmap"
want=$(colour_of "$bitmap" 0 0)
check "xfdesktop shows the new picture, $(name_of "$want") (it showed $before)" \
    screen_shows shoot 320 400 "$want" "$shots-next.png"
out=$("$agent" /status)
picture=$sandbox/pics/$(name_of "$want").bmp
check "/status names the picture shown: $(head -n 1 <<<"$out")" grep -qx "Wallpaper: $picture" <<<"$out"
signalled() { grep -aq "WallpaperChanged ('$1'" "$sandbox/monitor.txt"; }
check "the bus heard WallpaperChanged with the picture" wait_for 30 signalled "$picture"
check "and PropertiesChanged with the current wallpaper" wait_for 30 \
    grep -aq "PropertiesChanged ('com.tembrix.KaleidraAgent1', {'CurrentWallpaper': <'$picture'>" "$sandbox/monitor.txt"

check "the window is hidden in the tray" window_hidden
"$agent" /show
check "/show shows the window" wait_for 50 window_shown
check "which goes back to the tray" hide_window
"$agent" /saver
check "/saver starts the companion screensaver" wait_for 50 started 1

# 3. The service on the session bus: its description as the repository keeps it, the same
# commands, its state, and word of each change.
gdbus introspect --session -d $name -o $path --xml >"$sandbox/live.xml"
# The interface's members with their arguments and types, whatever the order of attributes.
interface_of() {
    /usr/bin/python3 - "$1" <<'PY'
import sys
import xml.etree.ElementTree as ET
for interface in ET.parse(sys.argv[1]).getroot().iter("interface"):
    if interface.get("name") != "com.tembrix.KaleidraAgent1":
        continue
    for member in interface:
        if member.tag == "annotation":
            continue
        args = [(a.get("name"), a.get("type"), a.get("direction", "in" if member.tag == "method" else "out"))
                for a in member.iter("arg")]
        print(member.tag, member.get("name"), member.get("type", ""), member.get("access", ""), args)
PY
}
check "the live interface is the one in the repository" [ "$(interface_of "$sandbox/live.xml")" = "$(interface_of "$xml")" ] ||
    diff <(interface_of "$sandbox/live.xml") <(interface_of "$xml")
check "it has its methods, properties and signal ($(interface_of "$xml" | wc -l) members)" \
    [ "$(interface_of "$xml" | wc -l)" -eq 8 ]
check "no method takes an argument" eval '! interface_of "$sandbox/live.xml" | grep -q "'"'"'in'"'"')"'
status_reply=$(call Status)
check "Status: $status_reply" eval 'grep -q "'"'"'Wallpapers'"'"': <2>" <<<"$status_reply" &&
    grep -q "'"'"'CurrentWallpaper'"'"': <'"'"'$picture'"'"'>" <<<"$status_reply"'
check "CurrentWallpaper as a property" eval \
    'gdbus call --session -d $name -o $path -m org.freedesktop.DBus.Properties.Get com.tembrix.KaleidraAgent1 CurrentWallpaper | grep -q "$picture"'
check "the properties cannot be set from outside" eval '! gdbus call --session -d $name -o $path \
    -m org.freedesktop.DBus.Properties.Set com.tembrix.KaleidraAgent1 CurrentWallpaper "<'"'"'/etc/passwd'"'"'>" 2>/dev/null'
check "a method given an argument is refused" eval '! call NextWallpaper /etc/passwd 2>/dev/null'
told_before=$(grep -ac "WallpaperChanged (" "$sandbox/monitor.txt")
call NextWallpaper >/dev/null
check "NextWallpaper is told as WallpaperChanged" \
    wait_for 50 eval '[ "$(grep -ac "WallpaperChanged (" "$sandbox/monitor.txt")" -gt "$told_before" ]'
told=$(grep -ao "WallpaperChanged ('[^']*'" "$sandbox/monitor.txt" | tail -n 1 | cut -d"'" -f2)
want=$(colour_of "$told" 0 0)
check "and xfdesktop shows the picture told, $(name_of "$want")" screen_shows shoot 320 400 "$want" "$shots-bus.png"
call ExecuteScreensaver >/dev/null
check "ExecuteScreensaver starts the companion" wait_for 50 started 2
call ShowWindow >/dev/null
check "ShowWindow shows the window" wait_for 50 window_shown

# Clear Desktop last: it hides xfdesktop, whose pictures the checks above read. From the tray
# (the window hidden) it minimises every other window.
hide_window
xmessage -geometry 200x100+300+20 "other window" &
pids+=("$!")
other_window() { xdotool search --name '^xmessage$' 2>/dev/null | head -n 1; }
check "another program's window is there" wait_for 50 eval '[ -n "$(other_window)" ]'
icons=$(desktop_window)
"$agent" /cleardesktop
iconic() { xprop -id "$1" WM_STATE 2>/dev/null | grep -q "window state: Iconic"; }
unmapped() { xwininfo -id "$1" 2>/dev/null | grep -q "Map State: IsUnMapped"; }
check "/cleardesktop minimises the other window" wait_for 50 iconic "$(other_window)"
check "and hides the desktop icons' window" wait_for 50 unmapped "$icons"

# 4. One owner: an agent of another session of the same user (its own rendezvous) on this bus
# runs without the name.
owner_pid() {
    gdbus call --session -d org.freedesktop.DBus -o /org/freedesktop/DBus \
        -m org.freedesktop.DBus.GetConnectionUnixProcessID $name | grep -o '[0-9]\+' | tail -n 1
}
mkdir -m 700 "$sandbox/runtime2"
XDG_RUNTIME_DIR=$sandbox/runtime2 "$agent" 2>"$sandbox/agent2.log" &
second=$!
pids+=("$second")
check "a second agent starts beside it" wait_for 50 test -S "$sandbox/runtime2/KaleidraAgent-${DISPLAY%.*}"
sleep 1
check "and runs" kill -0 "$second"
check "the first still owns the name (owner $(owner_pid), first $agent_pid)" [ "$(owner_pid)" = "$agent_pid" ]
kill "$second"

# 5. The agent ends: the name goes, and the switches say that none runs.
kill "$agent_pid"
wait "$agent_pid" 2>/dev/null
check "the name goes with the agent" wait_for 30 eval '! owned'
"$agent" /status >/dev/null 2>&1
status=$?
check "a switch after the agent ended ends with 1 (got $status)" [ "$status" -eq 1 ]
grep -v "^$" "$sandbox/agent.log" | grep -v QStandardPaths | head -n 5
exit $failures
