#!/usr/bin/env bash
# Drives the real Windows agent KDX3.exe under wine64 with Wine's X11 driver on a virtual X
# display of its own, in a fresh Wine prefix per case. Each case is a CTest entry.
# Usage: agent-wine-e2e.sh CASE KDX3.EXE PREFIX_TEMPLATE STAND_IN_SAVER SCREENSHOT_FOLDER
set -uo pipefail
case_name=$1
program=$2
template=$3
stand_in=$4
# scripts/test puts the pictures beside the Linux agent's.
shots=${KDX_SCREENSHOT_DIR:-$5}

# Same file system as the template, so the prefix's big files can be linked rather than copied.
export TMPDIR=$(dirname "$template")
# shellcheck source=../../support/agent-world.sh
source "$(dirname "$0")/../../support/agent-world.sh"
# shellcheck source=../../support/wine-world.sh
source "$(dirname "$0")/../../support/wine-world.sh"
wine_world "$template"

# The agent's program folder on drive C:, with its help file beside it.
folder='C:\Kaleidra'
agent="$folder\\KDX3.exe"
install_dir=$(c_drive Kaleidra)
mkdir -p "$install_dir"
ln "$program" "$install_dir/KDX3.exe" 2>/dev/null || cp "$program" "$install_dir/KDX3.exe"
cp "$(dirname "$program")/kdx3.chm" "$install_dir/"
ini=$install_dir/KDX.ini

start_agent() { # start_agent [ARG]: the agent runs in the background; its pid in $agent_pid
    wine "$agent" "$@" >>"$sandbox/agent.log" 2>&1 &
    agent_pid=$!
    pids+=("$agent_pid")
}
agent_windows() { shown_windows kdx3.exe; }
main_window() { agent_windows | awk '$2 >= 600 && $3 >= 400 && $4 " " $5 == "Kaleidra Agent" && NF == 5 { print $1; exit }'; }
window_shown() { [ -n "$(main_window)" ]; }
window_hidden() { [ -z "$(main_window)" ]; }
# The running agent's single-instance window (hidden, of the class "KaleidraAgent").
agent_running() { xdotool search --name '^KaleidraAgent$' >/dev/null 2>&1; }
# Brings a window to the keyboard: there is no window manager on the display to do it.
focus() { xdotool windowfocus --sync "$1" 2>/dev/null; }
keys() { xdotool key --delay 80 "$@"; }

# Cases ------------------------------------------------------------------------------------

# A start in the tray, the hand-over from a second start, the window it shows and its picture.
case_start() {
    start_agent
    check "the agent starts in the tray" wait_for 300 agent_running
    check "no window is shown at a start without the switch" window_hidden
    local before status started elapsed
    # The first agent's window class exists before its start has ended, and what that start
    # writes is not the hand-over's: the folder must first stay the same for two seconds.
    local last= i
    before=$(ls -l --full-time "$install_dir")
    for ((i = 0; i < 30; i++)); do
        [ "$before" = "$last" ] && break
        last=$before
        sleep 2
        before=$(ls -l --full-time "$install_dir")
    done
    started=$SECONDS
    timeout 120 "$wine_loader" "$agent" /nominimize >>"$sandbox/agent.log" 2>&1
    status=$?
    elapsed=$((SECONDS - started))
    check "the second start (/nominimize) exits with 0 (got $status)" [ "$status" -eq 0 ]
    # Its own start under Wine takes a few seconds; it must not stay.
    check "the second start ends at once (${elapsed} s)" [ "$elapsed" -lt 30 ]
    check "the running agent shows its window after the hand-over" wait_for 100 window_shown
    check "one agent runs: one window of the class KaleidraAgent" \
        [ "$(xdotool search --name '^KaleidraAgent$' 2>/dev/null | wc -l)" -eq 1 ]
    local after
    after=$(ls -l --full-time "$install_dir")
    check "the hand-over wrote nothing into the program folder" [ "$after" = "$before" ]
    [ "$after" = "$before" ] || diff <(echo "$before") <(echo "$after")

    local window shot=$shots/kdx3-main-window-wine.png
    window=$(main_window)
    sleep 1 # let it finish painting
    if [ -n "$window" ] && import -window "$window" "$shot" 2>/dev/null; then
        echo "ok: picture of the main window under Wine saved to $shot"
    else
        echo "FAILED: no picture of the main window"
        failures=$((failures + 1))
        return
    fi
    # The title strip's navy text and the status panel's red heading: the window was drawn with
    # the status panel docked, not left blank.
    local navy red
    navy=$(colour_count "$shot" '#000080')
    red=$(colour_count "$shot" '#FF0000')
    check "the title is drawn in navy ($navy pixels)" [ "${navy:-0}" -gt 200 ]
    check "the status panel's heading is drawn in red ($red pixels)" [ "${red:-0}" -gt 100 ]
    check "the window's caption is \"Kaleidra Agent\"" [ "$(xdotool getwindowname "$window")" = "Kaleidra Agent" ]
}

# Text drawn whole: the title and a tool bar caption under Wine against the Linux agent's -------

# dark_pixels PICTURE GEOMETRY: the region's pixels darker than its light backgrounds (text ink,
# its smoothed edges included), as "x y" lines.
dark_pixels() {
    convert "$1" -crop "$2" +repage -colorspace Gray -depth 8 txt:- 2>/dev/null |
        awk -F'[,:() ]+' 'NR > 1 && $4 < 200 { print $1, $2 }'
}
# title_ink PICTURE: the title's ink in the main window's title strip (left of the logo, below
# the bars), in pixels: the navy ones, their smoothed edges included (the strip's lines are grey).
title_ink() {
    convert "$1" -crop 460x48+135+42 +repage -depth 8 txt:- 2>/dev/null |
        awk -F'[,:() ]+' 'NR > 1 && $5 - $3 > 20 { n++ } END { print n + 0 }'
}
# caption_gaps PICTURE: in a list panel's first tool bar caption ("Add Files", at the bottom left
# of the work area), the runs of three or more empty columns inside the text: one between its
# words, more where a letter or a stroke is missing.
caption_gaps() {
    local height
    height=$(identify -format '%h' "$1")
    dark_pixels "$1" "52x40+131+$((height - 61))" | awk '
        { ink[$2] = 1; dot[$2, $1] = 1; if ($2 > bottom) bottom = $2 }
        END {
            top = bottom # the caption: the lowest rows with ink, under the icon
            while (top > 0 && ink[top - 1]) top--
            for (x = 0; x < 52; x++) for (y = top; y <= bottom; y++) if (dot[y, x]) used[x] = 1
            first = -1
            for (x = 0; x < 52; x++) if (used[x]) { if (first < 0) first = x; last = x }
            for (x = first; x <= last; x++) if (used[x]) { if (run >= 3) gaps++; run = 0 } else run++
            print gaps + 0 }'
}

# pictures AGENT_WINDOW NAME: the main window with the status panel (NAME.png) and with the
# screensaver panel, opened from the side bar (NAME-saver.png).
pictures() {
    sleep 1 # let it finish painting
    import -window "$1" "$2.png" 2>/dev/null
    xdotool mousemove --window "$1" 65 105 click 1
    sleep 2
    import -window "$1" "$2-saver.png" 2>/dev/null
}

# The Linux agent's pictures on the same display, in a sandbox of its own.
linux_pictures() {
    local home=$sandbox/linux window= pid
    mkdir -p "$home/config" "$home/data" "$home/runtime" "$home/install"
    chmod 700 "$home/runtime"
    env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" \
        KALEIDRA_PROGRAM_FILE="$home/install/KDX3" XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb \
        dbus-run-session -- "$KDX_LINUX_AGENT" /nominimize >>"$sandbox/linux-agent.log" 2>&1 &
    pids+=("$!")
    linux_window() { window=$(xdotool search --onlyvisible --classname '^KDX3$' 2>/dev/null | head -n 1) && [ -n "$window" ]; }
    wait_for 100 linux_window || return 1
    pictures "$window" "$sandbox/linux"
    pid=$(xdotool getwindowpid "$window")
    kill "$pid"
    wait_for 50 eval '! kill -0 '"$pid"' 2>/dev/null'
}

# Wine's own Tahoma, the face Wine gives Windows programs' dialogs, registered as Windows has it,
# in place of the template's DejaVu Sans.
use_wine_tahoma() {
    local fonts=/usr/share/wine/fonts
    [ -f "$fonts/tahoma.ttf" ] || return 1
    cp "$fonts/tahoma.ttf" "$fonts/tahomabd.ttf" "$(c_drive windows/Fonts)/"
    printf '%s\r\n' REGEDIT4 '' \
        '[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\Fonts]' \
        '"Tahoma (TrueType)"="tahoma.ttf"' '"Tahoma Bold (TrueType)"="tahomabd.ttf"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"Tahoma"=-' '"MS Shell Dlg"=-' '"MS Shell Dlg 2"=-' >"$sandbox/tahoma.reg"
    wine regedit /S "$(winpath "$sandbox/tahoma.reg")"
}

# The main window under Wine with Wine's own Tahoma draws its title and the tool bar captions
# whole, measured against the Linux agent's pictures of the same places (other faces, so with a
# margin): the title's ink at least half the Linux title's (the cut strokes left a quarter), and
# no more gaps inside "Add Files" than the Linux caption has (a lost "l" made one more).
case_text() {
    if [ ! -x "${KDX_LINUX_AGENT:-}" ]; then
        echo "FAILED: no Linux agent to compare with (KDX_LINUX_AGENT=${KDX_LINUX_AGENT:-})"
        failures=$((failures + 1))
        return
    fi
    check "the Linux agent's pictures are taken" linux_pictures
    check "Wine's own Tahoma is in the prefix" use_wine_tahoma
    start_agent /nominimize
    check "the agent shows its window" wait_for 300 window_shown
    pictures "$(main_window)" "$sandbox/wine"
    local linux_title wine_title linux_gaps wine_gaps
    linux_title=$(title_ink "$sandbox/linux.png")
    wine_title=$(title_ink "$sandbox/wine.png")
    linux_gaps=$(caption_gaps "$sandbox/linux-saver.png")
    wine_gaps=$(caption_gaps "$sandbox/wine-saver.png")
    check "the Linux title has ink ($linux_title pixels)" [ "$linux_title" -gt 300 ]
    check "the title is drawn whole under Wine ($wine_title pixels of ink, $linux_title on Linux)" \
        [ $((2 * wine_title)) -ge "$linux_title" ]
    check "\"Add Files\" has its letters under Wine ($wine_gaps gaps, $linux_gaps on Linux)" \
        [ "$wine_gaps" -le "$linux_gaps" ]
    # Side by side for the eye: Wine on the left, Linux on the right.
    convert "$sandbox/wine.png" "$sandbox/linux.png" +append "$shots/kdx3-main-window-wine-linux.png" &&
        convert "$sandbox/wine-saver.png" "$sandbox/linux-saver.png" +append "$shots/kdx3-saver-panel-wine-linux.png" &&
        echo "ok: pictures saved to $shots/kdx3-main-window-wine-linux.png and kdx3-saver-panel-wine-linux.png"
}

start_tray() {
    trayer --edge top --align right --widthtype pixel --width 120 --height 24 --transparent false \
        >>"$sandbox/trayer.log" 2>&1 &
    pids+=("$!")
    wait_for 50 xdotool search --name '^panel$' >/dev/null
}
# Wine docks the notification icons itself: the icon is a window of explorer.exe that the tray
# host's panel holds.
tray_icon_owner=explorer.exe
# A menu is a small window of the agent.
tray_menu() { agent_windows | awk '$2 >= 60 && $2 < 600 && $3 < 400 { print $1; exit }'; }
menu_open() { [ -n "$(tray_menu)" ]; }
menu_closed() { [ -z "$(tray_menu)" ]; }
# Under Wine the first right click on the icon after the agent's window took the focus only
# moves the focus, so a user clicks again.
open_tray_menu() {
    local attempt
    for attempt in 1 2 3; do
        xdotool mousemove --window "$(tray_icon)" 8 8 click 3
        wait_for 30 menu_open && return 0
    done
    return 1
}
# tray_command N: a click on the Nth item of the tray menu (1 Settings, 2 Execute Screensaver,
# 3 Disable Screensaver, 4 Desktop; 0 the last, Close). Rows are 22 pixels high with the
# prefix's DejaVu Sans.
tray_command() {
    open_tray_menu || return 1
    local menu y HEIGHT=
    menu=$(tray_menu)
    eval "$(xdotool getwindowgeometry --shell "$menu")"
    y=$((15 + 22 * ($1 - 1)))
    [ "$1" -eq 0 ] && y=$((HEIGHT - 13))
    xdotool mousemove --window "$menu" 40 "$y" click 1
    wait_for 30 menu_closed
}

# The stand-in screensaver where Windows keeps screensavers; it logs each start beside itself.
install_stand_in() {
    cp "$stand_in" "$(c_drive windows/system32)/KDXSaver.SCR"
    saver_log=$(c_drive windows/system32)/KDXSaver.log
}
saver_starts() {
    [ -f "$saver_log" ] || { echo 0; return; }
    tr -d '\r' <"$saver_log" | grep -c .
}
saver_shown() { [ -n "$(shown_windows kdxsaver.scr)" ]; }
saver_started() { [ "$(saver_starts)" -gt "$1" ] && saver_shown; }
# Ends the stand-in as a user does: a click on its window.
end_saver() {
    local window
    for window in $(shown_windows kdxsaver.scr | awk '{ print $1 }'); do
        xdotool mousemove --window "$window" 5 5 click 1
    done
    wait_for 50 eval '! saver_shown'
}

# The icon in an XEmbed tray, its menu and every command of it but Desktop.
case_tray() {
    install_stand_in
    start_tray
    start_agent
    check "the tray icon docks in the XEmbed tray" wait_for 300 icon_in_tray
    check "no window is shown meanwhile" window_hidden
    open_tray_menu
    check "a right click on the icon opens the tray menu" menu_open
    local shot=$shots/kdx3-tray-menu-wine.png
    import -window root -crop 400x220+880+0 "$shot" 2>/dev/null && echo "ok: picture of the tray menu saved to $shot"
    keys Escape
    check "Escape closes the tray menu" wait_for 30 menu_closed
    check "the window stays hidden" window_hidden

    tray_command 2
    check "Execute Screensaver starts KDXSaver.SCR, found by its bare name" wait_for 100 saver_started 0
    end_saver
    local key='HKCU\Control Panel\Desktop'
    tray_command 3
    check "Disable Screensaver clears SCRNSAVE.EXE to two quotation marks" \
        wait_for 50 eval '[ "$(reg_value "$key" SCRNSAVE.EXE)" = "\"\"" ]'
    tray_command 3
    check "Disable Screensaver again installs \"KDXSaver.SCR\"" \
        wait_for 50 eval '[ "$(reg_value "$key" SCRNSAVE.EXE)" = "\"KDXSaver.SCR\"" ]'

    xdotool mousemove --window "$(tray_icon)" 8 8 click --repeat 2 --delay 80 1
    check "a double click on the icon shows the window" wait_for 50 window_shown
    tray_command 0
    agent_ended() { ! kill -0 "$agent_pid" 2>/dev/null; }
    check "the tray menu's Close ends the agent" wait_for 100 agent_ended
    if agent_ended; then
        wait "$agent_pid"
        local status=$?
        check "the agent ends with exit code 0 (got $status)" [ "$status" -eq 0 ]
    fi
}

case_hotkeys() {
    install_stand_in
    # Only the first letter counts, and the keys are the stored letters: Q shows the window, E
    # starts the screensaver; A is nobody's.
    printf '[Misc]\r\nActivateHotKey=QX\r\nExecuteHotKey=E\r\n' >"$ini"
    start_agent
    check "the agent starts in the tray" wait_for 300 agent_running
    # Wine sees only the keys that reach its own windows (it grabs nothing on the X server): a
    # user's key presses come through whichever Wine window has the focus, here Notepad's.
    wine notepad >>"$sandbox/notepad.log" 2>&1 &
    pids+=("$!")
    notepad_shown() { [ -n "$(shown_windows notepad.exe)" ]; }
    check "a Wine program's window is there to type into" wait_for 300 notepad_shown
    local notepad
    notepad=$(shown_windows notepad.exe | awk '{ print $1; exit }')
    xdotool mousemove --window "$notepad" 200 200 click 1
    focus "$notepad"
    keys ctrl+alt+a
    sleep 1
    check "Ctrl+Alt+A, no hot key of the agent, shows nothing" window_hidden
    keys ctrl+alt+q
    check "Ctrl+Alt+Q shows the hidden window" wait_for 50 window_shown
    xdotool mousemove --window "$notepad" 200 200 click 1
    focus "$notepad"
    keys ctrl+alt+e
    check "Ctrl+Alt+E starts KDXSaver.SCR" wait_for 100 saver_started 0
}

# Makes the shown main window the one that takes the keys: a click on its title strip.
activate_main_window() {
    local window
    window=$(main_window)
    xdotool windowraise "$window"
    xdotool mousemove --window "$window" 400 60 click 1
    sleep 0.3
}
dialog_shown() { agent_windows | awk -v name="$1" '$4 == name && NF == 4 { found = 1 } END { exit !found }'; }
dialog_closed() { ! dialog_shown "$1"; }

# Preference, Load on system startup, OK: chkStartup has the focus when the dialog opens.
toggle_startup() {
    activate_main_window
    keys F2
    wait_for 50 dialog_shown Preference || return 1
    keys space Return
    wait_for 50 dialog_closed Preference
}

help_window() { # help_window PROGRAM: the help viewer's window, shown by that Windows program
    shown_windows "$1" | awk '$4 " " $5 " " $6 == "Kaleidra Agent Help" && NF == 6 { print $1; exit }'
}
help_shown() { [ -n "$(help_window "$1")" ]; }

# Where the settings live, log-on start from the preference dialog, and the help.
case_preferences() {
    local product='HKCU\Software\Tembrix Software\Kaleidra Deluxe V3.00'
    local run='HKCU\SOFTWARE\Microsoft\Windows\CurrentVersion\Run'
    start_agent /nominimize
    check "the window shows" wait_for 300 window_shown
    check "InstalledPath names the program folder" eval '[ "$(reg_value "$product" InstalledPath)" = "$folder" ]'
    toggle_startup
    check "Load on system startup writes the Run value \"$folder\\KDX3.exe\"" \
        wait_for 30 eval '[ "$(reg_value "$run" Kaleidra)" = "\"$folder\\KDX3.exe\"" ]'
    check "the preference is saved in KDX.ini in the program folder" ini_has "$ini" Startup=1
    toggle_startup
    check "switching it off removes the Run value" wait_for 30 eval '! reg_value "$run" Kaleidra >/dev/null'
    check "KDX.ini says so" ini_has "$ini" Startup=0

    activate_main_window
    keys F1
    # The shell opens kdx3.chm with the viewer registered for it, Wine's hh.exe, whose window
    # takes the help file's title.
    check "F1 opens kdx3.chm beside the program in the HTML Help viewer" wait_for 150 help_shown hh.exe
    local shot=$shots/kdx3-help-wine.png
    import -window "$(help_window hh.exe)" "$shot" 2>/dev/null && echo "ok: picture of the help saved to $shot"
    activate_main_window
    keys F2
    check "the preference dialog opens" wait_for 50 dialog_shown Preference
    keys alt+h
    # The topic goes through the HTML Help control, which the agent found through the class
    # registry and loaded itself: the help window belongs to the agent's own process.
    check "its Help button shows the help through the control loaded into the agent" wait_for 150 help_shown kdx3.exe
}

# Wallpaper --------------------------------------------------------------------------------

# The wallpaper tests run in a Wine desktop of its own (explorer /desktop), which draws the
# wallpaper the way Windows does, so the desktop itself shows what SystemParametersInfo did.
desktop_size=1024x768
start_agent_on_desktop() {
    wine explorer /desktop=kdx,$desktop_size "$agent" "$@" >>"$sandbox/agent.log" 2>&1 &
    agent_pid=$!
    pids+=("$agent_pid")
}
desktop_window() { xdotool search --name '^kdx - Wine desktop$' 2>/dev/null | head -n 1; }
# The colour the desktop shows at a point that no window covers (the tiled wallpaper, there).
desktop_colour() {
    import -window "$(desktop_window)" -crop 1x1+8+8 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1
}
bitmap_colour() { convert "$wallpaper_bitmap" -crop 1x1+8+8 -depth 8 txt:- 2>/dev/null | grep -o '#[0-9A-F]\{6\}' | head -n 1; }
# red or blue for a colour near them (a JPEG's blue comes back as #0000FE), else the colour.
colour_name() {
    case "$1" in
    '#'[E-F]?[0-1]?[0-1]?) echo red ;;
    '#'[0-1]?[0-1]?[E-F]?) echo blue ;;
    *) echo "$1" ;;
    esac
}
desktop_shows() { [ "$(colour_name "$(desktop_colour)")" = "$1" ]; }

wallpaper_world() {
    mkdir -p "$sandbox/pictures"
    convert -size 64x48 xc:'#ff0000' "BMP3:$sandbox/pictures/red.bmp"
    convert -size 64x48 xc:'#0000ff' -quality 100 "$sandbox/pictures/blue.jpg"
    wallpaper_bitmap=$(c_drive windows)/KAWalllpaper.bmp
}

case_wallpaper() {
    wallpaper_world
    # Style 1 is Tile.
    printf '[PaperList]\r\n0=%s\r\n1=%s\r\n[Wallpaper]\r\nStyle=1\r\nActivate=0\r\n' \
        "$(winpath "$sandbox/pictures/red.bmp")" "$(winpath "$sandbox/pictures/blue.jpg")" >"$ini"
    start_agent_on_desktop /nominimize
    check "the window shows on the Wine desktop" wait_for 300 window_shown
    local plain
    plain=$(desktop_colour)
    activate_main_window
    # Agent > Desktop > Wallpaper, with the keyboard.
    keys alt Down Down Down Right Return
    sleep 2
    local window
    window=$(main_window)
    # The list's first entry (red.bmp), then the editor's Wallpaper button.
    xdotool mousemove --window "$window" 165 221 click 1
    sleep 0.5
    xdotool mousemove --window "$window" 400 478 click 1
    check "Set Wallpaper reports its success" wait_for 100 dialog_shown Information
    keys Return
    local values
    values=$(reg_key 'HKCU\Control Panel\Desktop')
    check "TileWallpaper is 1 for Tile" eval '[ "$(value_of TileWallpaper <<<"$values")" = 1 ]'
    check "WallpaperStyle is 0" eval '[ "$(value_of WallpaperStyle <<<"$values")" = 0 ]'
    check "Wallpaper names KAWalllpaper.bmp in the Windows folder" \
        eval '[ "$(value_of Wallpaper <<<"$values")" = "C:\\windows\\KAWalllpaper.bmp" ]'
    check "the bitmap holds the picture" eval '[ "$(identify -format %wx%h "$wallpaper_bitmap")" = 64x48 ]'
    check "the desktop shows the red picture (it showed $plain)" wait_for 50 desktop_shows red
    local shot=$shots/kdx3-wallpaper-wine.png
    import -window "$(desktop_window)" "$shot" 2>/dev/null && echo "ok: picture of the Wine desktop saved to $shot"
    # The JPEG entry goes through the bitmap the agent decodes itself.
    xdotool mousemove --window "$window" 165 237 click 1
    sleep 0.5
    xdotool mousemove --window "$window" 400 478 click 1
    wait_for 100 dialog_shown Information && keys Return
    check "the JPEG picture becomes the desktop's (blue)" wait_for 50 desktop_shows blue
}

stamp() { tr -d '\r' <"$ini" | grep '^PrevChange='; }

case_rotation() {
    wallpaper_world
    # At Interval (cycle 2) of 2 seconds, tiled.
    printf '[PaperList]\r\n0=%s\r\n1=%s\r\n[Wallpaper]\r\nCycle=2\r\nInterval=2\r\nStyle=1\r\nActivate=1\r\n' \
        "$(winpath "$sandbox/pictures/red.bmp")" "$(winpath "$sandbox/pictures/blue.jpg")" >"$ini"
    start_agent_on_desktop
    check "the agent changes the wallpaper at start" wait_for 300 eval '[ -n "$(stamp)" ]'
    local seen=() last= now matches=0 end=$((SECONDS + 12))
    while [ $SECONDS -lt $end ]; do
        now=$(stamp)
        if [ -n "$now" ] && [ "$now" != "$last" ]; then
            seen+=("$now")
            last=$now
            # Each change is shown: the desktop takes the new bitmap when it is told.
            sleep 0.5
            [ "$(desktop_colour)" = "$(bitmap_colour)" ] && matches=$((matches + 1))
        fi
        sleep 0.2
    done
    check "the timer changed the wallpaper again and again (${#seen[@]} stamps)" [ ${#seen[@]} -ge 3 ]
    check "the desktop showed the new bitmap after $matches of ${#seen[@]} changes" [ "$matches" -ge 2 ]
    check "each change names the bitmap in the desktop values" \
        eval '[ "$(reg_value "HKCU\\Control Panel\\Desktop" Wallpaper)" = "C:\\windows\\KAWalllpaper.bmp" ]'
    # Within a moment: the rotation goes on, and the desktop may be between two pictures.
    check "the desktop shows a picture of the list" wait_for 30 eval 'desktop_shows red || desktop_shows blue'
}

# The command-line switches: a second KDX3.exe hands its command to the running agent through the
# window of its class and waits for its answer, which it prints. The prefix's programs run in a
# Wine desktop (its default), so that the one that starts the agent and the ones that hand it
# commands share a desktop, where FindWindow looks, and the wallpaper shows.
case_verbs() {
    install_stand_in
    wallpaper_world
    printf '[PaperList]\r\n0=%s\r\n[SaverList]\r\n0=C:\\a.scr\r\n[Wallpaper]\r\nStyle=1\r\nActivate=0\r\n' \
        "$(winpath "$sandbox/pictures/red.bmp")" >"$ini"
    wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$desktop_size" /f >/dev/null 2>&1
    # The desktop is made by the session's first program: the session starts anew with the setting.
    "$wine_server" -k 2>/dev/null
    timeout 20 "$wine_server" -w 2>/dev/null
    desktop_window() { xdotool search --name '^Default - Wine desktop$' 2>/dev/null | head -n 1; }
    # run SWITCH: a second start; its output in $out, its exit status in $status.
    run() {
        out=$(timeout 120 "$wine_loader" "$agent" "$@" 2>&1 | tr -d '\r')
        status=${PIPESTATUS[0]}
    }

    run /status
    check "without an agent, /status ends with 1 (got $status)" [ "$status" -eq 1 ]
    check "and says that no agent runs: $out" grep -q "not running" <<<"$out"
    run /bogus
    check "an unknown switch is refused with 2 (got $status): $out" \
        eval '[ "$status" -eq 2 ] && grep -q "unknown switch" <<<"$out"'
    check "and starts no agent" eval '! agent_running'
    run /?
    check "/? lists the switches (exit $status)" eval '[ "$status" -eq 0 ] && grep -q "/nextwallpaper" <<<"$out"'

    start_agent
    check "the agent starts in the tray" wait_for 300 agent_running
    check "on the Wine desktop" wait_for 100 eval '[ -n "$(desktop_window)" ]'
    local plain
    plain=$(desktop_colour)
    run /nextwallpaper
    check "/nextwallpaper ends with 0 (got $status)" [ "$status" -eq 0 ]
    check "the desktop shows the picture (it showed $plain)" wait_for 100 desktop_shows red
    local shot=$shots/kdx3-verbs-wine.png
    import -window "$(desktop_window)" "$shot" 2>/dev/null && echo "ok: picture of the Wine desktop saved to $shot"
    run /status
    check "/status answers: $(tr '\n' '|' <<<"$out")" eval \
        'grep -qxF "Wallpaper: $(winpath "$sandbox/pictures/red.bmp")" <<<"$out" &&
         grep -qx "Wallpapers: 1" <<<"$out" && grep -qx "Screensavers: 1" <<<"$out" &&
         grep -qx "Next change: none (the rotation is off)" <<<"$out"'
    check "the window is hidden" window_hidden
    run /show
    check "/show shows the window (exit $status)" wait_for 100 window_shown
    run /saver
    check "/saver starts KDXSaver.SCR (exit $status)" wait_for 100 saver_started 0
    end_saver
    # Clear Desktop minimises from the agent's own window down: the shown window goes first.
    run /cleardesktop
    check "/cleardesktop minimises the agent's window (exit $status)" wait_for 100 window_hidden
}

case "$case_name" in
start | tray | hotkeys | preferences | wallpaper | rotation | verbs | text) "case_$case_name" ;;
*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac
echo "$failures failed"
[ "$failures" -eq 0 ]
