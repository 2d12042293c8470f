#!/usr/bin/env bash
# cmake --install into a temporary prefix puts every file in its place, and
# the desktop entry and the AppStream data pass their validators. Then the
# installed program, run under a virtual X server, saves its list into the
# per-user folder, and an uninstalled copy beside itself.
#
#   install_tree_test.sh BUILD_FOLDER
set -euo pipefail
build="$1"
work="$(mktemp -d)"
xvfb_pid=""
trap '[ -z "$xvfb_pid" ] || kill "$xvfb_pid"; rm -rf "$work"' EXIT
prefix="$work/home/.local"
cmake --install "$build" --prefix "$prefix" >/dev/null

expected="bin/vesk
share/applications/org.example.vesk.desktop
share/doc/vesk/changelog.gz
share/doc/vesk/copyright
share/icons/hicolor/128x128/apps/org.example.vesk.png
share/icons/hicolor/16x16/apps/org.example.vesk.png
share/icons/hicolor/256x256/apps/org.example.vesk.png
share/icons/hicolor/32x32/apps/org.example.vesk.png
share/icons/hicolor/48x48/apps/org.example.vesk.png
share/icons/hicolor/64x64/apps/org.example.vesk.png
share/man/man1/vesk.1
share/metainfo/org.example.vesk.metainfo.xml"
actual="$(cd "$prefix" && find . -type f -printf '%P\n' | LC_ALL=C sort)"
if [ "$actual" != "$(LC_ALL=C sort <<<"$expected")" ]; then
    echo "the install tree differs:"; diff <(LC_ALL=C sort <<<"$expected") <(echo "$actual") || true
    exit 1
fi

# Each icon is the size its folder says.
for size in 16 32 48 64 128 256; do
    got="$(file -b "$prefix/share/icons/hicolor/${size}x${size}/apps/org.example.vesk.png")"
    case "$got" in
        "PNG image data, $size x $size,"*) ;;
        *) echo "icon ${size}x${size}: $got"; exit 1 ;;
    esac
done

desktop-file-validate "$prefix/share/applications/org.example.vesk.desktop"
grep -qx 'Exec=vesk' "$prefix/share/applications/org.example.vesk.desktop"
grep -qx 'Icon=org.example.vesk' "$prefix/share/applications/org.example.vesk.desktop"
appstreamcli validate --no-net "$prefix/share/metainfo/org.example.vesk.metainfo.xml"
version="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$prefix/bin/vesk" --version)"
# The AppStream release is this one, dated as the release notes' latest entry.
zcat "$prefix/share/doc/vesk/changelog.gz" >"$work/changelog"
released="$(date -d "$(dpkg-parsechangelog -l "$work/changelog" -SDate | cut -d' ' -f2-4)" +%F)"
grep -q "<release version=\"${version#vesk }\" date=\"$released\"/>" "$prefix/share/metainfo/org.example.vesk.metainfo.xml" ||
    { echo "the AppStream release is not $version of $released"; exit 1; }
for option in '\-\-timeout' '\-\-no\-notifications'; do
    grep -qF "$option" "$prefix/share/man/man1/vesk.1" || { echo "the man page lacks --help's $option"; exit 1; }
done

# ---- where the list lands, driven as a user would: alt+L saves it.
command -v xdotool >/dev/null || { echo "xdotool is missing (scripts/setup installs it)"; exit 1; }
Xvfb -displayfd 3 -screen 0 640x480x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
export DISPLAY=":$(tr -d '\n' <"$work/display")"
# saves_list_into FOLDER COMMAND...: vesk_ip.ini lands in FOLDER and nowhere else.
saves_list_into() {
    local expected="$1/vesk_ip.ini" window found=""
    shift
    env -u XDG_DATA_HOME -u QT_QPA_PLATFORM -u WAYLAND_DISPLAY -u XDG_SESSION_TYPE HOME="$work/home" "$@" >"$work/log" 2>&1 &
    local pid=$!
    window="$(timeout 20 xdotool search --sync --onlyvisible --name '^vesk$' | head -n 1)"
    for _ in 1 2 3; do
        [ -n "$window" ] || break
        xdotool windowfocus --sync "$window" key alt+l
        for _ in $(seq 50); do [ -f "$expected" ] && break 2; sleep 0.1; done
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" || true
    found="$(find "$work" -name vesk_ip.ini)"
    rm -f "$expected"
    [ "$found" = "$expected" ] || { echo "$*: the list went to '$found', not $expected"; cat "$work/log"; exit 1; }
}
# A session manager's restart, with the display named on the command line only.
saves_list_into "$prefix/share/vesk" env -u DISPLAY "$prefix/bin/vesk" -session x -platform xcb -display "$DISPLAY"
cmake --install "$build" --prefix "$work/opt/vesk" >/dev/null
mkdir -p "$work/home/bin" "$work/copy"
ln -s "$work/opt/vesk/bin/vesk" "$work/home/bin/vesk"
saves_list_into "$work/data/vesk" env XDG_DATA_HOME="$work/data" "$work/home/bin/vesk"
cp "$prefix/bin/vesk" "$work/copy/"
saves_list_into "$work/copy" "$work/copy/vesk"
echo "install tree ok"
