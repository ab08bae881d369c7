# Sourced by the end-to-end tests of the Windows agent under Wine, after agent-world.sh: a
# virtual X display of the test's own, a fresh Wine prefix copied from the template, Wine's X11
# driver, and helpers to start Windows programs and read the registry.

wine_loader=/usr/lib/wine/wine64
wine_server=/usr/lib/wine/wineserver

# Xvfb on a free display, ended with the test. -noreset keeps the root window's contents.
start_display() {
    local fifo=$sandbox/display-fifo number
    mkfifo "$fifo"
    Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x1024x24 3>"$fifo" 2>"$sandbox/xvfb.log" &
    pids+=("$!")
    read -r -t 30 number <"$fifo" || return 1
    rm -f "$fifo"
    export DISPLAY=:$number
}

# The prefix: the template's big program files are linked (Wine never writes them), everything
# else is copied, so the template stays as it was made.
copy_prefix() {
    local template=$1 prefix=$2
    if cp -al "$template" "$prefix" 2>/dev/null; then
        find "$prefix" -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.ocx' ! -iname '*.drv' ! -iname '*.sys' \
            ! -iname '*.acm' ! -iname '*.cpl' -exec sh -c 'for f; do cp --remove-destination "$f" "$f.copy" && mv "$f.copy" "$f"; done' _ {} +
    else
        cp -a "$template" "$prefix"
    fi
}

# wine_world TEMPLATE: the test's display and prefix. The wine server is ended with the test.
wine_world() {
    mkdir -p "$sandbox/home"
    export HOME=$sandbox/home WINEPREFIX=$sandbox/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
    copy_prefix "$1" "$WINEPREFIX"
    start_display || { echo "FAILED: no virtual display"; exit 1; }
    trap 'wine_cleanup' EXIT
}

# Every Windows program of the prefix ends with its wine server, before the sandbox goes.
wine_cleanup() {
    "$wine_server" -k 2>/dev/null
    timeout 20 "$wine_server" -w 2>/dev/null
    cleanup
}

wine() { "$wine_loader" "$@"; }

# The Windows name of a file of this machine (Wine's drive Z: is the root folder).
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }
# The machine's name of a file on the prefix's drive C:.
c_drive() { local p=${1//\\//}; printf '%s/drive_c/%s' "$WINEPREFIX" "$p"; }

# reg_key KEY: the key's values as reg.exe prints them, "    NAME    TYPE    DATA" (one Wine start
# for every value of the key).
reg_key() { wine reg query "$1" 2>/dev/null | tr -d '\r'; }
# value_of NAME: the data of a value in reg_key's output on the input, or a non-zero status.
value_of() {
    awk -F '    ' -v name="$1" '
        $2 == name { data = $4; for (i = 5; i <= NF; i++) data = data "    " $i; print data; found = 1 }
        END { exit !found }'
}
# reg_value KEY NAME: the value's data, or nothing (and a non-zero status) when it is absent.
reg_value() { reg_key "$1" | value_of "$2"; }

# Windows shown on the display, as "id width height name" lines, for a Wine program file name.
shown_windows() {
    local id
    xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null | while read -r id; do
        local WIDTH= HEIGHT=
        eval "$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)"
        [ -n "$WIDTH" ] && echo "$id $WIDTH $HEIGHT $(xdotool getwindowname "$id" 2>/dev/null)"
    done
}

# ini_has FILE LINE: the settings file (CRLF line ends, as Windows writes it) has that line.
ini_has() { [ -f "$1" ] && tr -d '\r' <"$1" | grep -qxF "$2"; }

# The number of pixels of a colour (#RRGGBB) in a picture.
colour_count() { convert "$1" -depth 8 txt:- 2>/dev/null | grep -ci " $2 "; }
