#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang, libFuzzer and the address and
# undefined-behaviour sanitizers (in build-fuzz; installs what is missing),
# then runs each for SECONDS (default 60) from its seed corpus in
# fuzz/corpus/NAME/. New inputs found go to build-fuzz/corpus/NAME/, crashes
# to build-fuzz/crash-*. Exits non-zero when a target fails.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
bash "$root/tools/deps.sh" fuzz
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUONABIX_FUZZ=ON \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined" >/dev/null
targets=()
for source in "$root"/fuzz/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done
cmake --build "$root/build-fuzz" --target "${targets[@]}"
cd "$root/build-fuzz"
status=0
for target in "${targets[@]}"; do
  name="${target%_fuzz}"
  mkdir -p "corpus/$name"
  if "./$target" -max_total_time="$seconds" -timeout=5 -print_final_stats=1 -artifact_prefix="crash-$name-" \
       "corpus/$name" "$root/fuzz/corpus/$name" >"$name.log" 2>&1; then
    runs="$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$name.log" | grep -o '[0-9]*$' || echo 0)"
    echo "fuzz $name: $runs inputs in $seconds s, no failure"
  else
    echo "fuzz $name: FAILED, see build-fuzz/$name.log"
    grep -E "ERROR|SUMMARY|Test unit written" "$name.log" || true
    status=1
  fi
done
exit $status
