#!/usr/bin/env bash
# scripts/package builds the Debian package; lintian finds no error in it,
# and it carries no setuid bit, no capability and no maintainer script.
#
#   package_test.sh BUILD_FOLDER
set -euo pipefail
build="$1"
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$build/out"
mkdir -p "$out"
rm -f "$out"/vesk_*.deb
"$root/scripts/package" "$build" "$out"
deb="$(ls "$out"/vesk_*_*.deb)"
version="$(sed -n 's/^project(vesk VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[ "$(basename "$deb")" = "vesk_${version}_$(dpkg --print-architecture).deb" ] || { echo "named $deb"; exit 1; }

fields="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $fields"
grep -q 'libqt6widgets6' <<<"$fields" || { echo "no shared-library dependencies"; exit 1; }
contents="$(dpkg-deb -c "$deb")"
if awk '{print $1}' <<<"$contents" | grep -q '[sStT]'; then
    echo "setuid, setgid or sticky bit:"; echo "$contents"; exit 1
fi
control="$(mktemp -d)"
trap 'rm -rf "$control"' EXIT
dpkg-deb -e "$deb" "$control"
scripts="$(cd "$control" && ls | grep -v -x -e control -e md5sums || true)"
[ -z "$scripts" ] || { echo "maintainer scripts (a setcap would hide there): $scripts"; exit 1; }
grep -q './usr/share/doc/vesk/copyright$' <<<"$contents" || { echo "no copyright file"; exit 1; }

# lintian warns when run as root; that is not about the package.
report="$(lintian --pedantic -I "$deb" 2>&1 | grep -v '^running with root privileges' || true)"
echo "${report:-lintian: no tags}"
! grep -q '^E: ' <<<"$report"
