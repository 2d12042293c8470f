#!/usr/bin/env bash
# cmake --install into a temporary prefix puts every file in its place, and
# the desktop entry and the AppStream data pass their validators.
#
#   install_tree_test.sh BUILD_FOLDER
set -euo pipefail
build="$1"
prefix="$(mktemp -d)"
trap 'rm -rf "$prefix"' EXIT
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
grep -q "<release version=\"${version#vesk }\"" "$prefix/share/metainfo/org.example.vesk.metainfo.xml" ||
    { echo "the AppStream release is not $version"; exit 1; }
grep -qF '\-\-timeout' "$prefix/share/man/man1/vesk.1" || { echo "the man page lacks --help's options"; exit 1; }
echo "install tree ok"
