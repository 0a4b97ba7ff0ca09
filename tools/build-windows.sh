#!/usr/bin/env bash
# Cross-builds the Windows programs on Linux (installing the mingw-w64
# compiler, NSIS and the icon tools where missing), optimised and stripped:
# build-windows/quonabix.exe and build-windows/quonabix-undo.exe, each one
# file with its runtime linked in, and what a Windows user receives:
#   build-windows/quonabix-2.09-win64.zip    the two programs and Liesmich.txt
#   build-windows/quonabix-2.09-setup.exe    the installer (NSIS), for the
#                                            current user, no administrator
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-windows"
bash "$root/tools/deps.sh" windows
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/tools/cmake/mingw-w64.cmake" -DQUONABIX_TESTS=OFF >/dev/null
cmake --build "$build" --target quonabix quonabix-undo quonabix_zip quonabix_setup
echo "Built: $build/quonabix.exe $build/quonabix-undo.exe"
echo "       $(echo "$build"/quonabix-*-win64.zip "$build"/quonabix-*-setup.exe)"
