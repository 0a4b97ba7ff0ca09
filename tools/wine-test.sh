#!/usr/bin/env bash
# Cross-builds the Windows tests (GoogleTest from Debian's sources) and runs
# every case under Wine, in a fresh Wine prefix of the build folder, with a
# virtual display for the window cases, and installs the program with its
# installer (tools/wine-install-test.sh). Installs what is missing. Ends with
# CTest's summary of the Windows cases.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build-win"
bash "$root/tools/deps.sh" windows-test
# Unoptimised and without debug information: it builds in half the time,
# and tools/build-windows.sh builds the programs users get, optimised.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/tools/cmake/mingw-w64.cmake" \
  -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-O0 -DQUONABIX_TESTS=ON >/dev/null

export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
rm -rf "$WINEPREFIX" && mkdir -p "$WINEPREFIX"
display=""
for n in $(seq 90 99); do
  [ -e "/tmp/.X$n-lock" ] || { display=":$n"; break; }
done
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
stop() { wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true; }
trap stop EXIT
export DISPLAY="$display"
wineserver -p   # one server for every case, not one start per case
wineboot -i >/dev/null 2>&1
# Without a window manager on the virtual display, Wine waits up to two
# seconds for one at every window it hides; its windows are left unmanaged.
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

# The test programs list their cases under Wine when they are built; the
# installer and the zip are installed and unpacked by a case of their own.
cmake --build "$build" --target all quonabix_setup quonabix_zip
cd "$build"
ctest --output-on-failure
