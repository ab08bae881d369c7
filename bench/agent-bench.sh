#!/usr/bin/env bash
# The agent's start-up and idle cost, each against a reference measured in the same run on the
# same display: a start in the tray (as at log-on) to its icon docked against a bare Qt program
# showing a tray icon, a start with the window shown against the agent's window built alone, the
# same start with two lists of 100,000 entries against empty lists, and its idle cost and memory.
# Run under a virtual display with a D-Bus session (bench/run does).
# Usage: agent-bench.sh KDX3 BARE_QT_WINDOW BARE_QT_TRAY AGENT_WINDOW_ALONE MAP_WATCH [RUNS] [IDLE_SECONDS]
set -euo pipefail
agent=$1
bare=$2
bare_tray=$3
alone=$4
watch=$5
runs=${6:-15}
idle=${7:-60}

# shellcheck source=../tests/support/agent-world.sh
source "$(dirname "$0")/../tests/support/agent-world.sh"
# The agent's own world, with a wallpaper rotation of two pictures every 30 seconds.
agent_world "$sandbox/install/KDX3"
convert -size 1024x768 plasma:red-blue "BMP3:$sandbox/one.bmp"
convert -size 1024x768 plasma:green-yellow "BMP3:$sandbox/two.bmp"
rotation=$(printf '[PaperList]\n0=%s\n1=%s\n[Wallpaper]\nCycle=2\nInterval=30\nStyle=2\nActivate=1\n' \
    "$sandbox/one.bmp" "$sandbox/two.bmp")
echo "$rotation" >"$sandbox/install/KDX.ini"
# A new user's agent: no settings file yet, so nothing to change at start. It has a registry
# stand-in of its own, where it records its own folder as the install folder.
mkdir -p "$sandbox/fresh/config"
fresh=(env KALEIDRA_PROGRAM_FILE="$sandbox/fresh/KDX3" XDG_CONFIG_HOME="$sandbox/fresh/config")

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# verdict VALUE GOAL: whether a figure is within its goal.
verdict() { awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "not met") }'; }
# goal NAME VALUE GOAL: the goal's line, in the one form every benchmark prints.
goal() { echo "goal $1: $2 (at most $3): $(verdict "$2" "$3")"; }
# The tray of a desktop's panel, where a start at log-on docks its icon.
start_tray
wait_for 50 pgrep -f "^trayer" >/dev/null
sleep 1
# Each figure is the milliseconds from exec to the X server mapping the program's window, or with
# --docked to the tray taking in its icon.
times=(bare alone shown fresh_shown bare_tray tray fresh_tray)
for name in "${times[@]}"; do declare -a "${name}_ms=()"; done
for ((i = 0; i < runs; i++)); do
    bare_ms+=("$("$watch" bare_qt_window "$bare")")
    alone_ms+=("$("$watch" agent_window_alone "$alone")")
    shown_ms+=("$("$watch" KDX3 "$agent" /nominimize)")
    fresh_shown_ms+=("$("$watch" KDX3 "${fresh[@]}" "$agent" /nominimize)")
    bare_tray_ms+=("$("$watch" --docked bare_qt_tray "$bare_tray")")
    tray_ms+=("$("$watch" --docked KDX3 "$agent")")
    fresh_tray_ms+=("$("$watch" --docked KDX3 "${fresh[@]}" "$agent")")
done
declare -A m
median_of() { local -n samples=$1_ms; median <<<"${samples[*]}"; }
for name in "${times[@]}"; do m[$name]=$(median_of "$name"); done
echo "start-up, median of $runs runs (ms): bare Qt window ${m[bare]}, bare Qt tray icon ${m[bare_tray]}, the" \
    "agent's window alone ${m[alone]}; agent shown ${m[shown]} (new user ${m[fresh_shown]}), in the tray" \
    "${m[tray]} (new user ${m[fresh_tray]}); the agent changes the wallpaper at start (rotation on)"
goal "start in the tray to the icon docked vs a bare Qt tray icon" "$(ratio "${m[tray]}" "${m[bare_tray]}")" 1.2
goal "start with the window shown vs the agent's window alone" "$(ratio "${m[shown]}" "${m[alone]}")" 1.1
echo "for reference: a new user's agent (no settings file) in the tray $(ratio "${m[fresh_tray]}" "${m[bare_tray]}")" \
    "x the bare tray icon, shown $(ratio "${m[fresh_shown]}" "${m[alone]}") x the window alone; against the bare Qt" \
    "window: agent shown $(ratio "${m[shown]}" "${m[bare]}"), new user $(ratio "${m[fresh_shown]}" "${m[bare]}")," \
    "the agent's window alone $(ratio "${m[alone]}" "${m[bare]}")"
for name in "${times[@]}"; do
    declare -n samples=${name}_ms
    echo "  runs (ms), $name: ${samples[*]}"
    unset -n samples
done

# Two lists of 100,000 entries (wallpapers and pictures) against empty lists, the rotation off
# so both starts do the same work but for the lists: a start in the tray to the end of its start
# (its icon docks before that), then its memory settled there.
list() { awk -v s="$1" -v d="$sandbox/photos" 'BEGIN { print "[" s "]"; for (n = 0; n < 100000; n++) printf "%d=%s/%04d/IMG_%06d.jpg\n", n, d, n % 997, n }'; }
printf '[Wallpaper]\nActivate=0\n' >"$sandbox/empty.ini"
{ cat "$sandbox/empty.ini"; list PaperList; list ImageList; } >"$sandbox/large.ini"
now_ms() { echo $(($(date +%s%N) / 1000000)); }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
# The agent's service is on the session bus: it claims the name as the last step of its start.
on_bus() {
    dbus-send --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
        string:com.tembrix.KaleidraAgent 2>/dev/null | grep -q true
}
# start_over SETTINGS: an agent started in the tray over SETTINGS, in $agent_pid, and in
# $ready_ms the milliseconds until its start was over.
start_over() {
    cp "$1" "$sandbox/install/KDX.ini"
    local start
    start=$(now_ms)
    "$agent" &
    agent_pid=$!
    pids+=("$agent_pid")
    until on_bus || ! kill -0 "$agent_pid" 2>/dev/null; do sleep 0.005; done
    ready_ms=$(($(now_ms) - start))
}
stop_agent() {
    kill "$agent_pid"
    wait "$agent_pid" 2>/dev/null || true
    wait_for 50 eval '! on_bus' || true
}
empty_ms=() large_ms=()
# Counted with its own variable: wait_for, which stop_agent runs, counts with i.
for ((round = 0; round < (runs + 2) / 3; round++)); do
    start_over "$sandbox/empty.ini" && stop_agent
    empty_ms+=("$ready_ms")
    start_over "$sandbox/large.ini" && stop_agent
    large_ms+=("$ready_ms")
done
empty=$(median <<<"${empty_ms[*]}") large=$(median <<<"${large_ms[*]}")
echo "start in the tray to its start over, median of ${#large_ms[@]} runs: two lists of 100,000" \
    "entries ($(($(stat -c %s "$sandbox/large.ini") / 1024)) kB) ${large} ms, empty lists ${empty} ms; runs (ms)" \
    "${large_ms[*]}; ${empty_ms[*]}"
goal "start in the tray, two 100000-entry lists vs empty lists" "$(ratio "$large" "$empty")" 1.2
start_over "$sandbox/empty.ini"
sleep 3
empty_rss=$(rss_kb "$agent_pid")
stop_agent
start_over "$sandbox/large.ini"
sleep 3
large_rss=$(rss_kb "$agent_pid")
large_count=$("$agent" /status 2>&1 | awk '/^Wallpapers:/ { print $2 }' || true)
stop_agent
echo "resident memory in the tray: two lists of 100,000 entries ${large_rss} kB (the agent's status counts" \
    "${large_count:-no} wallpapers), empty lists ${empty_rss} kB"
goal "resident memory, two 100000-entry lists vs empty lists" "$(ratio "$large_rss" "$empty_rss")" 2.5
echo "$rotation" >"$sandbox/install/KDX.ini"

# Idle: both programs side by side for the same minute, the agent in a panel's tray (XEmbed) with
# an hourly rotation, which has nothing due within the minute after its change at start.
printf '[PaperList]\n0=%s\n1=%s\n[Wallpaper]\nCycle=0\nStyle=2\nActivate=1\n' \
    "$sandbox/one.bmp" "$sandbox/two.bmp" >"$sandbox/install/KDX.ini"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Every time one of its threads went to sleep and was woken: its voluntary context switches, by
# thread, so that a thread ending meanwhile takes nothing off the count.
switches() { awk '/^Pid:/ { t = $2 } /^voluntary_ctxt_switches:/ { print t, $2 }' /proc/"$1"/task/*/status; }
wakeups() { awk 'NR == FNR { s[$1] = $2; next } { n += $2 - s[$1] } END { print n }' "$1" "$2"; }
"$agent" &
agent_pid=$!
pids+=("$agent_pid")
"$bare" &
bare_pid=$!
pids+=("$bare_pid")
sleep 5 # past start-up and the work it leaves for after its first picture
icon_in_tray || echo "the agent's icon is not in the tray: the figures below are of its window"
a0=$(cpu_ticks "$agent_pid") b0=$(cpu_ticks "$bare_pid")
switches "$agent_pid" >"$sandbox/agent0" && switches "$bare_pid" >"$sandbox/bare0"
sleep "$idle"
a1=$(cpu_ticks "$agent_pid") b1=$(cpu_ticks "$bare_pid")
switches "$agent_pid" >"$sandbox/agent1" && switches "$bare_pid" >"$sandbox/bare1"
aw=$(wakeups "$sandbox/agent0" "$sandbox/agent1") bw=$(wakeups "$sandbox/bare0" "$sandbox/bare1")
hz=$(getconf CLK_TCK)
pct() { awk -v t="$1" -v hz="$hz" -v s="$idle" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
per_minute() { awk -v n="$1" -v s="$idle" 'BEGIN { printf "%.1f", n * 60 / s }'; }
agent_pct=$(pct $((a1 - a0)))
echo "idle over ${idle} s: agent ${agent_pct}% of one core, bare Qt window $(pct $((b1 - b0)))%"
goal "idle processor time, percent of one core" "$agent_pct" 0.5
agent_wakes=$(per_minute "$aw") bare_wakes=$(per_minute "$bw")
own_wakes=$(awk -v a="$agent_wakes" -v b="$bare_wakes" 'BEGIN { d = a - b; printf "%.1f", d < 0 ? 0 : d }')
echo "wake-ups per minute, hourly rotation on: agent ${agent_wakes}, bare Qt window ${bare_wakes}"
goal "the agent's own wake-ups per minute" "$own_wakes" 1
agent_rss=$(rss_kb "$agent_pid") bare_rss=$(rss_kb "$bare_pid")
rss_ratio=$(ratio "$agent_rss" "$bare_rss")
echo "resident memory, agent in the tray: agent ${agent_rss} kB, bare Qt window ${bare_rss} kB"
goal "resident memory in the tray vs a bare Qt window" "$rss_ratio" 1.2
# The same agent once the user has opened its window from the tray (a second start shows it).
"$agent" /nominimize
sleep 3
shown_rss=$(rss_kb "$agent_pid") bare_rss=$(rss_kb "$bare_pid")
echo "resident memory, agent's window open: agent ${shown_rss} kB, bare Qt window ${bare_rss} kB," \
    "ratio $(ratio "$shown_rss" "$bare_rss") (for comparison; the goal is for the agent in the tray)"
