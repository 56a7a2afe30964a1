#!/usr/bin/env bash
# Installs the Debian 12 packages that kavri needs to build, test and run.
# Safe to run again: it only calls apt-get when a package is missing.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config lld
    qt6-base-dev qt6-base-dev-tools
    libsqlcipher-dev sqlcipher
    libpq-dev postgresql-15 openssl python3
    libquazip1-qt6-dev libharfbuzz-dev
    libssl-dev libqrencode-dev libzxing-dev qt6-pdf-dev
    fonts-arphic-uming fonts-noto-cjk qt6-translations-l10n
    libgtest-dev libgmock-dev libbenchmark-dev
    poppler-utils xvfb xauth
    zbar-tools imagemagick
    clang libclang-rt-14-dev
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
