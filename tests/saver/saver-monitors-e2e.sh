#!/usr/bin/env bash
# The real companion screensaver on two monitors, each with a picture of its own that changes
# every second and never shows what the other one shows:
#   saver-monitors-e2e.sh KDXSaver.SCR KDX3 SCREEN_PIXELS randr     one X screen of two RandR
#                                                                    monitors (xrandr --setmonitor)
#   saver-monitors-e2e.sh KDXSaver.SCR KDX3 SCREEN_PIXELS screens   a display of two X screens
set -uo pipefail
world=$4
if [ -z "${KDX_SAVER_DISPLAY:-}" ]; then
    screens="-screen 0 1280x480x24"
    [ "$world" = screens ] && screens="-screen 0 640x480x24 -screen 1 640x480x24"
    exec xvfb-run -a -s "-noreset $screens" env KDX_SAVER_DISPLAY=1 "$0" "$@"
fi
# shellcheck source=saver-world.sh
source "$(dirname "$0")/saver-world.sh"
saver=$(readlink -f "$1")
pixels=$(readlink -f "$3")
companion_world "$sandbox/install/KDX3"
export KALEIDRA_WINE=none

for colour in red:ff0000 lime:00ff00 blue:0000ff; do
    convert -size 64x48 "xc:#${colour#*:}" "BMP3:$sandbox/${colour%%:*}.bmp"
done
printf '[RandomWhat]\n0=2\n[ImageList]\n0=%s\n1=%s\n2=%s\n[Image]\nInterval=1\nSize=2\n' \
    "$sandbox/red.bmp" "$sandbox/lime.bmp" "$sandbox/blue.bmp" >"$sandbox/install/KDX.ini"

# first and second: the colour in the middle of each monitor.
if [ "$world" = randr ]; then
    xrandr --setmonitor L 640/169x480/127+0+0 screen >/dev/null
    xrandr --setmonitor R 640/169x480/127+640+0 none >/dev/null
    first() { "$pixels" 320,240; }
    second() { "$pixels" 960,240; }
else
    display=${DISPLAY%.*}
    first() { DISPLAY=$display.0 "$pixels" 320,240; }
    second() { DISPLAY=$display.1 "$pixels" 320,240; }
fi
picture() { [[ "$1" =~ ^#(FF0000|00FF00|0000FF)$ ]]; }
both_shown() {
    a=$(first)
    b=$(second)
    picture "$a" && picture "$b"
}

"$saver" /s &
pids+=("$!")
check "each monitor shows a picture" wait_for 50 both_shown
check "the two show different pictures ($a, $b)" [ "$a" != "$b" ]
changes=0
seen=" "
for ((i = 0; i < 40 && changes < 3; i++)); do
    sleep 0.25
    before_a=$a before_b=$b
    both_shown || continue
    if [ "$a" = "$b" ]; then
        echo "FAILED: both monitors show $a"
        failures=$((failures + 1))
        break
    fi
    [ "$a" != "$before_a" ] && changes=$((changes + 1))
    seen+="$a $b "
done
check "each second both change and stay apart (3 changes seen: $seen)" [ "$changes" -ge 3 ]
exit $failures
