#!/usr/bin/env bash
# Renders the program's icon as PNGs into OUTDIR: quonabix-16.png up to
# quonabix-256.png. The small sizes have drawings of their own on their
# pixel grid (data/quonabix-16.svg, data/quonabix-32.svg), so that they
# stay legible; from 48 pixels on the full drawing is scaled.
# Needs rsvg-convert (Debian's librsvg2-bin).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:?usage: icons.sh OUTDIR}"
mkdir -p "$out"
for size in 16 24 32 48 64 128 256; do
  case "$size" in
    16) drawing=quonabix-16.svg ;;
    24|32) drawing=quonabix-32.svg ;;
    *) drawing=quonabix.svg ;;
  esac
  rsvg-convert -w "$size" -h "$size" "$root/data/$drawing" -o "$out/quonabix-$size.png"
done
