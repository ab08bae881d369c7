#!/usr/bin/env bash
# The companion screensaver's time from its start to the first picture on the screen, for a
# 24-megapixel JPEG in each Size, against djpeg decoding the same file to PPM, and its memory
# while it shows the picture. Run under a virtual display (bench/run does).
# Usage: saver-bench.sh KDXSaver.SCR PICTURE_WATCH BENCH_WALLPAPER_BITMAP [RUNS]
set -euo pipefail
saver=$1
watch=$2
pictures=$3
runs=${4:-7}

# shellcheck source=../tests/support/agent-world.sh
source "$(dirname "$0")/../tests/support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
# The agent's file beside the companion, as installed: the companion reads the lists only where
# it finds the agent's folder.
: >"$sandbox/install/KDX3"
jpeg=$sandbox/picture.jpg
"$pictures" picture 6000 4000 "$sandbox/picture.ppm"
cjpeg -quality 90 -outfile "$jpeg" "$sandbox/picture.ppm"
rm "$sandbox/picture.ppm"
screen=$(xdpyinfo | awk '/dimensions:/ { size = $2 } END { print size }')

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.1f", k / 1024 }'; }

# djpeg's time, processor time and peak memory, the reference, measured between the
# companion's runs.
djpeg_ms=() djpeg_cpu=() djpeg_peak=0
djpeg_once() {
    local ms cpu peak
    read -r ms cpu peak < <("$watch" --run djpeg -outfile /dev/null "$jpeg")
    djpeg_ms+=("$ms")
    djpeg_cpu+=("$cpu")
    [ "$peak" -gt "$djpeg_peak" ] && djpeg_peak=$peak
    return 0
}

echo "picture: 6000x4000 (24 megapixels), JPEG $(mib $(($(stat -c %s "$jpeg") / 1024))) MiB, screen $screen"
for size in 0 1 2; do
    printf '[RandomWhat]\n0=2\n[ImageList]\n0=%s\n[Image]\nInterval=999\nSize=%s\n' "$jpeg" "$size" \
        >"$sandbox/install/KDX.ini"
    times=() cpus=() rss=() peak=()
    for ((i = 0; i < runs; i++)); do
        djpeg_once
        read -r ms cpu r p < <("$watch" "$saver" /s)
        times+=("$ms") cpus+=("$cpu") rss+=("$r") peak+=("$p")
    done
    ms=$(median <<<"${times[*]}") cpu=$(median <<<"${cpus[*]}")
    reference=$(median <<<"${djpeg_ms[*]}") reference_cpu=$(median <<<"${djpeg_cpu[*]}")
    name=$(case $size in 0) echo "Full Size" ;; 1) echo "Fit Image" ;; *) echo "Full Screen" ;; esac)
    echo "$name: first picture on screen ${ms} ms against djpeg's decoding ${reference} ms, ratio" \
        "$(ratio "$ms" "$reference"); processor time ${cpu} ms against ${reference_cpu} ms, ratio" \
        "$(ratio "$cpu" "$reference_cpu")"
    echo "  memory while showing $(mib "$(median <<<"${rss[*]}")") MiB resident" \
        "(peak $(mib "$(median <<<"${peak[*]}")") MiB) against djpeg's peak $(mib "$djpeg_peak") MiB"
    echo "  runs (ms): ${times[*]}; processor ${cpus[*]}"
done
echo "djpeg runs (ms): ${djpeg_ms[*]}; processor ${djpeg_cpu[*]}"
