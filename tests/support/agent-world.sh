# Sourced by the scripts that run the real agent (the end-to-end tests and bench/): a sandbox
# folder, removed at exit after the programs whose ids are in $pids are ended, the agent's
# private world in it, and the checks the tests make.

sandbox=$(mktemp -d)
pids=()
failures=0
cleanup() {
    # Quietly: the shell would report each killed program.
    {
        for pid in "${pids[@]}"; do
            kill -9 "$pid" && wait "$pid"
        done
        wait
    } 2>/dev/null || true
    chmod -R u+w "$sandbox" 2>/dev/null || true
    rm -rf "$sandbox"
}
trap cleanup EXIT

# agent_world PROGRAM_FILE: the agent's settings, registry stand-in and rendezvous live in the
# sandbox, and it takes PROGRAM_FILE's folder for its program folder.
agent_world() {
    mkdir -p "$sandbox/config" "$sandbox/data" "$sandbox/runtime" "$(dirname "$1")"
    chmod 700 "$sandbox/runtime"
    export HOME=$sandbox XDG_CONFIG_HOME=$sandbox/config XDG_DATA_HOME=$sandbox/data
    export XDG_RUNTIME_DIR=$sandbox/runtime KALEIDRA_PROGRAM_FILE=$1
    # An X11 session, whatever session the tests were started from.
    unset WAYLAND_DISPLAY
    export XDG_SESSION_TYPE=x11
}

check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}

wait_for() { # wait_for TENTHS COMMAND...: polls until the command succeeds
    local tries=$1
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
