#!/usr/bin/env bash
# Builds Quonabix (installing what is missing) and starts it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
bash "$root/tools/deps.sh" build
cmake -S "$root" -B "$root/build" -G Ninja -DQUONABIX_TESTS=OFF >/dev/null
cmake --build "$root/build" --target quonabix quonabix-undo
exec "$root/build/quonabix"
