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

# watch_rotation SHOOT X Y SHOTS: follows the agent's changes of the bitmap (each a new file)
# for up to 40 s, until the screen has shown both pictures and at least four changes; each
# change must show on the screen within 3 s. A screenshot of each picture is kept as
# SHOTS-red.png and SHOTS-blue.png. Fails on the first change that does not show.
watch_rotation() {
    local shoot=$1 x=$2 y=$3 shots=$4 last= now want shown=() changes=0 end=$((SECONDS + 40))
    while [ $SECONDS -lt $end ]; do
        now=$(stat -c %i "$bitmap" 2>/dev/null)
        if [ -n "$now" ] && [ "$now" != "$last" ]; then
            last=$now
            want=$(colour_of "$bitmap" 0 0)
            if ! screen_shows "$shoot" "$x" "$y" "$want" "$sandbox/shot.png"; then
                echo "FAILED: change $((changes + 1)) to $(name_of "$want"): the screen shows" \
                    "$(name_of "$(colour_of "$sandbox/shot.png" "$x" "$y")")"
                cp "$sandbox/shot.png" "$shots-failed.png"
                failures=$((failures + 1))
                return 1
            fi
            changes=$((changes + 1))
            cp "$sandbox/shot.png" "$shots-$(name_of "$want").png"
            shown+=("$(name_of "$want")")
            [[ " ${shown[*]} " == *" red "* && " ${shown[*]} " == *" blue "* && $changes -ge 4 ]] && break
        fi
        sleep 0.2
    done
    if [[ " ${shown[*]} " == *" red "* && " ${shown[*]} " == *" blue "* && $changes -ge 4 ]]; then
        echo "ok: the desktop showed each of $changes changes in turn: ${shown[*]}"
    else
        echo "FAILED: in 40 s the desktop showed only: ${shown[*]:-nothing}"
        failures=$((failures + 1))
    fi
}
