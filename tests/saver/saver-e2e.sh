#!/usr/bin/env bash
# The real companion screensaver on a virtual X display of its own (640 x 480): pictures placed
# as each Size says, one picture and then the other after the interval, the one-line messages,
# what ends it and what does not, a second start, the preview inside another window, and "/c".
# Usage: saver-e2e.sh KDXSaver.SCR KDX3 SCREEN_PIXELS
set -uo pipefail
# shellcheck source=saver-world.sh
source "$(dirname "$0")/saver-world.sh"
saver=$(readlink -f "$1")
agent=$(readlink -f "$2")
pixels=$(readlink -f "$3")

# The companion and the agent beside each other, as installed.
companion_world "$sandbox/install/KDX3"
ini=$sandbox/install/KDX.ini
export KALEIDRA_WINE=none

# 64 x 32 in four quadrants (red, green above; blue, white below), and a green JPEG.
convert -size 32x16 xc:red xc:lime +append \( -size 32x16 xc:blue xc:white +append \) -append \
    "BMP3:$sandbox/quadrants.bmp"
convert -size 64x32 xc:lime -quality 95 "$sandbox/green.jpg"

pixel() { "$pixels" "$1"; }
shows() { near "$(pixel "$1")" "$2"; } # shows X,Y #RRGGBB
# The pixels of a rectangle that are not black.
lit() { "$pixels" --lit "$1"; }
one_line_shown() { # black corners, a line of text across the middle
    [ "$(lit 0,0,640,200)" -eq 0 ] && [ "$(lit 0,280,640,200)" -eq 0 ] && [ "$(lit 0,200,640,80)" -gt 20 ]
}

settings() { printf '%b' "$1" >"$ini"; }
start_saver() { # start_saver [ARGS]: the companion's pid in $saver_pid
    "$saver" "$@" &
    saver_pid=$!
    pids+=("$saver_pid")
}
running() { kill -0 "$saver_pid" 2>/dev/null; }
ended() { ! running; }
no_companion_left() { [ "$(companions "$saver")" -eq 0 ]; }
end_with() { # end_with DESCRIPTION XDOTOOL-ARGS...: the input ends the companion and leaves nothing
    xdotool "${@:2}"
    check "$1 ends the screensaver" wait_for 20 ended
    check "no companion process is left after $1" wait_for 20 no_companion_left
}

# 1. Each Size, with one picture, checked at points of each quadrant and of the black around it.
settings "[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/quadrants.bmp\n[Image]\nInterval=60\nSize=0\n"
cp "$ini" "$sandbox/before.ini"
touch -d '2001-01-01' "$ini"
start_saver /s
check "Full Size: the picture at its own size in the middle" wait_for 50 shows 296,228 '#FF0000'
check "Full Size: green, blue, white quadrants where they belong" \
    eval 'shows 344,228 "#00FF00" && shows 296,252 "#0000FF" && shows 344,252 "#FFFFFF"'
check "Full Size: black around it" eval 'shows 286,240 "#000000" && shows 320,222 "#000000" && shows 0,0 "#000000"'
end_with "a key press" key space
check "the screensaver wrote nothing to KDX.ini" cmp -s "$ini" "$sandbox/before.ini"
check "KDX.ini was not even rewritten" [ "$(stat -c %Y "$ini")" = "$(date -d 2001-01-01 +%s)" ]

settings "[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/quadrants.bmp\n[Image]\nInterval=60\nSize=1\n"
start_saver /s
check "Fit Image: the picture as wide as the screen, in its shape" wait_for 50 shows 100,120 '#FF0000'
check "Fit Image: the other quadrants" \
    eval 'shows 540,120 "#00FF00" && shows 100,360 "#0000FF" && shows 540,360 "#FFFFFF"'
check "Fit Image: black bars above and below" eval 'shows 320,70 "#000000" && shows 320,410 "#000000"'
end_with "a mouse button" click 1

settings "[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/quadrants.bmp\n[Image]\nInterval=60\nSize=2\n"
start_saver /S
check "Full Screen: the picture stretched over the whole screen" wait_for 50 shows 1,1 '#FF0000'
check "Full Screen: the other corners" \
    eval 'shows 638,1 "#00FF00" && shows 1,478 "#0000FF" && shows 638,478 "#FFFFFF"'
# A few pixels of jitter are not the user's movement; a real movement is.
xdotool mousemove_relative -- 4 -3
sleep 0.5
check "a jitter of a few pixels leaves it running" running
end_with "a real mouse movement" mousemove_relative -- 60 0

# 2. Two pictures: one, then the other after the interval, then the first again.
settings "[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/quadrants.bmp\n1=$sandbox/green.jpg\n[Image]\nInterval=2\nSize=2\n"
start_saver /s
red_or_green() { shows 100,100 '#FF0000' || shows 100,100 '#00FF00'; }
check "one of the two pictures shows" wait_for 50 red_or_green
first=$(pixel 100,100)
changed() { ! near "$(pixel 100,100)" "$first"; }
check "the other picture follows" wait_for 50 changed
second=$(pixel 100,100)
check "the second is the other picture ($first, then $second)" red_or_green
# From one change to the next, so the time the first picture took to come does not count.
started=$(date +%s%N)
back() { near "$(pixel 100,100)" "$first"; }
check "then the first again" wait_for 50 back
elapsed=$((($(date +%s%N) - started) / 1000000))
check "after the interval of 2 s (${elapsed} ms)" eval '[ "$elapsed" -ge 1500 ] && [ "$elapsed" -le 3500 ]'

# 3. A second start while one runs leaves at once.
timeout 5 "$saver" /s
status=$?
check "a second start while one runs ends at once with 0 (got $status)" [ "$status" -eq 0 ]
check "and leaves one companion running" [ "$(companions "$saver")" -eq 1 ]
end_with "a key press" key a
# The keys of the hot key that started it, still held, do not end it; another key does.
xdotool keydown ctrl+alt+e
start_saver /s
wait_for 50 red_or_green
sleep 0.3
xdotool keyup ctrl+alt+e
sleep 0.3
check "the held hot key, released, leaves it running" running
end_with "a key press after the hot key" key Return

# 4. Nothing to show: a black screen with one line, which a key still ends.
for case in "an empty list:[RandomWhat]\n0=2\n" \
    "an all-missing list:[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/gone.jpg\n1=$sandbox/gone.bmp\n" \
    "a damaged picture only:[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/damaged.jpg\n" \
    "Flash movies only:[RandomWhat]\n0=1\n[FlashList]\n0=$sandbox/movie.swf\n" \
    "screensavers without Wine:[RandomWhat]\n0=0\n[SaverList]\n0=$sandbox/a.scr\n"; do
    printf 'MZ' >"$sandbox/a.scr"
    printf '\xff\xd8\xff\xe0 damaged' >"$sandbox/damaged.jpg"
    settings "${case#*:}"
    start_saver /s
    check "${case%%:*}: a black screen with a one-line message" wait_for 50 one_line_shown
    end_with "a key press on the message" key x
done

# A picture that cannot be read is skipped: the readable one shows.
settings "[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/damaged.jpg\n1=$sandbox/quadrants.bmp\n[Image]\nInterval=1\nSize=2\n"
start_saver /s
check "a damaged picture is skipped without a word" wait_for 50 shows 1,1 '#FF0000'
sleep 2.5
check "and the readable one stays" shows 1,1 '#FF0000'
kill -TERM "$saver_pid"
check "SIGTERM ends it too" wait_for 20 ended

# 5. The preview inside another program's window follows that window's life.
settings "[RandomWhat]\n0=2\n[ImageList]\n0=$sandbox/quadrants.bmp\n[Image]\nSize=1\n"
xmessage -geometry 320x240+10+10 "host" &
host_pid=$!
pids+=("$host_pid")
host_window() { xdotool search --onlyvisible --class Xmessage 2>/dev/null | head -n 1; }
wait_for 50 eval '[ -n "$(host_window)" ]'
start_saver /p "$(host_window)"
check "/p shows the picture inside the given window, fitted to it" wait_for 50 shows 90,90 '#FF0000'
check "/p leaves the rest of the window black" shows 90,35 '#000000'
check "/p leaves the screen outside the window alone" eval '! shows 400,400 "#FF0000"'
kill "$host_pid"
check "/p ends when its window goes" wait_for 30 ended
"$saver" /p 12345 2>/dev/null
check "/p with no such window fails" [ $? -eq 1 ]
"$saver" /x 2>"$sandbox/usage.txt"
check "a wrong switch is answered with the usage" eval '[ $? -eq 2 ] && grep -q "usage: KDXSaver.SCR" "$sandbox/usage.txt"'

# 6. "/c": the agent's window where the lists are set, or a word where there is no agent.
start_saver
message_box() { xdotool search --onlyvisible --name '^KDXSaver.SCR$' 2>/dev/null | head -n 1; }
check "no switch (the shell's config) without an agent beside it says where the settings live" wait_for 50 eval '[ -n "$(message_box)" ]'
xdotool windowfocus --sync "$(message_box)" key Return
check "and ends when that is read" wait_for 30 ended
agent_window() { xdotool search --onlyvisible --classname KDX3 2>/dev/null | head -n 1; }
ln -sf "$agent" "$sandbox/install/KDX3"
"$saver" /c:1234
check "/c opens the agent's window" wait_for 100 eval '[ -n "$(agent_window)" ]'
for pid in $(pgrep -f "$sandbox/install/KDX3"); do pids+=("$pid"); done

echo "$failures failed"
[ "$failures" -eq 0 ]
