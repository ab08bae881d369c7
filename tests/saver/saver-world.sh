# Sourced first by the companion screensaver's end-to-end scripts: runs the script again on a
# virtual X display of its own (640 x 480), then brings the agent's sandbox (agent-world.sh)
# and what the scripts look at: the companion's processes and the colours on the screen.
if [ -z "${KDX_SAVER_DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-noreset -screen 0 640x480x24" env KDX_SAVER_DISPLAY=1 "$0" "$@"
fi

# shellcheck source=../support/agent-world.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/agent-world.sh"

# companion_world AGENT: the agent's sandbox, with a file of the agent's name beside the companion
# as installed (the companion stores its folder as the agent's only where the agent is beside
# it); it is no program, so "/c" starts nothing.
companion_world() {
    agent_world "$1"
    : >"$1"
}

# companions PROGRAM: how many processes run PROGRAM (the companion, named KDXSaver.SCR).
companions() {
    local pid n=0
    for pid in $(pgrep -x KDXSaver.SCR); do
        [ "$(readlink "/proc/$pid/exe")" = "$(readlink -f "$1")" ] && n=$((n + 1))
    done
    echo "$n"
}

# near COLOUR EXPECTED [TOLERANCE]: "#RRGGBB" colours whose channels differ by at most
# TOLERANCE (24 unless told: JPEG and scaling are not exact).
near() {
    local a=$1 b=$2 tolerance=${3:-24} i d
    for i in 1 3 5; do
        d=$((16#${a:i:2} - 16#${b:i:2}))
        [ "${d#-}" -le "$tolerance" ] || return 1
    done
}
