#!/usr/bin/env bash
# The Debian package on a clean Debian system, as a user meets it: a minimal tree made by
# debootstrap from the archive this machine's apt uses, the package installed there with
# "apt install --no-install-recommends", and the installed agent started the way the desktop's
# menu entry starts it, as an ordinary user, on a virtual X display. Its window shows, a save
# puts KDX.ini in the user's data folder, the menu entry and icon are where a desktop looks, what
# the package recommends or suggests exists and holds what the agent uses from it, and
# "apt remove" leaves no file of the package behind.
#
# The debootstrap tree is made once per machine and kept untouched in
# $KDX_CLEAN_TREE_CACHE (default ~/.cache/kaleidra-agent); each run works on an overlay (a copy
# where overlays are refused), in a mount namespace of its own so that no mount outlives it.
# Downloaded packages are kept beside the tree. Needs root.
# Usage: clean-system.sh PACKAGE.deb NEEDS_FILE [SCREENSHOT.png]
set -uo pipefail
deb=$(realpath "$1")
needs=$(realpath "$2")
shot=${3:-}
cache=${KDX_CLEAN_TREE_CACHE:-$HOME/.cache/kaleidra-agent}

if [ -z "${KDX_CLEAN_SYSTEM_NAMESPACE:-}" ]; then
    exec unshare --mount --propagation private env KDX_CLEAN_SYSTEM_NAMESPACE=1 KDX_CLEAN_TREE_CACHE="$cache" \
        "$0" "$@"
fi

failures=0
check() { # check DESCRIPTION COMMAND...
    if "${@:2}"; then
        echo "ok: $1"
    else
        echo "FAILED: $1"
        failures=$((failures + 1))
    fi
}
wait_for() { # wait_for TENTHS COMMAND...: polls until the command succeeds
    local tries=$1 i
    shift
    for ((i = 0; i < tries; i++)); do
        "$@" && return 0
        sleep 0.1
    done
    return 1
}
fail() {
    echo "FAILED: $*"
    exit 1
}
seconds() { echo "$((SECONDS - $1)) s"; }

. /etc/os-release
suite=$VERSION_CODENAME
arch=$(dpkg --print-architecture)
pristine=$cache/$suite-$arch-minbase
archives=$cache/archives-$suite-$arch
mkdir -p "$cache" "$archives/partial"

# The machine's own package entries ("deb" only), one-line or deb822, for the tree's apt.
host_sources() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && grep -E '^[[:space:]]*deb[[:space:]]' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && awk 'BEGIN { RS = ""; ORS = "\n\n" }
            /(^|\n)Types:[ \t]*([^\n]*[ \t])?deb([ \t]|\n|$)/ { sub(/Types:[^\n]*/, "Types: deb"); print }' "$f"
    done
}
# The mirror that serves the release itself: debootstrap takes one archive.
host_mirror() {
    local f
    for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
        [ -f "$f" ] && awk -v s="$suite" '$1 == "deb" { i = 2; if ($2 ~ /^\[/) while ($i !~ /\]$/) i++; if ($2 ~ /^\[/) i++;
            if ($(i + 1) == s) { print $i; exit } }' "$f"
    done
    for f in /etc/apt/sources.list.d/*.sources; do
        [ -f "$f" ] && awk -v s="$suite" 'BEGIN { RS = "" }
            /(^|\n)Types:[^\n]*deb([ \t]|\n|$)/ {
                if (!match($0, /(^|\n)Suites:[^\n]*/)) next
                n = split(substr($0, RSTART, RLENGTH), w, /[ \t\n]+/)
                found = 0; for (j = 1; j <= n; j++) if (w[j] == s) found = 1
                if (found && match($0, /(^|\n)URIs:[ \t]*[^ \t\n]+/)) {
                    u = substr($0, RSTART, RLENGTH); sub(/^\n?URIs:[ \t]*/, "", u); print u; exit
                }
            }' "$f"
    done | head -n 1
}

# Lets apt in the tree read an archive that this machine's apt accepts: a frozen snapshot's
# Release files are past their Valid-Until date, and this machine says so in its own settings.
host_apt_settings() {
    apt-config dump | grep -E '^Acquire::Check-(Valid-Until|Date) '
}

# The tree: made once under an exclusive lock, into a temporary name renamed when complete.
make_pristine() {
    local mirror tmp
    mirror=$(host_mirror)
    [ -n "$mirror" ] || fail "no archive for $suite in this machine's apt sources"
    tmp=$(mktemp -d "$cache/tree.XXXXXX")
    echo "making the $suite tree from $mirror (once per machine)"
    if ! debootstrap --variant=minbase --arch="$arch" "$suite" "$tmp" "$mirror" >"$cache/debootstrap.log" 2>&1; then
        tail -n 20 "$cache/debootstrap.log"
        rm -rf --one-file-system "$tmp"
        fail "debootstrap"
    fi
    rm -f "$tmp/etc/apt/sources.list"
    host_sources >"$tmp/etc/apt/sources.list.d/machine.sources.tmp"
    # One-line entries and deb822 stanzas go to files of their own kind.
    grep -E '^[[:space:]]*deb[[:space:]]' "$tmp/etc/apt/sources.list.d/machine.sources.tmp" >"$tmp/etc/apt/sources.list"
    grep -vE '^[[:space:]]*deb[[:space:]]' "$tmp/etc/apt/sources.list.d/machine.sources.tmp" \
        >"$tmp/etc/apt/sources.list.d/machine.sources"
    rm "$tmp/etc/apt/sources.list.d/machine.sources.tmp"
    host_apt_settings >"$tmp/etc/apt/apt.conf.d/50machine"
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
# Held shared for the run: the tree underneath is not replaced meanwhile.
flock -s 9

work=$(mktemp -d "$cache/run.XXXXXX")
tree=$work/tree
xvfb_pid=
agent_pid=
cleanup() {
    [ -n "$agent_pid" ] && kill -9 "$agent_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    umount -R "$tree" 2>/dev/null
    # Nothing of the machine is removed through a mount left in the tree.
    if findmnt -rn -o TARGET | grep -q "^$tree"; then
        echo "mounts left under $tree: not removed"
    else
        rm -rf --one-file-system "$work"
    fi
}
trap cleanup EXIT
mkdir -p "$tree" "$work/upper" "$work/overlay-work"
step=$SECONDS
if ! mount -t overlay overlay -o "lowerdir=$pristine,upperdir=$work/upper,workdir=$work/overlay-work" "$tree" 2>/dev/null; then
    cp -a "$pristine/." "$tree/"
fi
mount -t proc proc "$tree/proc"
mount --rbind /dev "$tree/dev"
mount -t tmpfs tmpfs "$tree/run"
mount -t tmpfs tmpfs "$tree/tmp"
mount --bind "$archives" "$tree/var/cache/apt/archives"
echo "tree ready: $(seconds "$step")"

in_tree() { chroot "$tree" env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LANG=C.UTF-8 DEBIAN_FRONTEND=noninteractive "$@"; }
# Packages kept for the next run; apt's own front end would delete them after installing.
apt_opts=(-q -o APT::Keep-Downloaded-Packages=true)

step=$SECONDS
in_tree apt-get "${apt_opts[@]}" update >"$work/update.log" 2>&1 || { tail -n 20 "$work/update.log"; fail "apt-get update"; }
cp "$deb" "$tree/tmp/"
name=$(dpkg-deb -f "$deb" Package)
# The command a user types, apart from keeping the downloads; the archives are shared by the
# runs of this machine, so one run at a time installs.
if ! flock "$archives/partial" in_tree apt "${apt_opts[@]}" install -y --no-install-recommends "/tmp/$(basename "$deb")" \
    >"$work/install.log" 2>&1; then
    tail -n 30 "$work/install.log"
    fail "apt install --no-install-recommends $(basename "$deb")"
fi
echo "installed with its dependencies: $(seconds "$step")"
grep -E '^[0-9]+ upgraded, [0-9]+ newly installed' "$work/install.log"

# What the package's programs and its needs hold up.
while read -r relation package uses; do
    if [ "$relation" = program ]; then
        check "$package is on the PATH" test -x "$tree/usr/bin/$package"
        check "$package finds every library it links" \
            bash -c "! chroot '$tree' ldd /usr/bin/$package | grep -q 'not found'"
        check "$package has a manual page" test -f "$tree/usr/share/man/man1/$package.1.gz"
        continue
    fi
    mkdir -p "$tree/tmp/needs"
    (cd "$tree/tmp/needs" && flock "$archives/partial" chroot "$tree" sh -c "cd /tmp/needs && apt-get -q download $package" \
        >/dev/null 2>&1)
    file=$(ls "$tree"/tmp/needs/"${package}"_*.deb 2>/dev/null | head -n 1)
    check "$relation: $package is in the archive" test -n "$file"
    [ -n "$file" ] || continue
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
check "what the package recommends and suggests installs beside it" \
    in_tree apt-get -q -s install --no-install-recommends $relations

# The menu entry and its icon where a desktop looks ($XDG_DATA_DIRS, by default /usr/share).
entry=$tree/usr/share/applications/$name.desktop
check "the menu entry is in /usr/share/applications" test -f "$entry"
exec_line=$(sed -n 's/^Exec=//p' "$entry" | head -n 1 | sed -E 's/ ?%[fFuUick]//g')
icon=$(sed -n 's/^Icon=//p' "$entry" | head -n 1)
command=${exec_line%% *}
check "the menu entry's command ($command) is on the PATH" \
    test "$(in_tree sh -c "command -v $command")" = "/usr/bin/$command"
icon_file=$(ls "$tree"/usr/share/icons/hicolor/*/apps/"$icon".{svg,png} 2>/dev/null | head -n 1)
check "the menu entry's icon ($icon) is in the hicolor theme" test -n "$icon_file"
if [ -n "$icon_file" ]; then
    colours=$(convert "$icon_file" -resize 64x64 -format %k info: 2>/dev/null || echo 0)
    check "the icon draws ($colours colours at 64x64)" test "$colours" -gt 8
fi

# An ordinary user with the usual folders; nothing of theirs exists yet.
uid=4242
in_tree useradd --create-home --uid $uid --shell /bin/sh alice || fail "useradd"
install -d -m 700 -o $uid -g $uid "$tree/run/user/$uid"
data=$tree/home/alice/.local/share/kaleidra-agent

# The X server runs here; the tree's programs reach it through its abstract socket.
exec 8>"$work/display"
Xvfb -displayfd 8 -noreset -nolisten tcp -screen 0 1280x1024x24 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(cat "$work/display")

step=$SECONDS
chroot --userspec=$uid:$uid "$tree" env -i HOME=/home/alice USER=alice LOGNAME=alice SHELL=/bin/sh \
    PATH=/usr/local/bin:/usr/bin:/bin LANG=C.UTF-8 DISPLAY="$DISPLAY" XDG_RUNTIME_DIR=/run/user/$uid \
    sh -c "cd && exec $exec_line" >"$work/agent.log" 2>&1 &
agent_pid=$!
main_window() {
    local id
    for id in $(xdotool search --onlyvisible --classname "$command" 2>/dev/null); do
        eval "$(xdotool getwindowgeometry --shell "$id")"
        [ "$WIDTH" -ge 600 ] && [ "$HEIGHT" -ge 400 ] && echo "$id" && return 0
    done
    return 1
}
check "the installed agent shows its window" wait_for 300 main_window
echo "window after $(seconds "$step")"
window=$(main_window)
if [ -n "$window" ]; then
    sleep 0.5
    picture=${shot:-$work/window.png}
    import -window "$window" "$picture" 2>/dev/null
    colours=$(convert "$picture" -format %k info: 2>/dev/null || echo 0)
    check "the window is drawn ($colours colours)" test "$colours" -gt 50
    [ -n "$shot" ] && echo "picture of the window: $shot"
    check "no settings file before a save" test ! -e "$data/KDX.ini"
    # Agent > Preference (F2), then OK (the dialog's default button).
    xdotool windowfocus --sync "$window" key F2
    dialog() { xdotool search --onlyvisible --name '^Preference$' 2>/dev/null | head -n 1; }
    check "F2 opens the preference dialog" wait_for 100 dialog
    d=$(dialog)
    [ -n "$d" ] && xdotool windowfocus --sync "$d" key Return
    check "a save puts KDX.ini in the user's data folder" wait_for 100 grep -q '^ActivateHotKey=' "$data/KDX.ini"
    check "KDX.ini belongs to the user" test "$(stat -c %u "$data/KDX.ini" 2>/dev/null)" = $uid
    check "nothing is written beside the program" test ! -e "$tree/usr/bin/KDX.ini"
fi
check "the agent still runs" kill -0 "$agent_pid"
if [ "$failures" -ne 0 ]; then
    echo "the agent's output:"
    tail -n 20 "$work/agent.log"
fi
kill "$agent_pid" 2>/dev/null
wait "$agent_pid" 2>/dev/null
agent_pid=

# apt remove: no file or folder of the package is left, except folders other packages own.
in_tree dpkg -L "$name" >"$work/files"
if in_tree apt-get -q remove -y "$name" >"$work/remove.log" 2>&1; then
    echo "ok: apt remove"
else
    tail -n 20 "$work/remove.log"
    fail "apt remove"
fi
left=()
while read -r path; do
    [ -e "$tree$path" ] || [ -L "$tree$path" ] || continue
    if [ -d "$tree$path" ] && [ ! -L "$tree$path" ]; then
        in_tree dpkg-query -S "$path" >/dev/null 2>&1 && continue
    fi
    left+=("$path")
done <"$work/files"
check "apt remove leaves none of the package's files (${left[*]:-none left})" test ${#left[@]} -eq 0
strays=$(cd "$tree" && find . -xdev \( -path ./home -o -path ./tmp -o -path ./proc -o -path ./dev -o -path ./run \
    -o -path ./var/cache/apt/archives \) -prune -o \( -iname "*$name*" -o -iname 'kdx*' \) -print)
check "nothing named after the package is left outside the user's home (${strays:-none})" test -z "$strays"
check "the user's settings stay theirs" test -f "$data/KDX.ini"

echo "clean-system test: $(seconds "$started") in all"
echo "$failures failures"
[ "$failures" -eq 0 ]
