#!/usr/bin/env bash
# Builds Quonabix with its tests (installing what is missing) and runs every
# test case twice: built by clang with sanitizers, and built as the program
# is; each fuzz target runs for a few seconds in between, and the Debian
# package is built and checked (tools/package.sh). Meanwhile the
# Windows build's cases run under Wine (tools/wine-test.sh). The Linux
# window tests run on Qt's offscreen platform, no display needed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
for purpose in test fuzz package windows-test; do bash "$root/tools/deps.sh" "$purpose"; done
cmake -S "$root" -B "$root/build-test" -G Ninja -DQUONABIX_TESTS=ON >/dev/null
cmake --build "$root/build-test"
# The property tests run all their cases here, a few when a case runs alone.
export QUONABIX_ALL_CASES=1

# The Windows side runs beside the Linux one: most of the Linux side's time
# is cases and fuzzers on one core. Its report is shown when it is done.
mkdir -p "$root/build-win"
bash "$root/tools/wine-test.sh" >"$root/build-win/wine-test.log" 2>&1 &
windows=$!

# The same suite built by clang with the address and undefined-behaviour
# sanitizers (build-fuzz, shared with the fuzz targets): any report fails
# the case. Qt's own allocations outlive the window tests, so leaks are
# looked for in the logic cases only. Every case has folders of its own,
# so two run at a time.
bash "$root/tools/fuzz.sh" 10
cmake --build "$root/build-fuzz" --target quonabix_tests quonabix_window_tests
(cd "$root/build-fuzz" &&
  ASAN_OPTIONS=detect_leaks=1 ctest -j2 --output-on-failure -E '^qt[.]' &&
  QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 ctest -j2 --output-on-failure -R '^qt[.]')

# The Debian package, built as users get it and checked as Debian would.
bash "$root/tools/package.sh"

echo "---- Windows build under Wine (build-win/wine-test.log) ----"
status=0
wait "$windows" || status=$?
cat "$root/build-win/wine-test.log"
[ "$status" -eq 0 ] || { echo "The Windows cases failed."; exit "$status"; }

# The suite as the program is built (g++), ending with CTest's summary.
cd "$root/build-test"
QT_QPA_PLATFORM=offscreen ctest -j2 --output-on-failure
