# Sourced by the sway tests after tests/support/agent-world.sh: sway headless (no X server,
# XWayland off), run as an unprivileged user since sway refuses root.
user=nobody
chown -R "$user" "$sandbox"
# In the program's stead (exec), so that a program started in the background has the pid the
# cleanup ends; called in a subshell where the script itself must go on.
as_user() { exec setpriv --reuid="$user" --regid="$(id -g "$user")" --clear-groups -- "$@"; }
unset DISPLAY
export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland

# start_sway OUTPUTS CONFIG: sway with that many headless outputs and that configuration file;
# its sockets in $SWAYSOCK and $WAYLAND_DISPLAY, or the test ends when it does not start.
start_sway() {
    WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=$1 as_user sway -c "$2" \
        >"$sandbox/sway.log" 2>&1 &
    pids+=("$!")
    found_sockets() {
        SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock 2>/dev/null | head -n 1)
        WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && ls wayland-? 2>/dev/null | head -n 1)
        [ -n "$SWAYSOCK" ] && [ -n "$WAYLAND_DISPLAY" ]
    }
    if ! wait_for 100 found_sockets; then
        echo "FAILED: sway did not start"
        tail -n 20 "$sandbox/sway.log"
        exit 1
    fi
    export SWAYSOCK WAYLAND_DISPLAY
}
