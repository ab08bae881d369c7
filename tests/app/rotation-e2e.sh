#!/usr/bin/env bash
# The real agent rotating the wallpaper on the X display it is given (scripts/test runs it
# under Xvfb): a list of two bitmaps and "At Interval" of 2 seconds must change the root
# window's picture and the stamp in KDX.ini at least twice within 10 seconds.
# Usage: rotation-e2e.sh KDX3
set -uo pipefail
agent=$1

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
mkdir -p "$sandbox/pics"
# Only the plain X root window applies the picture here, whatever desktop the machine has.
export XDG_CURRENT_DESKTOP=none

convert -size 64x48 xc:'#ff0000' "BMP3:$sandbox/pics/red.bmp"
convert -size 64x48 xc:'#0000ff' "BMP3:$sandbox/pics/blue.bmp"
printf '[PaperList]\r\n0=%s\r\n1=%s\r\n[Wallpaper]\r\nCycle=2\r\nInterval=2\r\nStyle=2\r\nActivate=1\r\n' \
    "$sandbox/pics/red.bmp" "$sandbox/pics/blue.bmp" >"$sandbox/install/KDX.ini"

stamp() { grep -a '^PrevChange=' "$sandbox/install/KDX.ini" | tr -d '\r'; }
root_colour() { import -window root -crop 1x1+0+0 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1; }

# A tray for the agent to start in, so that its window leaves the screen to the wallpaper.
start_tray
"$agent" &
pid=$!
pids+=("$pid")
seen=()
last=
end=$((SECONDS + 10))
while [ $SECONDS -lt $end ]; do
    now=$(stamp)
    if [ -n "$now" ] && [ "$now" != "$last" ]; then
        seen+=("$now")
        last=$now
    fi
    sleep 0.2
done
colour=$(root_colour)

if [ ${#seen[@]} -ge 3 ]; then
    echo "ok: the stamp changed $((${#seen[@]} - 1)) times after the start-up change: ${seen[*]}"
else
    echo "FAILED: the stamp changed too rarely: ${seen[*]:-none}"
    failures=$((failures + 1))
fi
case "${colour^^}" in
'#FF0000' | '#0000FF') echo "ok: the root window shows a picture of the list ($colour)" ;;
*)
    echo "FAILED: the root window shows $colour"
    failures=$((failures + 1))
    ;;
esac
kill -0 "$pid" 2>/dev/null || {
    echo "FAILED: the agent ended"
    failures=$((failures + 1))
}
exit $failures
