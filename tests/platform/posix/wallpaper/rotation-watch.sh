# Sourced by the desktop tests after tests/support/agent-world.sh: the agent's world with a
# wallpaper list of two pictures that it changes every few seconds, and a watch on the screen
# that follows each change.

# rotation_world PROGRAM_FILE: a red and a blue picture, changed every 3 s, stretched.
rotation_world() {
    agent_world "$1"
    mkdir -p "$sandbox/pics" "$sandbox/cache"
    export XDG_CACHE_HOME=$sandbox/cache
    convert -size 64x48 xc:'#ff0000' "BMP3:$sandbox/pics/red.bmp"
    convert -size 64x48 xc:'#0000ff' "BMP3:$sandbox/pics/blue.bmp"
    printf '[PaperList]\r\n0=%s\r\n1=%s\r\n[Wallpaper]\r\nCycle=2\r\nInterval=3\r\nStyle=2\r\nActivate=1\r\n' \
        "$sandbox/pics/red.bmp" "$sandbox/pics/blue.bmp" >"$(dirname "$1")/KDX.ini"
    windows=$XDG_DATA_HOME/kaleidra-agent
    bitmap=$windows/KAWalllpaper.bmp
    # The services the session bus starts (xfconfd, dconf-service) keep their settings in the
    # sandbox too, not in the HOME the bus itself started with.
    dbus-update-activation-environment HOME XDG_CONFIG_HOME XDG_DATA_HOME XDG_CACHE_HOME XDG_RUNTIME_DIR
}

# colour_of PICTURE X Y: "#RRGGBB" of one pixel.
colour_of() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-Fa-f]\{6\}' | head -n 1; }

# name_of COLOUR: "red", "blue" or the colour itself.
name_of() {
    case "${1^^}" in
    '#FF0000') echo red ;;
    '#0000FF') echo blue ;;
    *) echo "$1" ;;
    esac
}

# screen_shows SHOOT X Y COLOUR SHOT: whether a screenshot (SHOOT FILE takes one) shows COLOUR
# at X,Y within 3 s; the last screenshot is left in SHOT.
screen_shows() {
    local tries
    for ((tries = 0; tries < 15; tries++)); do
        "$1" "$5" && [ "$(colour_of "$5" "$2" "$3")" = "$4" ] && return 0
        sleep 0.2
    done
    return 1
}

# watch_rotation SHOWS SHOTS [CHANGES]: follows the agent's changes of the bitmap (each a new
# file) for up to 40 s; after each one, "SHOWS COLOUR" must succeed within 3 s (it says whether
# the desktop shows a picture of that colour now, and may leave a screenshot in
# $sandbox/shot.png). Ends once the desktop has shown both pictures and at least four changes,
# or CHANGES changes whatever their pictures. Screenshots are kept as SHOTS-red.png and
# SHOTS-blue.png. Fails on the first change that does not show.
watch_rotation() {
    local shows=$1 shots=$2 wanted=${3:-} last= now want shown=() changes=0 tries end=$((SECONDS + 40))
    enough() {
        if [ -n "$wanted" ]; then
            [ "$changes" -ge "$wanted" ]
        else
            [[ " ${shown[*]} " == *" red "* && " ${shown[*]} " == *" blue "* && $changes -ge 4 ]]
        fi
    }
    while [ $SECONDS -lt $end ] && ! enough; do
        now=$(stat -c "%i %z" "$bitmap" 2>/dev/null) # a new file: inode numbers alone come round again
        if [ -n "$now" ] && [ "$now" != "$last" ]; then
            last=$now
            want=$(colour_of "$bitmap" 0 0)
            rm -f "$sandbox/shot.png"
            for ((tries = 0; tries < 15; tries++)); do
                "$shows" "$want" && break
                sleep 0.2
            done
            if [ "$tries" -eq 15 ]; then
                echo "FAILED: change $((changes + 1)) to $(name_of "$want") did not show"
                [ -e "$sandbox/shot.png" ] && cp "$sandbox/shot.png" "$shots-failed.png"
                failures=$((failures + 1))
                return 1
            fi
            changes=$((changes + 1))
            [ -e "$sandbox/shot.png" ] && cp "$sandbox/shot.png" "$shots-$(name_of "$want").png"
            shown+=("$(name_of "$want")")
        fi
        sleep 0.2
    done
    if enough; then
        echo "ok: the desktop showed each of $changes changes in turn: ${shown[*]}"
    else
        echo "FAILED: in 40 s the desktop showed only: ${shown[*]:-nothing}"
        failures=$((failures + 1))
    fi
}

# screen_at SHOOT X Y: shows_on_screen, a SHOWS for watch_rotation, reads the colour at X,Y of a
# screenshot that SHOOT FILE takes.
screen_at() { screen_shoot=$1 screen_x=$2 screen_y=$3; }
shows_on_screen() {
    "$screen_shoot" "$sandbox/shot.png" && [ "$(colour_of "$sandbox/shot.png" "$screen_x" "$screen_y")" = "$1" ]
}
