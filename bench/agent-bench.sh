#!/usr/bin/env bash
# The agent's start-up to a visible window and its idle cost, each against a bare Qt 6 window
# measured in the same run on the same display. Run under a virtual display with a D-Bus session
# (bench/run does). Usage: agent-bench.sh KDX3 BARE_QT_WINDOW AGENT_WINDOW_ALONE MAP_WATCH [RUNS]
# [IDLE_SECONDS]
set -euo pipefail
agent=$1
bare=$2
alone=$3
watch=$4
runs=${5:-15}
idle=${6:-60}

# shellcheck source=../tests/support/agent-world.sh
source "$(dirname "$0")/../tests/support/agent-world.sh"
# The agent's own world, with a wallpaper rotation of two pictures every 30 seconds.
agent_world "$sandbox/install/KDX3"
convert -size 1024x768 plasma:red-blue "BMP3:$sandbox/one.bmp"
convert -size 1024x768 plasma:green-yellow "BMP3:$sandbox/two.bmp"
printf '[PaperList]\n0=%s\n1=%s\n[Wallpaper]\nCycle=2\nInterval=30\nStyle=2\nActivate=1\n' \
    "$sandbox/one.bmp" "$sandbox/two.bmp" >"$sandbox/install/KDX.ini"
# A new user's agent: no settings file yet, so nothing to change at start. It has a registry
# stand-in of its own, where it records its own folder as the install folder.
mkdir -p "$sandbox/fresh/config"

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
# verdict VALUE GOAL: whether a figure is within its goal.
verdict() { awk -v v="$1" -v g="$2" 'BEGIN { print (v <= g ? "met" : "not met") }'; }
# Each figure is the milliseconds from exec to the X server mapping the program's window.
agent_times=() fresh_times=() bare_times=() alone_times=()
for ((i = 0; i < runs; i++)); do
    bare_times+=("$("$watch" bare_qt_window "$bare")")
    alone_times+=("$("$watch" agent_window_alone "$alone")")
    fresh_times+=("$("$watch" KDX3 env KALEIDRA_PROGRAM_FILE="$sandbox/fresh/KDX3" XDG_CONFIG_HOME="$sandbox/fresh/config" \
        "$agent" /nominimize)")
    agent_times+=("$("$watch" KDX3 "$agent" /nominimize)")
done
bare_ms=$(median <<<"${bare_times[*]}")
fresh_ms=$(median <<<"${fresh_times[*]}")
agent_ms=$(median <<<"${agent_times[*]}")
alone_ms=$(median <<<"${alone_times[*]}")
echo "start-up to a visible window, median of $runs (goal at most 1.5 x the bare Qt window, ${bare_ms} ms):"
fresh_ratio=$(ratio "$fresh_ms" "$bare_ms") agent_ratio=$(ratio "$agent_ms" "$bare_ms")
echo "  new user's agent ${fresh_ms} ms, ratio ${fresh_ratio}: $(verdict "$fresh_ratio" 1.5)"
echo "  agent changing the wallpaper at start (rotation on) ${agent_ms} ms, ratio ${agent_ratio}: $(verdict "$agent_ratio" 1.5)"
echo "  for comparison, the agent's window alone (its widgets and texts, no creation sequence) ${alone_ms} ms," \
    "ratio $(ratio "$alone_ms" "$bare_ms")"
echo "  runs (ms): bare ${bare_times[*]}; new user ${fresh_times[*]}; rotation ${agent_times[*]};" \
    "window alone ${alone_times[*]}"

# Idle: both programs side by side for the same minute, the agent in a panel's tray (XEmbed) with
# an hourly rotation, which has nothing due within the minute after its change at start.
printf '[PaperList]\n0=%s\n1=%s\n[Wallpaper]\nCycle=0\nStyle=2\nActivate=1\n' \
    "$sandbox/one.bmp" "$sandbox/two.bmp" >"$sandbox/install/KDX.ini"
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
# Every time one of its threads went to sleep and was woken: its voluntary context switches, by
# thread, so that a thread ending meanwhile takes nothing off the count.
switches() { awk '/^Pid:/ { t = $2 } /^voluntary_ctxt_switches:/ { print t, $2 }' /proc/"$1"/task/*/status; }
wakeups() { awk 'NR == FNR { s[$1] = $2; next } { n += $2 - s[$1] } END { print n }' "$1" "$2"; }
start_tray
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
echo "idle over ${idle} s: agent ${agent_pct}% of one core (goal under 0.5%: $(verdict "$agent_pct" 0.5))," \
    "bare Qt window $(pct $((b1 - b0)))%"
agent_wakes=$(per_minute "$aw") bare_wakes=$(per_minute "$bw")
own_wakes=$(awk -v a="$agent_wakes" -v b="$bare_wakes" 'BEGIN { d = a - b; printf "%.1f", d < 0 ? 0 : d }')
echo "wake-ups per minute, hourly rotation on: agent ${agent_wakes}, bare Qt window ${bare_wakes};" \
    "the agent's own ${own_wakes} (goal at most 1 per minute: $(verdict "$own_wakes" 1))"
agent_rss=$(rss_kb "$agent_pid") bare_rss=$(rss_kb "$bare_pid")
rss_ratio=$(ratio "$agent_rss" "$bare_rss")
echo "resident memory, agent in the tray: agent ${agent_rss} kB, bare Qt window ${bare_rss} kB," \
    "ratio ${rss_ratio} (goal at most 1.2: $(verdict "$rss_ratio" 1.2))"
# The same agent once the user has opened its window from the tray (a second start shows it).
"$agent" /nominimize
sleep 3
shown_rss=$(rss_kb "$agent_pid") bare_rss=$(rss_kb "$bare_pid")
echo "resident memory, agent's window open: agent ${shown_rss} kB, bare Qt window ${bare_rss} kB," \
    "ratio $(ratio "$shown_rss" "$bare_rss") (for comparison; the goal is for the agent in the tray)"
