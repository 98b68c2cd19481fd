#!/usr/bin/env bash
# Installs, builds and runs every test, then builds everything again with the
# address and undefined-behaviour sanitizers and runs every test once more
# (scripts/test-sanitizers.sh). Tests run under the offscreen platform and
# talk only to servers they start on 127.0.0.1.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
(cd build && ctest --output-on-failure -j2 --timeout 300)
bash scripts/test-sanitizers.sh
