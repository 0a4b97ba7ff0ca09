#!/usr/bin/env bash
# Installs the Debian packages that are missing for the given purpose:
#   deps.sh build   compiler, CMake, Ninja, Qt 6, fonts
#   deps.sh test    the above and GoogleTest
#   deps.sh bench   the above, Google Benchmark and the peer renamers
#   deps.sh fuzz    the build packages, clang and its sanitizer and fuzzer runtime
set -euo pipefail

packages=(g++ cmake ninja-build qt6-base-dev libgl-dev fonts-liberation)
case "${1:-build}" in
  test)  packages+=(libgtest-dev) ;;
  bench) packages+=(libgtest-dev libbenchmark-dev mmv rename) ;;
  fuzz)  packages+=(clang libclang-rt-dev) ;;
esac

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -eq 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi
