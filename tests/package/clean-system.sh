#!/usr/bin/env bash
# The Debian package on a clean Debian system, as a user meets it: a minimal tree made by
# debootstrap from the archive this machine's apt uses, the package installed there with
# "apt install --no-install-recommends", and the installed agent started the way the desktop's
# menu entry starts it, as an ordinary user, on a virtual X display. Its window shows, a save
# puts KDX.ini in the user's data folder, the menu entry and icon are where a desktop looks, what
# the package recommends or suggests exists and holds what the agent uses from it, and
# "apt remove" leaves no file of the package behind.
#
# The debootstrap tree is made once per machine and kept untouched in $KDX_CLEAN_TREE_CACHE
# (default ~/.cache/kaleidra-agent), with the packages downloaded for it; each run works on an
# overlay of it (a copy where overlays are refused), in a mount namespace of its own so that no
# mount outlives the run. Needs root.
#
# The release is the machine's own, or the one $KDX_CLEAN_SUITE names (trixie for Debian 13, the
# stable release after this machine's bookworm): that tree comes from the same archive, its
# package entries those of the machine's Debian ones with the release's name in place of the
# machine's, and is cached beside the other.
# Usage: clean-system.sh PACKAGE.deb NEEDS_FILE [SCREENSHOT.png]
set -uo pipefail
home=${HOME:-$(getent passwd "$(id -u)" | cut -d: -f6)}
cache=${KDX_CLEAN_TREE_CACHE:-$home/.cache/kaleidra-agent}
if [ -z "${KDX_CLEAN_SYSTEM_NAMESPACE:-}" ]; then
    exec unshare --mount --propagation private \
        env KDX_CLEAN_SYSTEM_NAMESPACE=1 KDX_CLEAN_TREE_CACHE="$cache" KDX_CLEAN_SUITE="${KDX_CLEAN_SUITE:-}" "$0" "$@"
fi
deb=$(realpath "$1")
needs=$(realpath "$2")
shot=${3:-}

# shellcheck source=../support/agent-world.sh
source "$(dirname "$0")/../support/agent-world.sh"

fail() {
    echo "FAILED: $*"
    exit 1
}
seconds() { echo "$((SECONDS - $1)) s"; }

. /etc/os-release
host_suite=$VERSION_CODENAME
suite=${KDX_CLEAN_SUITE:-$host_suite}
arch=$(dpkg --print-architecture)
pristine=$cache/$suite-$arch-minbase
archives=$cache/archives-$suite-$arch
mkdir -p "$archives/partial"

# The machine's own package entries ("deb" only), one-line and deb822, for the tree's apt.
machine_list_entries() {
    cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list 2>/dev/null | grep -E '^[[:space:]]*deb[[:space:]]'
}
machine_deb822_entries() {
    local f
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && awk 'BEGIN { RS = ""; ORS = "\n\n" }
            /(^|\n)Types:[ \t]*([^\n]*[ \t])?deb([ \t]|\n|$)/ { sub(/Types:[^\n]*/, "Types: deb"); print }' "$f"
    done
}
# The entries for the tree's release: the machine's own for its release; for another, only the
# machine's entries of its own release ("bookworm", "bookworm-updates", "bookworm-security"), with
# the other release's name in their place (other archives' entries name releases of their own).
host_list_entries() {
    if [ "$suite" = "$host_suite" ]; then
        machine_list_entries
        return
    fi
    machine_list_entries | awk -v from="$host_suite" -v to="$suite" '{
        i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
        s = $(i + 1); if (s != from && index(s, from "-") != 1) next
        $(i + 1) = to substr(s, length(from) + 1); print }'
}
host_deb822_entries() {
    if [ "$suite" = "$host_suite" ]; then
        machine_deb822_entries
        return
    fi
    machine_deb822_entries | awk -v from="$host_suite" -v to="$suite" 'BEGIN { RS = ""; ORS = "\n\n" } {
        n = split($0, f, "\n"); out = ""; ours = 0
        for (j = 1; j <= n; j++) {
            if (f[j] ~ /^Suites:/) {
                m = split(f[j], w, /[ \t]+/); line = "Suites:"
                for (k = 2; k <= m; k++)
                    if (w[k] == from || index(w[k], from "-") == 1) { line = line " " to substr(w[k], length(from) + 1); ours = 1 }
                f[j] = line
            }
            out = out (j > 1 ? "\n" : "") f[j]
        }
        if (ours) print out }'
}
# The mirror that serves the release itself: debootstrap takes one archive.
host_mirror() {
    {
        host_list_entries | awk -v s="$suite" '{ i = 2; if ($2 ~ /^\[/) { while ($i !~ /\]$/) i++; i++ }
            if ($(i + 1) == s) print $i }'
        host_deb822_entries | awk -v s="$suite" 'BEGIN { RS = "" } {
            uri = ""; found = 0; n = split($0, f, "\n")
            for (j = 1; j <= n; j++) {
                if (f[j] ~ /^URIs:/) { split(f[j], u, /[ \t]+/); uri = u[2] }
                if (f[j] ~ /^Suites:/) { m = split(f[j], w, /[ \t]+/); for (k = 2; k <= m; k++) if (w[k] == s) found = 1 }
            }
            if (found && uri != "") print uri }'
    } | head -n 1
}

in_tree() { # in_tree TREE COMMAND...: as root in the tree, with a plain environment
    chroot "$1" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "${@:2}"
}
mount_tree() {
    mount -t proc proc "$1/proc" && mount --rbind /dev "$1/dev" && mount -t tmpfs tmpfs "$1/run" \
        && mount -t tmpfs tmpfs "$1/tmp"
}
# Unmounts everything under a tree; false if anything is still mounted there.
unmount_tree() {
    umount -R "$1" 2>/dev/null
    local m
    for m in proc dev run tmp var/cache/apt/archives; do
        umount -R "$1/$m" 2>/dev/null
    done
    # grep reads to the end: findmnt ended by SIGPIPE would fail the pipe and read as "none".
    ! findmnt -rn -o TARGET | grep "^$1/" >/dev/null
}

# The tree, made once under an exclusive lock into a temporary name that is renamed when
# complete: debootstrap's minimal variant, the machine's package entries, and the machine's
# settings for checking Release files (a frozen snapshot of the archive is past its
# Valid-Until date, and this machine's apt says so).
make_pristine() {
    local mirror tmp
    mirror=$(host_mirror)
    [ -n "$mirror" ] || fail "no archive for $suite in this machine's apt sources"
    # What a run killed while making the tree left (its mounts went with its namespace).
    rm -rf --one-file-system "$cache"/tree.*
    tmp=$(mktemp -d "$cache/tree.XXXXXX")
    echo "making the $suite tree from $mirror (once per machine)"
    if ! debootstrap --variant=minbase --arch="$arch" "$suite" "$tmp" "$mirror" >"$cache/debootstrap.log" 2>&1; then
        tail -n 20 "$cache/debootstrap.log"
        rm -rf --one-file-system "$tmp"
        fail "debootstrap"
    fi
    host_list_entries >"$tmp/etc/apt/sources.list"
    host_deb822_entries >"$tmp/etc/apt/sources.list.d/machine.sources"
    apt-config dump | grep -E '^Acquire::Check-(Valid-Until|Date) ' >"$tmp/etc/apt/apt.conf.d/50machine"
    mount_tree "$tmp" || fail "mounts in the new tree"
    in_tree "$tmp" apt-get -q update >"$cache/update.log" 2>&1 || { tail -n 20 "$cache/update.log"; fail "apt-get update"; }
    unmount_tree "$tmp" || fail "mounts left in the new tree"
    mv "$tmp" "$pristine"
}

exec 9>"$cache/lock"
flock 9
started=$SECONDS
if [ -d "$pristine" ]; then
    echo "the $suite tree is cached in $pristine"
else
    make_pristine
    echo "tree made: $(seconds "$started")"
fi
# Held shared for the run: nobody replaces the tree underneath meanwhile.
flock -s 9

tree=$sandbox/tree
# The programs end and the tree's mounts go before the sandbox is removed, so nothing of the
# machine goes with it; with a mount left, the sandbox stays.
stop_programs() {
    local pid
    for pid in "${pids[@]}"; do
        kill -9 "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
    done
}
trap 'stop_programs; unmount_tree "$tree" || { echo "mounts left under $tree"; sandbox=; }; cleanup' EXIT
mkdir -p "$tree" "$sandbox/upper" "$sandbox/overlay-work"
if ! mount -t overlay overlay -o "lowerdir=$pristine,upperdir=$sandbox/upper,workdir=$sandbox/overlay-work" \
    "$tree" 2>/dev/null; then
    cp -a "$pristine/." "$tree/"
fi
mount_tree "$tree" || fail "mounts in the tree"
mount --bind "$archives" "$tree/var/cache/apt/archives"
# No waiting for the disk after each package: the tree is thrown away after the run.
echo force-unsafe-io >"$tree/etc/dpkg/dpkg.cfg.d/kaleidra-test-unsafe-io"
# The downloads are shared by the runs on this machine: one run at a time fetches; apt's own
# front end would delete them after installing.
apt_opts=(-q -o APT::Keep-Downloaded-Packages=true)
with_archives() { (flock 7 && "$@") 7>"$cache/archives.lock"; }

step=$SECONDS
in_tree "$tree" apt-get "${apt_opts[@]}" update >"$sandbox/update.log" 2>&1 \
    || { tail -n 20 "$sandbox/update.log"; fail "apt-get update"; }
echo "package lists brought up to date: $(seconds "$step")"
step=$SECONDS
cp "$deb" "$tree/tmp/"
name=$(dpkg-deb -f "$deb" Package)
# What a user types, apart from keeping the downloads.
if ! with_archives in_tree "$tree" apt "${apt_opts[@]}" install -y --no-install-recommends \
    "/tmp/$(basename "$deb")" >"$sandbox/install.log" 2>&1; then
    tail -n 30 "$sandbox/install.log"
    fail "apt install --no-install-recommends $(basename "$deb")"
fi
echo "installed with its dependencies: $(seconds "$step")"
grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$sandbox/install.log"

# The package's programs, and what it recommends or suggests.
while read -r relation package uses; do
    if [ "$relation" = program ]; then
        check "$package is on the PATH" test -x "$tree/usr/bin/$package"
        check "$package finds every library it links" bash -c "! chroot '$tree' ldd /usr/bin/$package | grep -q 'not found'"
        check "$package has a manual page" test -f "$tree/usr/share/man/man1/$package.1.gz"
        continue
    fi
    # Into the shared downloads, where a later run finds it.
    file=$(in_tree "$tree" apt-get -q download --print-uris "$package" 2>/dev/null | awk '{ print $2; exit }')
    check "$relation: $package is in the archive" test -n "$file"
    [ -n "$file" ] || continue
    file=$tree/var/cache/apt/archives/$file
    with_archives in_tree "$tree" sh -c "cd /var/cache/apt/archives && apt-get -q download $package" >/dev/null 2>&1
    check "$relation: $package downloads" test -f "$file"
    [ -f "$file" ] || continue
    contents=$(dpkg-deb -c "$file" | awk '{ print $6 }')
    for use in $uses; do
        if [ "${use#/}" != "$use" ]; then
            check "$relation: $package holds $use" grep -qxF ".$use" <<<"$contents"
        else
            check "$relation: $package holds the program $use" grep -qE "^\./(usr/)?s?bin/$use\$" <<<"$contents"
        fi
    done
done <"$needs"
relations=$(awk '$1 != "program" { print $2 }' "$needs" | tr '\n' ' ')
# shellcheck disable=SC2086 # a list of package names
check "what the package recommends and suggests installs beside it" \
    in_tree "$tree" apt-get -q -s install --no-install-recommends $relations >"$sandbox/relations.log"

# The menu entry and its icon where a desktop looks ($XDG_DATA_DIRS, by default /usr/share).
entry=$tree/usr/share/applications/$name.desktop
check "the menu entry is in /usr/share/applications" test -f "$entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1 | sed -E 's/ ?%[fFuUick]//g')
icon=$(sed -n 's/^Icon=//p' "$entry" | head -n 1)
command=${exec_line%% *}
check "the menu entry's command ($command) is on the PATH" \
    test "$(in_tree "$tree" sh -c "command -v $command")" = "/usr/bin/$command"
icon_file=$(ls "$tree"/usr/share/icons/hicolor/*/apps/"$icon".{svg,png} 2>/dev/null | head -n 1)
check "the menu entry's icon ($icon) is in the hicolor theme" test -n "$icon_file"
if [ -n "$icon_file" ]; then
    colours=$(convert "$icon_file" -resize 64x64 -format %k info: 2>/dev/null || echo 0)
    check "the icon draws ($colours colours at 64x64)" test "$colours" -gt 8
fi

# An ordinary user with the usual folders; nothing of theirs exists yet.
uid=4242
in_tree "$tree" useradd --create-home --uid $uid --shell /bin/sh alice || fail "useradd"
install -d -m 700 -o $uid -g $uid "$tree/run/user/$uid"
data=$tree/home/alice/.local/share/kaleidra-agent

# The X server runs outside the tree; the tree's programs reach it through its abstract socket.
Xvfb -displayfd 8 -noreset -nolisten tcp -screen 0 1280x1024x24 8>"$sandbox/display" 2>"$sandbox/xvfb.log" &
pids+=($!)
wait_for 100 test -s "$sandbox/display" || fail "Xvfb did not start"
display=$(cat "$sandbox/display")
export DISPLAY=:$display

step=$SECONDS
chroot --userspec=$uid:$uid "$tree" env -i HOME=/home/alice USER=alice LOGNAME=alice SHELL=/bin/sh \
    PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/run/user/$uid \
    sh -c "cd && exec $exec_line" >"$sandbox/agent.log" 2>&1 &
agent_pid=$!
pids+=("$agent_pid")
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname "$command" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -ge 600 ] && [ "$HEIGHT" -ge 400 ] && echo "$id" && return 0
    done
    return 1
}
window_shown() { main_window >/dev/null; }
check "the installed agent shows its window" wait_for 300 window_shown
echo "window after $(seconds "$step")"
window=$(main_window)
if [ -n "$window" ]; then
    sleep 0.5
    picture=${shot:-$sandbox/window.png}
    import -window "$window" "$picture" 2>/dev/null
    colours=$(convert "$picture" -format %k info: 2>/dev/null || echo 0)
    check "the window is drawn ($colours colours)" test "$colours" -gt 50
    [ -n "$shot" ] && echo "picture of the window: $shot"
    font=$(in_tree "$tree" fc-match -f '%{file}' sans-serif 2>/dev/null)
    check "a font for the window's text is installed (${font:-none})" test -f "$tree$font"

    check "no settings file before a save" test ! -e "$data/KDX.ini"
    # Agent > Preference (F2), then OK, the dialog's default button.
    xdotool windowfocus --sync "$window" key F2
    dialog() { xdotool search --onlyvisible --name '^Preference$' 2>/dev/null | head -n 1; }
    dialog_shown() { [ -n "$(dialog)" ]; }
    check "F2 opens the preference dialog" wait_for 100 dialog_shown
    d=$(dialog)
    [ -n "$d" ] && xdotool windowfocus --sync "$d" key Return
    check "a save puts KDX.ini in the user's data folder" wait_for 100 grep -q '^ActivateHotKey=' "$data/KDX.ini"
    check "KDX.ini belongs to the user" test "$(stat -c %u "$data/KDX.ini" 2>/dev/null)" = $uid
    check "nothing is written beside the program" test ! -e "$tree/usr/bin/KDX.ini"

    # The user's pictures for the screensaver, and Ctrl+Alt+E: the installed companion shows
    # them full screen, and a key ends it.
    convert -size 64x48 xc:'#ff0000' "BMP3:$tree/home/alice/red.bmp"
    chown $uid:$uid "$tree/home/alice/red.bmp"
    printf '[RandomWhat]\r\n0=2\r\n[ImageList]\r\n0=/home/alice/red.bmp\r\n[Image]\r\nSize=2\r\n' >>"$data/KDX.ini"
    companion_runs() { pgrep -u $uid -x KDXSaver.SCR >/dev/null; }
    screen_red() { [ "$(import -window root -crop 1x1+640+512 -depth 8 txt:- 2>/dev/null |
        grep -o '#[0-9A-F]\{6\}' | head -n 1)" = '#FF0000' ]; }
    xdotool key ctrl+alt+e
    check "Ctrl+Alt+E starts the installed companion screensaver" wait_for 100 companion_runs
    check "which shows the picture over the whole screen" wait_for 100 screen_red
    sleep 0.5
    xdotool key space
    companion_gone() { ! companion_runs; }
    check "a key ends it" wait_for 50 companion_gone
fi
check "the agent still runs" kill -0 "$agent_pid"
[ "$failures" -eq 0 ] || { echo "the agent's output:"; tail -n 20 "$sandbox/agent.log"; }
kill "$agent_pid" 2>/dev/null
wait "$agent_pid" 2>/dev/null

# apt remove: no file or folder of the package is left, but for folders other packages own.
in_tree "$tree" dpkg -L "$name" >"$sandbox/files"
if in_tree "$tree" apt-get -q remove -y "$name" >"$sandbox/remove.log" 2>&1; then
    echo "ok: apt remove"
else
    tail -n 20 "$sandbox/remove.log"
    fail "apt remove"
fi
left=()
while read -r path; do
    [ -e "$tree$path" ] || [ -L "$tree$path" ] || continue
    if [ -d "$tree$path" ] && [ ! -L "$tree$path" ]; then
        in_tree "$tree" dpkg-query -S "$path" >/dev/null 2>&1 && continue
    fi
    left+=("$path")
done <"$sandbox/files"
check "apt remove leaves none of the package's files (${left[*]:-none left})" test ${#left[@]} -eq 0
strays=$(cd "$tree" && find . -xdev \( -path ./home -o -path ./tmp -o -path ./proc -o -path ./dev -o -path ./run \
    -o -path ./var/cache/apt/archives \) -prune -o \( -iname "*$name*" -o -iname 'kdx*' \) -print)
check "nothing named after the package is left outside the user's home (${strays:-none})" test -z "$strays"
check "the user's settings stay theirs" test -f "$data/KDX.ini"

echo "clean-system test: $(seconds "$started") in all"
echo "$failures failures"
[ "$failures" -eq 0 ]
