#!/usr/bin/env bash
# Builds the Debian package build-package/quonabix_2.09-1_amd64.deb
# (installing what is missing) and checks it as Debian would: the files it
# holds, lintian without errors, the software centre's entry and the menu
# entry valid. Install it with: apt-get install ./build-package/quonabix_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-package"
bash "$root/tools/deps.sh" package
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DQUONABIX_PACKAGE=ON -DQUONABIX_TESTS=OFF >/dev/null
cmake --build "$build"
rm -f "$build"/quonabix_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/quonabix_*.deb)"
[ "$(basename "$deb")" = "quonabix_2.09-1_amd64.deb" ] || { echo "Unexpected package name: $deb"; exit 1; }

# The files every user of the package relies on, each in its place.
listing="$(dpkg-deb -c "$deb" | awk '{print $6}')"
expected=(
  ./usr/bin/quonabix ./usr/bin/quonabix-undo
  ./usr/share/applications/quonabix.desktop
  ./usr/share/metainfo/de.quonabix.Quonabix.metainfo.xml
  ./usr/share/icons/hicolor/scalable/apps/quonabix.svg
  ./usr/share/man/man1/quonabix.1.gz ./usr/share/man/man1/quonabix-undo.1.gz
  ./usr/share/doc/quonabix/copyright ./usr/share/doc/quonabix/changelog.Debian.gz
)
for size in 16 24 32 48 64 128 256; do
  expected+=("./usr/share/icons/hicolor/${size}x${size}/apps/quonabix.png")
done
for file in "${expected[@]}"; do
  grep -qxF "$file" <<<"$listing" || { echo "Missing in the package: $file"; exit 1; }
done
dpkg-deb -f "$deb" Depends | grep -q "libexiv2" || { echo "No dependencies computed"; exit 1; }

# Checked as a software centre and the desktop read the entries.
check="$(mktemp -d)"
trap 'rm -rf "$check"' EXIT
dpkg-deb -x "$deb" "$check"
appstreamcli validate --no-net "$check/usr/share/metainfo/de.quonabix.Quonabix.metainfo.xml" >/dev/null
desktop-file-validate "$check/usr/share/applications/quonabix.desktop"
for page in quonabix quonabix-undo; do
  out="$(LC_ALL=C.UTF-8 MANWIDTH=80 man -l --warnings "$check/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)"
  [ -z "$out" ] || { echo "Manual page $page: $out"; exit 1; }
done
# Lintian: no error (warnings and information are shown, not fatal). Run
# as root it would warn about that; it runs as the package's reader.
lintian --fail-on error --tag-display-limit 0 "$deb"
echo "Built and checked: $deb"
