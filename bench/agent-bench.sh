#!/usr/bin/env bash
# The agent's start-up to a visible window and its idle cost, each against a bare Qt 6 window
# measured in the same run on the same display. Run under a virtual display with a D-Bus session
# (bench/run does). Usage: agent-bench.sh KDX3 BARE_QT_WINDOW [RUNS] [IDLE_SECONDS]
set -euo pipefail
agent=$1
bare=$2
runs=${3:-7}
idle=${4:-60}

sandbox=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill -9 "$pid" 2>/dev/null || true; done
    wait 2>/dev/null || true
    rm -rf "$sandbox"
}
trap cleanup EXIT

# The agent's own world, with a wallpaper rotation of two pictures every 30 seconds.
mkdir -p "$sandbox/install" "$sandbox/config" "$sandbox/data" "$sandbox/runtime"
chmod 700 "$sandbox/runtime"
export HOME=$sandbox XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data
export XDG_RUNTIME_DIR=$sandbox/runtime KALEIDRA_PROGRAM_FILE=$sandbox/install/KDX3
convert -size 1024x768 plasma:red-blue "BMP3:$sandbox/one.bmp"
convert -size 1024x768 plasma:green-yellow "BMP3:$sandbox/two.bmp"
printf '[PaperList]\n0=%s\n1=%s\n[Wallpaper]\nCycle=2\nInterval=30\nStyle=2\nActivate=1\n' \
    "$sandbox/one.bmp" "$sandbox/two.bmp" >"$sandbox/install/KDX.ini"

now_ms() { echo $(($(date +%s%N) / 1000000)); }
visible() { xdotool search --onlyvisible --classname "$1" >/dev/null 2>&1; }

# Sets $took to the milliseconds from exec to the program's window being mapped, and stops the
# program.
time_to_window() { # time_to_window CLASS PROGRAM ARGS...
    local class=$1 t0 pid
    shift
    t0=$(now_ms)
    "$@" &
    pid=$!
    pids+=("$pid")
    until visible "$class"; do
        kill -0 "$pid" 2>/dev/null || { echo "$class exited before showing a window" >&2; exit 1; }
    done
    took=$(($(now_ms) - t0))
    kill -9 "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

agent_times=() bare_times=()
for ((i = 0; i < runs; i++)); do
    time_to_window bare_qt_window "$bare"
    bare_times+=("$took")
    time_to_window KDX3 "$agent" /nominimize
    agent_times+=("$took")
done
agent_ms=$(median <<<"${agent_times[*]}")
bare_ms=$(median <<<"${bare_times[*]}")
echo "start-up to a visible window, median of $runs: agent ${agent_ms} ms, bare Qt window ${bare_ms} ms," \
    "ratio $(awk -v a="$agent_ms" -v b="$bare_ms" 'BEGIN { printf "%.2f", a / b }') (goal at most 1.5)"
echo "  agent runs (ms): ${agent_times[*]}; bare runs (ms): ${bare_times[*]}"

# Idle: both programs side by side for the same minute, the agent in the tray with its
# one-second timer and the rotation on.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }
"$agent" &
agent_pid=$!
pids+=("$agent_pid")
"$bare" &
bare_pid=$!
pids+=("$bare_pid")
sleep 3 # past start-up
a0=$(cpu_ticks "$agent_pid") b0=$(cpu_ticks "$bare_pid")
sleep "$idle"
a1=$(cpu_ticks "$agent_pid") b1=$(cpu_ticks "$bare_pid")
hz=$(getconf CLK_TCK)
pct() { awk -v t="$1" -v hz="$hz" -v s="$idle" 'BEGIN { printf "%.3f", 100 * t / hz / s }'; }
agent_rss=$(rss_kb "$agent_pid") bare_rss=$(rss_kb "$bare_pid")
echo "idle over ${idle} s: agent $(pct $((a1 - a0)))% of one core (goal under 0.5%)," \
    "bare Qt window $(pct $((b1 - b0)))%"
echo "resident memory: agent ${agent_rss} kB, bare Qt window ${bare_rss} kB," \
    "ratio $(awk -v a="$agent_rss" -v b="$bare_rss" 'BEGIN { printf "%.2f", a / b }')"
