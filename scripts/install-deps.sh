#!/usr/bin/env bash
# Installs every Debian package that building, running and testing the program needs.
# Idempotent: when everything is present it returns at once without touching apt.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang-format
    qt6-base-dev qt6-base-dev-tools
    qt6-webengine-dev qt6-webengine-dev-tools libqt6webenginecore6-bin
    libqt6sql6-sqlite libqt6svg6 qt6-translations-l10n
    libzip-dev zip libcurl4-openssl-dev
    libbenchmark-dev
    python3 python3-aiosmtpd openssl sqlite3
    xvfb xauth fonts-dejavu-core
    desktop-file-utils appstream help2man man-db dpkg-dev file librsvg2-bin
    clang libclang-rt-dev ccache
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
    SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
