#!/usr/bin/env bash
# Cross-builds the Windows programs on Linux (installing the mingw-w64
# compiler where missing): build-windows/quonabix.exe and
# build-windows/quonabix-undo.exe, each one file with its runtime linked in.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/deps.sh" windows
cmake -S "$root" -B "$root/build-windows" -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/tools/cmake/mingw-w64.cmake" -DQUONABIX_TESTS=OFF >/dev/null
cmake --build "$root/build-windows" --target quonabix quonabix-undo
echo "Built: $root/build-windows/quonabix.exe $root/build-windows/quonabix-undo.exe"
