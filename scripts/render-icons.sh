#!/usr/bin/env bash
# Renders the fixed-size icons (48 and 128 pixels) from the scalable icon in
# dist/icons. Run it after changing the SVG and commit the PNG files with it.
set -euo pipefail
cd "$(dirname "$0")/../dist/icons"
bash ../../scripts/install-deps.sh
for size in 48 128; do
    mkdir -p "${size}x${size}"
    rsvg-convert -w "$size" -h "$size" example.orlan.quillet.svg -o "${size}x${size}/example.orlan.quillet.png"
done
