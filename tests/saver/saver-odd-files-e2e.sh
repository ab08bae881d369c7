#!/usr/bin/env bash
# The real companion screensaver with pictures that are no files or never answer: a named pipe
# in the list is passed over at once; a file whose reads never end (a share that went away,
# made with FUSE where the machine has it) is set aside within a second so another picture shows, and a key still
# ends the companion at once, leaving its lock free for the next start. Both used to leave the
# screen black and the process running, its lock held for the rest of the session.
# Usage: saver-odd-files-e2e.sh KDXSaver.SCR SCREEN_PIXELS HANGFS|none
set -uo pipefail
# shellcheck source=saver-world.sh
source "$(dirname "$0")/saver-world.sh"
saver=$(readlink -f "$1")
pixels=$(readlink -f "$2")
hangfs=$3

companion_world "$sandbox/install/KDX3"
ini=$sandbox/install/KDX.ini
export KALEIDRA_WINE=none
convert -size 640x480 xc:lime -quality 95 "$sandbox/green.jpg"
mkfifo "$sandbox/pipe.jpg" "$sandbox/pipe.bmp"

shows() { near "$("$pixels" "$1")" "$2"; }
start_saver() {
    "$saver" /s &
    saver_pid=$!
    pids+=("$saver_pid")
}
ended() { ! kill -0 "$saver_pid" 2>/dev/null; }
# The companion has ended its part: its main thread is gone. A thread inside a read of a FUSE file
# that never answers cannot be ended by anyone until the file system answers (the kernel waits
# for it uninterruptibly), so the process lingers as a zombie until the test ends the file system;
# by then it has hidden its windows, released its lock and the screen saver.
done_with() { ended || grep -q '^State:[[:space:]]*Z' "/proc/$saver_pid/status" 2>/dev/null; }
no_companion_left() { [ "$(companions "$saver")" -eq 0 ]; }
settings() {
    printf '[RandomWhat]\n0=2\n[ImageList]\n%b[Image]\nInterval=60\nSize=2\n' "$1" >"$ini"
}

# 1. Named pipes (one named as a JPEG, one as a bitmap) beside a picture.
settings "0=$sandbox/pipe.jpg\n1=$sandbox/pipe.bmp\n2=$sandbox/green.jpg\n"
start_saver
check "with named pipes in the list, the picture shows" wait_for 50 shows 320,240 '#00FF00'
xdotool key space
check "a key ends the screensaver" wait_for 20 ended
check "no companion is left" wait_for 20 no_companion_left

# 2. A file whose reads never end.
if [ "$hangfs" = none ] || ! [ -e /dev/fuse ]; then
    echo "no FUSE here: the file that never answers is not tried"
    exit $failures
fi
mkdir -p "$sandbox/share"
"$hangfs" "$sandbox/share" 2>"$sandbox/hangfs.log" &
hangfs_pid=$!
mounted() { grep -q " $sandbox/share " /proc/mounts; }
if ! wait_for 50 mounted; then
    echo "FAILED: the FUSE file system did not mount"
    cat "$sandbox/hangfs.log"
    exit $((failures + 1))
fi
unmount() {
    kill -9 "$hangfs_pid" 2>/dev/null
    umount -l "$sandbox/share" 2>/dev/null || fusermount3 -uz "$sandbox/share" 2>/dev/null
}
trap 'unmount; cleanup' EXIT

settings "0=$sandbox/share/stuck.jpg\n1=$sandbox/share/stuck.jpg\n2=$sandbox/green.jpg\n3=$sandbox/share/stuck.jpg\n"
# Whichever picture comes first, the screen waits about a second for the one that never
# answers: that read is set aside, the picture is not picked again while it waits (its other
# entries neither), and another is read on a new thread.
start_saver
check "a picture that never answers delays the first picture by a second at most" wait_for 40 shows 320,240 '#00FF00'
settings "0=$sandbox/share/stuck.jpg\n"
first=$saver_pid
start_saver
sleep 2
check "while one runs, a second start leaves at once" ended
saver_pid=$first
xdotool key space
check "a key ends the screensaver at once, its read still waiting" wait_for 20 done_with
# Its lock went with it: the next start runs (it shows the message that nothing can be read, or
# waits on the stuck file, black either way) and stays until a key.
start_saver
sleep 2
check "the next start is not kept out by a lock left behind" eval '! ended'
xdotool key space
check "and a key ends it too" wait_for 20 done_with
exit $failures
