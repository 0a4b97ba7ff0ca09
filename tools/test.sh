#!/usr/bin/env bash
# Builds Quonabix with its tests (installing what is missing), fuzzes each
# fuzz target for a few seconds and runs every test case; the window tests
# run on Qt's offscreen platform, no display needed.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/deps.sh" test
cmake -S "$root" -B "$root/build-test" -G Ninja -DQUONABIX_TESTS=ON >/dev/null
cmake --build "$root/build-test"
# A short fuzzing of each fuzz/ target from its seed corpus (clang, sanitizers).
bash "$root/tools/fuzz.sh" 10
cd "$root/build-test"
# One case after the other: the start-up tests share the program's folder.
QT_QPA_PLATFORM=offscreen ctest --output-on-failure
