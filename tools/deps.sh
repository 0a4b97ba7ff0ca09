#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given purpose:
#   deps.sh build   compiler, CMake, Ninja, Qt 6, fonts, libexiv2 (the date a photo was taken)
#   deps.sh test    the above, GoogleTest, and the FUSE programs and mkfs
#                   tools of the file systems the tests mount (exFAT, FAT,
#                   NTFS; tests/posix/filesystems_test.cpp)
#   deps.sh bench   the above, Google Benchmark, the peer renamers and exFAT
#   deps.sh fuzz    the build packages, clang and its sanitizer and fuzzer runtime
#   deps.sh package the build packages and what builds and checks the Debian
#                   package: dpkg-shlibdeps, rsvg-convert, lintian, appstreamcli,
#                   desktop-file-validate, man
#   deps.sh windows       the mingw-w64 cross compiler, CMake, Ninja, and what
#                         makes the icon (rsvg-convert, icotool) and the
#                         installer (NSIS)
#   deps.sh windows-test  the above, GoogleTest's sources, Wine and Xvfb
set -euo pipefail

packages=(g++ cmake ninja-build pkg-config qt6-base-dev libgl-dev fonts-liberation libexiv2-dev)
windows=(cmake ninja-build g++-mingw-w64-x86-64-posix librsvg2-bin icoutils nsis)
filesystems=(exfat-fuse exfatprogs fusefat dosfstools ntfs-3g)
case "${1:-build}" in
  test)  packages+=(libgtest-dev "${filesystems[@]}") ;;
  bench) packages+=(libgtest-dev libbenchmark-dev mmv rename exfat-fuse exfatprogs) ;;
  fuzz)  packages+=(clang libclang-rt-dev) ;;
  package) packages+=(dpkg-dev librsvg2-bin lintian appstream desktop-file-utils man-db) ;;
  windows) packages=("${windows[@]}") ;;
  windows-test) packages=("${windows[@]}" googletest wine wine64 xvfb xauth) ;;
esac
# Wine's recommendations (more runtimes, fonts, 32-bit parts) are not needed.
options=()
case "${1:-build}" in windows*) options=(--no-install-recommends) ;; esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${options[@]}" "${missing[@]}"
fi
