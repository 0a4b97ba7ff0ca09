#!/usr/bin/env bash
# Builds Quonabix with its tests (installing what is missing) and runs every
# test case twice: built by clang with sanitizers, and built as the program
# is; each fuzz target runs for a few seconds in between, and the Windows
# build's cases run under Wine. The Linux window tests run on Qt's offscreen
# platform, no display needed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/deps.sh" test
bash "$root/tools/deps.sh" fuzz
cmake -S "$root" -B "$root/build-test" -G Ninja -DQUONABIX_TESTS=ON >/dev/null
cmake --build "$root/build-test"

# The same suite built by clang with the address and undefined-behaviour
# sanitizers (build-fuzz, shared with the fuzz targets): any report fails
# the case. Qt's own allocations outlive the window tests, so leaks are
# looked for in the logic cases only.
bash "$root/tools/fuzz.sh" 10
cmake --build "$root/build-fuzz" --target quonabix_tests quonabix_window_tests
(cd "$root/build-fuzz" &&
  ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -E '^qt[.]' &&
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -R '^qt[.]')

# The Windows build of the program and its tests, run under Wine.
bash "$root/tools/wine-test.sh"

# The suite as the program is built (g++). One case after the other: the
# start-up tests share the program's folder.
cd "$root/build-test"
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
