#!/usr/bin/env bash
# A different picture on each monitor, on a desktop with two monitors, each in a display and a
# D-Bus session of its own; the real agent, a wallpaper list of four pictures (three wide, one
# tall), "Stretch", one change at start (the hourly cycle) and "A picture per monitor" on.
#   monitors-e2e.sh KDX3 SHOTS_FOLDER root
#     the bare X root window of Xvfb with two RandR monitors ("xrandr --setmonitor"): each monitor
#     its own picture filling it; a monitor removed and added back gets its picture again while
#     the other keeps its own; a tall monitor added in its place gets the tall picture.
#   monitors-e2e.sh KDX3 SHOTS_FOLDER xfce
#     xfdesktop, on an Xorg server with the dummy driver and two outputs: xfdesktop (GTK) shows
#     only monitors driven by an output, and Xvfb's second monitor has none. The same checks,
#     the monitor switched off and on, then turned to a tall mode.
#   monitors-e2e.sh KDX3 SHOTS_FOLDER sway
#     headless sway with two outputs (as nobody): each output its own picture; a third output
#     created gets a picture the others do not show; an output turned keeps its picture, made
#     anew for its shape. sway 1.7 cannot remove a headless output, so removal is tried on X.
#   monitors-e2e.sh KDX3 SHOTS_FOLDER gnome DBUS_TOOL
#     gnome-shell --headless with two virtual monitors: one picture spanned over both, each
#     monitor showing its own half.
set -uo pipefail
mode=$3
if [ -z "${KDX_OWN_SESSION:-}" ]; then
    case "$mode" in
    root) KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 2560x1280x24" dbus-run-session -- "$0" "$@" ;;
    gnome) KDX_OWN_SESSION=1 exec xvfb-run -a -s "-noreset -screen 0 640x480x24" dbus-run-session -- "$0" "$@" ;;
    *) KDX_OWN_SESSION=1 exec dbus-run-session -- "$0" "$@" ;;
    esac
fi
agent=$1
shots=$2/wallpaper-monitors-$mode
here=$(dirname "$0")
# shellcheck source=../../../support/agent-world.sh
source "$here/../../../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
mkdir -p "$sandbox/pics"
export XDG_CACHE_HOME=$sandbox/cache
windows=$XDG_DATA_HOME/kaleidra-agent
ini=$sandbox/install/KDX.ini
dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR 2>/dev/null

# Each picture: one colour with a white block in its top left corner (an eighth of each side), so
# that a screenshot tells which picture a monitor shows and that it fills the monitor.
picture() { # picture FILE COLOUR W H [OPTIONS...]
    local out=$sandbox/pics/$1
    [[ $1 == *.bmp ]] && out=BMP3:$out
    convert -size "$3x$4" "xc:$2" -fill white -draw "rectangle 0,0 $(($3 / 8 - 1)),$(($4 / 8 - 1))" "${@:5}" "$out"
}
picture red.jpg '#ff0000' 64 40 -quality 100 -sampling-factor 1x1
picture blue.bmp '#0000ff' 64 40
picture green.bmp '#00ff00' 64 40
picture yellow.bmp '#ffff00' 40 64
printf '[PaperList]\r\n0=%s\r\n1=%s\r\n2=%s\r\n3=%s\r\n[Wallpaper]\r\nCycle=0\r\nStyle=2\r\nActivate=1\r\nPerMonitor=1\r\n' \
    "$sandbox/pics/red.jpg" "$sandbox/pics/blue.bmp" "$sandbox/pics/green.bmp" "$sandbox/pics/yellow.bmp" >"$ini"

# colour_of PICTURE X Y: "#RRGGBB" of one pixel.
colour_of() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1; }
# name_of COLOUR: the picture's colour it is (JPEG is not exact), white, black, or the colour.
name_of() {
    local c=${1^^} name r g b
    [ -z "$c" ] && { echo none; return; }
    r=$((16#${c:1:2})) g=$((16#${c:3:2})) b=$((16#${c:5:2}))
    for name in red:255:0:0 blue:0:0:255 green:0:255:0 yellow:255:255:0 white:255:255:255 black:0:0:0; do
        IFS=: read -r n rr gg bb <<<"$name"
        if [ $((r > rr ? r - rr : rr - r)) -le 24 ] && [ $((g > gg ? g - gg : gg - g)) -le 24 ] &&
            [ $((b > bb ? b - bb : bb - b)) -le 24 ]; then
            echo "$n"
            return
        fi
    done
    echo "$c"
}
# on_monitor SHOT X Y W H: which picture fills the monitor at X,Y of W x H in the screenshot: its
# colour in the middle and at the far corner, and its white block in the near corner (only the
# near corner's block when the desktop covers the top, as GNOME's bar does: then TOP_FREE=no).
on_monitor() {
    local shot=$1 x=$2 y=$3 w=$4 h=$5 middle corner block
    middle=$(name_of "$(colour_of "$shot" $((x + w / 2)) $((y + h / 2)))")
    corner=$(name_of "$(colour_of "$shot" $((x + w - 3)) $((y + h - 3)))")
    block=$(name_of "$(colour_of "$shot" $((x + w / 16)) $((y + h / 16)))")
    if [ "$middle" = "$corner" ] && { [ "$block" = white ] || [ "${TOP_FREE:-yes}" = no ]; } &&
        [[ "$middle" =~ ^(red|blue|green|yellow)$ ]]; then
        echo "$middle"
    else
        echo "no picture (middle $middle, corner $corner, block $block)"
    fi
}
# shows SHOOT LEFT RIGHT: within 10 s, a screenshot (SHOOT FILE) shows a picture on each of the
# monitors "X Y W H" LEFT and RIGHT; their pictures go to $left_picture and $right_picture and
# the last screenshot to $sandbox/shot.png.
shows() {
    local tries
    for ((tries = 0; tries < 50; tries++)); do
        if "$1" "$sandbox/shot.png"; then
            # shellcheck disable=SC2086 # the rectangles' four numbers
            left_picture=$(on_monitor "$sandbox/shot.png" $2)
            # shellcheck disable=SC2086
            right_picture=$(on_monitor "$sandbox/shot.png" $3)
            [[ "$left_picture" != no* && "$right_picture" != no* ]] && return 0
        fi
        sleep 0.2
    done
    return 1
}
stamp() { grep -a '^PrevChange=' "$ini"; }
keep_shot() { cp "$sandbox/shot.png" "$shots-$1.png"; }

# The shared steps on an X server: LEFT and RIGHT are the monitors' rectangles; UNPLUG, PLUG and
# TALL change the second monitor; TALL_RECT is its rectangle once tall; TALL_IS is "new" when the
# tall monitor is another one (it gets the tall picture), "turned" when it is the same one turned
# (it keeps its picture).
x_monitors_world() {
    local left=$1 right=$2 unplug=$3 plug=$4 tall=$5 tall_rect=$6 tall_is=$7
    local first second before
    shoot() { import -window root "$1" 2>/dev/null; }
    "$agent" >"$sandbox/agent.log" 2>&1 &
    pids+=("$!")
    check "the agent starts in the tray" wait_for 150 icon_in_tray
    check "each monitor shows a picture filling it" shows shoot "$left" "$right"
    first=$left_picture second=$right_picture
    keep_shot two
    check "the two monitors show different pictures ($first, $second)" [ "$first" != "$second" ]
    check "both are wide pictures, as the monitors are" eval '[ "$first" != yellow ] && [ "$second" != yellow ]'
    before=$(stamp)

    eval "$unplug"
    # shellcheck disable=SC2086
    gone() { shoot "$sandbox/shot.png" && [ "$(on_monitor "$sandbox/shot.png" $left)" = "$first" ]; }
    check "with the second monitor gone, the first keeps its picture ($first)" eval 'sleep 2 && wait_for 50 gone'
    keep_shot unplugged
    eval "$plug"
    check "the second monitor, back, shows its picture again" \
        eval 'shows shoot "$left" "$right" && [ "$left_picture" = "$first" ] && [ "$right_picture" = "$second" ]'
    keep_shot replugged
    eval "$tall"
    if [ "$tall_is" = new ]; then
        check "a tall monitor in the second one's place gets the tall picture, the first keeps its own" \
            eval 'shows shoot "$left" "$tall_rect" && [ "$left_picture" = "$first" ] && [ "$right_picture" = yellow ]'
    else
        check "the second monitor turned keeps its picture, made anew for its shape; the first keeps its own" \
            eval 'shows shoot "$left" "$tall_rect" && [ "$left_picture" = "$first" ] && [ "$right_picture" = "$second" ]'
    fi
    keep_shot tall
    check "none of this counted as a change of the rotation (PrevChange kept)" [ "$(stamp)" = "$before" ]
}

case "$mode" in
root)
    export XDG_CURRENT_DESKTOP=
    xrandr --setmonitor L 1280/338x800/211+0+0 screen >/dev/null
    xrandr --setmonitor R 1280/338x800/211+1280+0 none >/dev/null
    start_tray
    x_monitors_world "0 0 1280 800" "1280 0 1280 800" \
        'xrandr --delmonitor R' 'xrandr --setmonitor R 1280/338x800/211+1280+0 none' \
        'xrandr --delmonitor R; xrandr --setmonitor R2 800/211x1280/338+1280+0 none' "1280 0 800 1280" new
    ;;
xfce)
    # The dummy driver's outputs DUMMY0.. DUMMY15, the first one on at start.
    cat >"$sandbox/xorg.conf" <<'CONF'
Section "ServerFlags"
    Option "AutoAddDevices" "false"
    Option "AutoAddGPU" "false"
    Option "AutoBindGPU" "false"
    Option "DontVTSwitch" "true"
EndSection
Section "Device"
    Identifier "dummy"
    Driver "dummy"
    VideoRam 256000
EndSection
Section "Monitor"
    Identifier "monitor"
    HorizSync 5.0-1000.0
    VertRefresh 5.0-200.0
    Modeline "1280x800" 83.50 1280 1352 1480 1680 800 803 809 831
    Modeline "800x1280" 83.50 800 872 1000 1200 1280 1283 1289 1311
EndSection
Section "Screen"
    Identifier "screen"
    Device "dummy"
    Monitor "monitor"
    DefaultDepth 24
    SubSection "Display"
        Depth 24
        Virtual 2560 1280
        Modes "1280x800"
    EndSubSection
EndSection
CONF
    Xorg -displayfd 3 -config "$sandbox/xorg.conf" -noreset -nolisten tcp -logfile "$sandbox/Xorg.log" \
        -novtswitch -sharevts 3>"$sandbox/display" >/dev/null 2>&1 &
    pids+=("$!")
    wait_for 100 test -s "$sandbox/display" || { echo "FAILED: Xorg did not start"; tail "$sandbox/Xorg.log"; exit 1; }
    export DISPLAY=:$(cat "$sandbox/display")
    xrandr --addmode DUMMY1 1280x800 && xrandr --output DUMMY1 --mode 1280x800 --right-of DUMMY0
    xrandr --addmode DUMMY1 800x1280
    # A full query settles the new layout (without one, GTK found a screen of one monitor).
    xrandr >/dev/null
    export XDG_CURRENT_DESKTOP=XFCE
    openbox --sm-disable >"$sandbox/openbox.log" 2>&1 &
    pids+=("$!")
    wait_for 50 eval 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"'
    start_tray
    # Its icons would cover the pictures' corners.
    xfconf-query -c xfce4-desktop -p /desktop-icons/style -n -t int -s 0
    xfdesktop --sm-client-disable >"$sandbox/xfdesktop.log" 2>&1 &
    pids+=("$!")
    desktop_window() { xwininfo -root -tree 2>/dev/null | grep '"Desktop": ("xfdesktop" "Xfdesktop")  2560x800' >/dev/null; }
    check "xfdesktop covers both monitors" wait_for 300 desktop_window
    x_monitors_world "0 0 1280 800" "1280 0 1280 800" \
        'xrandr --output DUMMY1 --off' 'xrandr --output DUMMY1 --mode 1280x800 --right-of DUMMY0' \
        'xrandr --output DUMMY1 --mode 800x1280 --right-of DUMMY0' "1280 0 800 1280" turned
    ;;
sway)
    # shellcheck source=sway-world.sh
    source "$here/sway-world.sh"
    # The agent's window floats in the first output's bottom left corner, out of the way.
    cat >"$sandbox/sway.conf" <<CONF
xwayland disable
output * bg #202020 solid_color
for_window [title="Kaleidra Agent"] floating enable, resize set 300 200, move position 0 500
CONF
    start_sway 2 "$sandbox/sway.conf"
    # Both outputs side by side in one picture, each as grim takes it.
    shoot() {
        (as_user grim -o HEADLESS-1 "$sandbox/o1.png") 2>/dev/null &&
            (as_user grim -o HEADLESS-2 "$sandbox/o2.png") 2>/dev/null &&
            convert "$sandbox/o1.png" "$sandbox/o2.png" +append "$1"
    }
    as_user "$agent" /nominimize >"$sandbox/agent.log" 2>&1 &
    pids+=("$!")
    check "each output shows a picture filling it" shows shoot "0 0 1280 720" "1280 0 1280 720"
    first=$left_picture second=$right_picture
    keep_shot two
    check "the two outputs show different pictures ($first, $second)" [ "$first" != "$second" ]
    (as_user swaymsg create_output) >/dev/null
    third() {
        (as_user grim -o HEADLESS-3 "$sandbox/o3.png") 2>/dev/null &&
            third_picture=$(on_monitor "$sandbox/o3.png" 0 0 1920 1080) && [[ "$third_picture" != no* ]]
    }
    check "a third output created gets a picture the others do not show" \
        eval 'wait_for 100 third && [ "$third_picture" != "$first" ] && [ "$third_picture" != "$second" ]'
    cp "$sandbox/o3.png" "$shots-third.png"
    (as_user swaymsg output HEADLESS-2 transform 90) >/dev/null
    turned() {
        (as_user grim -o HEADLESS-2 "$sandbox/o2.png") 2>/dev/null &&
            [ "$(on_monitor "$sandbox/o2.png" 0 0 720 1280)" = "$second" ]
    }
    check "the second output, turned, keeps its picture ($second), made anew for its shape" wait_for 100 turned
    cp "$sandbox/o2.png" "$shots-turned.png"
    shoot "$sandbox/shot.png"
    check "the first output kept its picture ($first)" [ "$(on_monitor "$sandbox/o1.png" 0 0 1280 720)" = "$first" ]
    echo "(sway 1.7 cannot remove a headless output: removal is checked on X)"
    ;;
gnome)
    tool=$4
    DBUS_SYSTEM_BUS_ADDRESS=$(dbus-daemon --session --fork --print-address=1 --print-pid=3 3>"$sandbox/system-bus.pid")
    export DBUS_SYSTEM_BUS_ADDRESS
    pids+=("$(cat "$sandbox/system-bus.pid")")
    export XDG_CURRENT_DESKTOP=GNOME
    gnome-shell --headless --virtual-monitor 1024x768 --virtual-monitor 1024x768 >"$sandbox/gnome-shell.log" 2>&1 &
    pids+=("$!")
    shoot() { "$tool" gnome-screenshot "$1" 2>/dev/null; }
    wait_for 600 shoot "$sandbox/first.png" || { echo "FAILED: gnome-shell did not start"; exit 1; }
    # The overview shows the background only in its previews: it is left.
    gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
        --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive "<false>" >/dev/null
    (unset DISPLAY && WAYLAND_DISPLAY=wayland-0 XDG_SESSION_TYPE=wayland exec "$agent") >"$sandbox/agent.log" 2>&1 &
    pids+=("$!")
    # The primary's top carries GNOME's bar, and its middle the agent's window (no tray here): its
    # lower corners are read there.
    TOP_FREE=no
    halves() {
        shoot "$sandbox/shot.png" || return 1
        left_picture=$(name_of "$(colour_of "$sandbox/shot.png" 8 760)")
        local left_end right_start
        left_end=$(name_of "$(colour_of "$sandbox/shot.png" 1020 760)")
        right_start=$(name_of "$(colour_of "$sandbox/shot.png" 1028 760)")
        right_picture=$(on_monitor "$sandbox/shot.png" 1024 0 1024 768)
        [[ "$left_picture" =~ ^(red|blue|green|yellow)$ ]] && [ "$left_end" = "$left_picture" ] &&
            [ "$right_start" = "$right_picture" ] && [[ "$right_picture" =~ ^(red|blue|green|yellow)$ ]]
    }
    check "the spanned picture shows a half on each monitor" wait_for 150 halves
    keep_shot spanned
    check "the halves are different pictures ($left_picture, $right_picture)" [ "$left_picture" != "$right_picture" ]
    check "GNOME spans it" eval '[ "$(gsettings get org.gnome.desktop.background picture-options)" = "'"'spanned'"'" ]'
    ;;
esac
grep -q . "$sandbox/agent.log" && { echo "the agent said:"; cat "$sandbox/agent.log"; }
exit $failures
