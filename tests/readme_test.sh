#!/usr/bin/env bash
# The README's own commands, as a newcomer runs them: the blocks it marks
# "<!-- readme_test: quick start -->" and "... uninstall -->", line by line
# as shown, in a fresh copy of the tree (the tracked files as they are in
# the working tree), with a home folder of the test's own and a virtual X
# server. A window a line opens is closed again. After the quick start
# vesk is installed under ~/.local; after the uninstall no file is left
# there, and no process of the lines outlives them. Each line runs without
# a session bus: with none set, libdbus starts one through dbus-launch
# where dbus-x11 is installed, and that bus writes ~/.dbus and outlives the
# line; neither is vesk's. Also: each version the README names is
# CMakeLists.txt's, and scripts/run and scripts/package, on a system
# without anything, ask apt for no test tool. Nothing here pings: vesk only
# starts, and when root it starts in a network namespace with nothing in it.
#
#   readme_test.sh
set -euo pipefail
unset VESK_BUILD
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
work="$(mktemp -d)"
xvfb_pid=""
# The processes of the README's lines: all have the test's home.
lines_processes() { grep -lzxF "HOME=$work/home" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 || true; }
trap 'kill $(lines_processes) 2>/dev/null || true; [ -z "$xvfb_pid" ] || kill "$xvfb_pid"; rm -rf "$work"' EXIT
fail() { echo "README check: $*"; exit 1; }

version="$(sed -n 's/^project(vesk VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
grep -o 'vesk[ _-][0-9]\+\.[0-9]\+\.[0-9]\+' "$root/README.md" | sort -u | while read -r named; do
    [ "${named:5}" = "$version" ] || fail "the README names '$named'; CMakeLists.txt says $version"
done

tree="$work/vesk"
mkdir "$tree"
snapshot="$(git -C "$root" stash create)"
git -C "$root" archive "${snapshot:-HEAD}" | tar -x -C "$tree"

# ---- what the scripts would install where nothing is installed
mkdir "$work/stubs"
printf '#!/bin/sh\nexit 1\n' >"$work/stubs/dpkg-query"
printf '#!/bin/sh\nexec "$@"\n' >"$work/stubs/sudo"
printf '#!/bin/sh\n[ "$1" = update ] || echo "$@" >>"%s"\n[ "$1" = update ]\n' "$work/asked" >"$work/stubs/apt-get"
chmod +x "$work/stubs/"*
for script in run package; do
    rm -f "$work/asked"
    ! PATH="$work/stubs:$PATH" "$tree/scripts/$script" >/dev/null 2>&1 || fail "scripts/$script went on without its packages"
    grep -q ' qt6-base-dev ' "$work/asked" || fail "scripts/$script asked for no Qt: $(cat "$work/asked")"
    ! grep -E 'wine|mingw|clang|lintian|gtest|xvfb' "$work/asked" || fail "scripts/$script asks for test tools"
done

# ---- the README's blocks
block() {
    awk -v name="$1" '$0 == "<!-- readme_test: " name " -->" { on = 1; next }
        on && /^    / { print substr($0, 5); next } on && NF { exit }' "$root/README.md"
}
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")"
isolate=()
[ "$(id -u)" -ne 0 ] || isolate=(unshare --net)
mkdir "$work/home"
# run LINE: as a user types it, in the top folder; a vesk window it opens
# is closed once it shows, and then the line may end as the kill makes it.
run() {
    echo "\$ $1"
    (cd "$tree" && exec env -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM -u XDG_DATA_HOME HOME="$work/home" \
        DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-session-bus" \
        "${isolate[@]}" bash -c "$1" </dev/null >"$work/out" 2>&1) &
    local pid=$! window="" status=0
    while kill -0 "$pid" 2>/dev/null; do
        window="$(xdotool search --onlyvisible --name '^vesk$' 2>/dev/null | head -n 1)" || true
        [ -z "$window" ] || break
        sleep 0.5
    done
    if [ -n "$window" ]; then
        local vesk
        vesk="$(xdotool getwindowpid "$window")"
        [ "$(readlink "/proc/$vesk/exe")" = "$tree/build/vesk" ] || fail "the window is not the fresh build's vesk"
        kill "$vesk"
        wait "$pid" || true
        echo "  (its window showed, and was closed)"
        return
    fi
    wait "$pid" || status=$?
    [ "$status" -eq 0 ] || { cat "$work/out"; fail "'$1' failed with status $status"; }
}
lines="$(block "quick start")"
[ -n "$lines" ] || fail "no quick start block"
while IFS= read -r line; do run "$line"; done <<<"$lines"
installed="$(env -u DISPLAY "$work/home/.local/bin/vesk" --version)" || fail "no vesk under ~/.local"
[ "$installed" = "vesk $version" ] || fail "~/.local/bin/vesk says '$installed'"
[ -f "$work/home/.local/share/applications/org.example.vesk.desktop" ] || fail "no menu entry"

lines="$(block uninstall)"
[ -n "$lines" ] || fail "no uninstall block"
while IFS= read -r line; do run "$line"; done <<<"$lines"
running="$(lines_processes)"
[ -z "$running" ] || fail "still running after the README's lines: $(ps -o pid=,args= -p "${running//$'\n'/,}")"
left="$(find "$work/home" ! -type d)"
[ -z "$left" ] || fail "left after the uninstall: $left"
echo "README commands ok"
