#!/usr/bin/env bash
# Makes the Wine prefix that every end-to-end test under Wine copies for itself (a new prefix
# takes Wine ten seconds or more; a copy takes a fraction of one). Made anew on every run, with
# HOME in the build folder, so the prefix's user folders lead nowhere near the real user's.
# Usage: wine-prefix-template.sh FOLDER
set -euo pipefail
template=$1
rm -rf "$template" "$template.home"
mkdir -p "$template.home"
export HOME=$template.home WINEPREFIX=$template WINEDEBUG=-all
# No Mono and no Gecko: this machine has neither, and Wine would offer to download them.
export WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
wine=/usr/lib/wine/wine64
server=/usr/lib/wine/wineserver

"$wine" wineboot --init >/dev/null 2>&1
# Windows' own dialog faces are not here: Wine takes DejaVu Sans wherever a program asks for one
# of them, so the windows look like Windows rather than falling back to a serif face.
for face in "MS Shell Dlg" "MS Shell Dlg 2" "MS Sans Serif" "Microsoft Sans Serif" Tahoma "Segoe UI" Arial; do
    "$wine" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d "DejaVu Sans" /f >/dev/null 2>&1
done
"$server" -w

# The user folders that Wine linked to HOME become plain folders of the prefix.
find "$template/drive_c/users" -maxdepth 2 -type l -exec sh -c 'rm "$1" && mkdir "$1"' _ {} \;
rm -rf "$template.home"
