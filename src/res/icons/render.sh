#!/usr/bin/env bash
# Renders the PNG sizes of Nelvox's icons from their SVG drawings (needs rsvg-convert, Debian's librsvg2-bin).
# Run it after changing an SVG and commit the PNGs with it.
set -euo pipefail
cd "$(dirname "$0")"
for size in 16 32 48 64 128; do
    rsvg-convert -w "$size" -h "$size" nelvox.svg -o "nelvox-$size.png"
done
for name in tray tray-alert; do
    for size in 16 32; do
        rsvg-convert -w "$size" -h "$size" "$name.svg" -o "$name-$size.png"
    done
done
