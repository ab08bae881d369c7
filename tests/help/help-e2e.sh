#!/usr/bin/env bash
# The real agent's help requests, on the X display it is given, through the real xdg-open to a
# browser stand-in registered for HTML pages in the sandbox: F1 opens the contents and the
# preference dialog's Help button its own page, both for the agent as the build lays it out
# (its help beside it) and as installed under a prefix (its help under share/).
# Usage: help-e2e.sh BUILD_FOLDER
set -uo pipefail
build=$1

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"
unset XDG_CURRENT_DESKTOP # xdg-open's own rules, whatever desktop runs the tests

opened=$sandbox/opened
browser_stand_in() {
    mkdir -p "$XDG_DATA_HOME/applications"
    printf '#!/bin/sh\nfor page; do echo "$page" >>"%s"; done\n' "$opened" >"$sandbox/browser"
    chmod +x "$sandbox/browser"
    printf '[Desktop Entry]\nType=Application\nName=Browser\nExec=%s %%f\nMimeType=text/html;\n' \
        "$sandbox/browser" >"$XDG_DATA_HOME/applications/browser.desktop"
    printf '[Default Applications]\ntext/html=browser.desktop\n' >"$XDG_CONFIG_HOME/mimeapps.list"
}

dialog_window() { xdotool search --onlyvisible --name '^Preference$' 2>/dev/null | head -n 1; }
dialog_shown() { [ -n "$(dialog_window)" ]; }
dialog_gone() { [ -z "$(dialog_window)" ]; }
opened_page() { [ -f "$opened" ] && [ "$(tail -n 1 "$opened")" = "$1" ]; }
page_exists() { [ -f "$(tail -n 1 "$opened" 2>/dev/null)" ]; }

# help_requests PROGRAM HELP_FOLDER: F1, then the preference dialog's Help button.
help_requests() {
    local program=$1 folder=$2 pid window
    rm -f "$opened"
    "$program" /nominimize &
    pid=$!
    pids+=("$pid")
    check "$3: the window shows" wait_for 150 main_window
    window=$(main_window)
    xdotool windowfocus --sync "$window"
    xdotool key F1
    check "$3: F1 opens the contents page" wait_for 50 opened_page "$folder/index.html"
    check "$3: the contents page exists" page_exists
    xdotool key F2
    check "$3: F2 opens the preference dialog" wait_for 50 dialog_shown
    xdotool windowfocus --sync "$(dialog_window)"
    xdotool key alt+h
    check "$3: its Help button opens the preference page" wait_for 50 opened_page "$folder/preference.html"
    check "$3: the preference page exists" page_exists
    xdotool key Escape
    check "$3: the dialog closes" wait_for 30 dialog_gone
    kill "$pid"
    wait "$pid" 2>/dev/null
}

# As built: the program with its help folder beside it.
agent_world "$sandbox/build/KDX3"
browser_stand_in
cp "$build/app/KDX3" "$sandbox/build/"
cp -r "$build/app/help" "$sandbox/build/"
help_requests "$sandbox/build/KDX3" "$sandbox/build/help" "as built"

# As installed under a prefix.
if cmake --install "$build" --prefix "$sandbox/usr" >"$sandbox/install.txt" 2>&1; then
    export KALEIDRA_PROGRAM_FILE=$sandbox/usr/bin/KDX3
    help_requests "$sandbox/usr/bin/KDX3" "$sandbox/usr/share/kaleidra-agent/help" "installed"
else
    cat "$sandbox/install.txt"
    check "cmake --install" false
fi

echo "$failures failed"
[ "$failures" -eq 0 ]
