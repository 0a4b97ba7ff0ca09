#!/usr/bin/env bash
# Builds the benchmarks (Release, in build-bench; installs what is missing)
# and prints one table of the program against its references:
#   bash bench/run.sh            1,000, 10,000 and 100,000 files
#   bash bench/run.sh --quick    10,000 files only
# Further options go to the runner (--runs K, --sizes N,N, --only GROUP,
# --spread); see bench/main.cpp.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/deps.sh" bench
cmake -S "$root" -B "$root/build-bench" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DQUONABIX_BENCH=ON -DQUONABIX_TESTS=OFF >/dev/null
# Two cores are shared with other work; two jobs keep the machine usable.
if ! log="$(ninja -C "$root/build-bench" -j2 quonabix_bench 2>&1)"; then
  echo "$log"
  exit 1
fi
# The Qt run needs no display. Folders go below $TMPDIR (or /tmp).
export QT_QPA_PLATFORM=offscreen
exec "$root/build-bench/quonabix_bench" "$@"
