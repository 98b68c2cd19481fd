#!/usr/bin/env bash
# Installs, builds and starts the program on the demo program directory
# demo-run/ (created on first use and kept afterwards, so your work survives).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/setup-demo.sh demo-run
# The embedded browser's sandbox cannot run for root (a fresh machine's only user).
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec build/bin/quillet --dir demo-run "$@"
