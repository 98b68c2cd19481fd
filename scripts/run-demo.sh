#!/usr/bin/env bash
# Installs, builds and starts the program on the demo program directory
# demo-run/ (created on first use and kept afterwards, so your work survives).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/build.sh
mkdir -p demo-run
if [ -x build/bin/quillet ]; then
    exec build/bin/quillet --dir demo-run "$@"
fi
echo "This build has no desktop window yet; the settings in force, as quillet-cli sees them:"
exec build/bin/quillet-cli --dir demo-run info
