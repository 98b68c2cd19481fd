#!/usr/bin/env bash
# Installs what the build needs and builds everything into build/ (Ninja, two jobs).
set -euo pipefail
cd "$(dirname "$0")/.."
# The compiler cache takes paths relative to the checkout, so that another
# clone of the same sources (as CI's) finds what this one compiled.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j2
