#!/usr/bin/env bash
# The real companion running Windows screensavers (stand-ins built with mingw-w64, each covering
# the screen with its colour) through wine64 with "/s", on a virtual X display of its own and a
# Wine prefix in the sandbox: random type 0 changes to the other after the interval, 1 keeps
# one, and a key press ends the companion and everything it started.
# Usage: wine-saver-e2e.sh KDXSaver.SCR SCREEN_PIXELS FIXTURE_FOLDER
set -uo pipefail
# shellcheck source=saver-world.sh
source "$(dirname "$0")/saver-world.sh"
saver=$(readlink -f "$1")
pixels=$(readlink -f "$2")
fixtures=$(readlink -f "$3")

companion_world "$sandbox/install/KDX3"
ini=$sandbox/install/KDX.ini
wine=/usr/lib/wine/wine64
export KALEIDRA_WINE=$wine WINEPREFIX=$sandbox/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
cp "$fixtures"/standin-green.scr "$fixtures"/standin-orange.scr "$sandbox/"

pixel() { "$pixels" 320,240; }
green='#00A050'
orange='#E67814'
a_standin_shows() { near "$(pixel)" "$green" || near "$(pixel)" "$orange"; }
standins() { pgrep -fc 'standin-(green|orange)\.scr' || true; }
# The Wine processes of the sandbox's prefix (Wine's loader or server, started with that
# prefix), Wine's server and helper programs included.
prefix_processes() {
    local environ n=0
    for environ in $(grep -lsz "^WINEPREFIX=$WINEPREFIX\$" /proc/[0-9]*/environ); do
        case $(readlink "${environ%/environ}/exe") in /usr/lib/wine/*) n=$((n + 1)) ;; esac
    done
    echo "$n"
}

# A new prefix takes a while; made before the clock of the checks starts.
"$wine" wineboot --init >/dev/null 2>&1
/usr/lib/wine/wineserver -w

start_saver() {
    "$saver" /s &
    saver_pid=$!
    pids+=("$saver_pid")
}
ended() { ! kill -0 "$saver_pid" 2>/dev/null && [ "$(companions "$saver")" -eq 0 ]; }
no_standin() { [ "$(standins)" -eq 0 ]; }
no_prefix_process() { [ "$(prefix_processes)" -eq 0 ]; }

# 1. Random type 0: one stand-in, then the other after the interval (long enough for a Wine
# program to come up on a busy machine).
printf '[RandomWhat]\n0=0\n[SaverList]\n0=%s\n1=%s\n[Saver]\nRandomType=0\nInterval=10\n' \
    "$sandbox/standin-green.scr" "$sandbox/standin-orange.scr" >"$ini"
start_saver
check "a Windows screensaver covers the screen under Wine" wait_for 600 a_standin_shows
first=$(pixel)
check "one screensaver program at a time ($(standins) running)" [ "$(standins)" -eq 1 ]
other() { a_standin_shows && ! near "$(pixel)" "$first"; }
check "the other one follows after the interval" wait_for 300 other
check "the first one was ended ($(standins) running)" wait_for 30 eval '[ "$(standins)" -eq 1 ]'
xdotool key space
check "a key press over the Windows screensaver ends the companion" wait_for 30 ended
check "and the screensaver program with it" wait_for 30 no_standin
check "and every Wine process it started, in time" wait_for 150 no_prefix_process

# 2. Random type 1 keeps the one it chose.
sed -i 's/RandomType=0/RandomType=1/; s/Interval=10/Interval=1/' "$ini"
start_saver
check "random type 1: a screensaver shows" wait_for 600 a_standin_shows
first=$(pixel)
sleep 4
check "random type 1 keeps it past several intervals" near "$(pixel)" "$first"
kill -TERM "$saver_pid"
check "SIGTERM ends the companion" wait_for 30 ended
check "and the screensaver program with it" wait_for 30 no_standin

# Nothing of the sandbox's prefix may outlive the sandbox.
/usr/lib/wine/wineserver -k 2>/dev/null
wait_for 100 no_prefix_process

echo "$failures failed"
[ "$failures" -eq 0 ]
