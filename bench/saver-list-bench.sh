#!/usr/bin/env bash
# The companion screensaver's time from its start to the first picture on the screen with a
# picture list of 100,000 entries against the same with a list of 10, taken in turn. The entries
# are real files (hard links to copies of one 1920x1080 JPEG), so every one would pass a check.
# Run under a virtual display (bench/run does).
# Usage: saver-list-bench.sh KDXSaver.SCR PICTURE_WATCH BENCH_WALLPAPER_BITMAP [RUNS]
set -euo pipefail
saver=$1
watch=$2
pictures=$3
runs=${4:-7}

# shellcheck source=../tests/support/agent-world.sh
source "$(dirname "$0")/../tests/support/agent-world.sh"
agent_world "$sandbox/install/KDX3"
"$pictures" picture 1920 1080 "$sandbox/picture.ppm"
cjpeg -quality 90 -outfile "$sandbox/picture.jpg" "$sandbox/picture.ppm"
python3 - "$sandbox" <<'PY'
import os, shutil, sys
root = sys.argv[1]
for big, count in (("big", 100000), ("small", 10)):
    with open(f"{root}/{big}.ini", "w", newline="\r\n") as ini:
        ini.write("[RandomWhat]\n0=2\n[ImageList]\n")
        for n in range(count):
            folder = f"{root}/pics/{big}/{n // 1000:03d}"
            os.makedirs(folder, exist_ok=True)
            # A file takes at most 65,000 links: a copy of the picture for every 10,000.
            source = f"{root}/picture-{big}-{n // 10000}.jpg"
            if not os.path.exists(source):
                shutil.copy(f"{root}/picture.jpg", source)
            os.link(source, f"{folder}/photo {n}.jpg")
            ini.write(f"{n}={folder}/photo {n}.jpg\n")
        ini.write("[Image]\nInterval=999\nSize=1\n")
PY

median() { tr ' ' '\n' | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
small=() big=()
for ((i = 0; i < runs; i++)); do
    cp "$sandbox/small.ini" "$sandbox/install/KDX.ini"
    read -r ms _ < <("$watch" "$saver" /s)
    small+=("$ms")
    cp "$sandbox/big.ini" "$sandbox/install/KDX.ini"
    read -r ms _ < <("$watch" "$saver" /s)
    big+=("$ms")
done
small_ms=$(median <<<"${small[*]}") big_ms=$(median <<<"${big[*]}")
echo "first picture with 100,000 entries ${big_ms} ms, with 10 entries ${small_ms} ms (medians of $runs);" \
    "runs (ms): ${big[*]} / ${small[*]}"
awk -v a="$big_ms" -v b="$small_ms" 'BEGIN { r = a / b; printf "goal saver_first_picture_100000_entries: %.2f (at most 1.2): %s\n", r, r <= 1.2 ? "met" : "not met" }'
