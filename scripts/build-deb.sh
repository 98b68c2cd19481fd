#!/usr/bin/env bash
# Builds the Debian package quillet_<version>_<arch>.deb in build/ and prints
# its path. Install it with: sudo apt install ./build/quillet_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
cd build
rm -f quillet_*.deb
cpack -G DEB >/dev/null
ls "$PWD"/quillet_*.deb
