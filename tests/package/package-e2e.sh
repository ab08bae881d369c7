#!/usr/bin/env bash
# Builds the Debian package of the build folder it is given, unpacks it with dpkg-deb (nothing is
# installed on the machine) and starts the unpacked agent on the X display: the window shows,
# and since the program's folder is not writable, KDX.ini goes to the sandboxed XDG data home.
# Usage: package-e2e.sh BUILD_FOLDER
set -uo pipefail
build=$1

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"

if ! cpack -G DEB -B "$sandbox/package" --config "$build/CPackConfig.cmake" >"$sandbox/cpack.txt" 2>&1; then
    cat "$sandbox/cpack.txt"
    echo "FAILED: cpack"
    exit 1
fi
deb=$(ls "$sandbox"/package/*.deb)
contents=$(dpkg-deb -c "$deb")
has() { grep -q " \./$1\$" <<<"$contents"; }
check "the agent in usr/bin" has usr/bin/KDX3
check "the menu entry" has usr/share/applications/kaleidra-agent.desktop
check "the icon in the hicolor theme" has usr/share/icons/hicolor/scalable/apps/kaleidra-agent.svg
check "the help pages" has usr/share/kaleidra-agent/help/index.html
check "the manual page, compressed" has usr/share/man/man1/KDX3.1.gz
check "the copyright file" has usr/share/doc/kaleidra-agent/copyright
check "the changelog, compressed" has usr/share/doc/kaleidra-agent/changelog.gz
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
check "Qt and libjpeg dependencies found by dpkg-shlibdeps" \
    grep -q 'libqt6widgets6.*libjpeg62-turbo\|libjpeg62-turbo.*libqt6widgets6' <<<"$depends"

root=$sandbox/root
dpkg-deb -x "$deb" "$root"
entry=$root/usr/share/applications/kaleidra-agent.desktop
check "the menu entry starts the installed command" grep -qx 'Exec=KDX3 /nominimize' "$entry"
check "the menu entry's icon is installed" \
    test -f "$root/usr/share/icons/hicolor/scalable/apps/$(sed -n 's/^Icon=//p' "$entry").svg"

# An installed copy's folder is not the user's to write: mode bits taken away, which the agent
# honours even for root.
chmod -R a-w "$root/usr"
agent_world "$root/usr/bin/KDX3"

# Settings the agent must find in the data home: a wallpaper list with a two-second rotation,
# whose stamp it writes back, and a key of the user's own that must survive.
settings=$XDG_DATA_HOME/kaleidra-agent
mkdir -p "$settings"
convert -size 64x48 xc:'#00ff00' "BMP3:$sandbox/green.bmp"
printf '[PaperList]\n0=%s\n[Wallpaper]\nCycle=2\nInterval=2\nStyle=2\nActivate=1\nMine=kept\n' \
    "$sandbox/green.bmp" >"$settings/KDX.ini"

"$root/usr/bin/KDX3" /nominimize &
agent_pid=$!
pids+=("$agent_pid")
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname KDX3 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -ge 600 ] && [ "$HEIGHT" -ge 400 ] && return 0
    done
    return 1
}
check "the unpacked agent shows its window" wait_for 150 main_window
check "InstalledPath points at the XDG data home" \
    grep -qF "\"InstalledPath\"=\"$settings\"" "$XDG_CONFIG_HOME/kaleidra-agent/registry.ini"
check "KDX.ini in the XDG data home read and written" wait_for 100 grep -q '^PrevChange=' "$settings/KDX.ini"
check "the user's own key kept" grep -qx 'Mine=kept' "$settings/KDX.ini"
check "nothing written beside the program" test ! -e "$root/usr/bin/KDX.ini"
check "the agent still runs" kill -0 "$agent_pid"

echo "$failures failures"
[ "$failures" -eq 0 ]
