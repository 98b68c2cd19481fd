#!/usr/bin/env bash
# Installs, builds and starts the program on the demo program directory
# demo-run/ (created on first use and kept afterwards, so your work survives).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
bash scripts/setup-demo.sh demo-run
exec build/bin/quillet --dir demo-run "$@"
