#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with, if any are missing: one list
# that Debian 12 and Debian 13 both have (scripts/test-debian13.sh proves it on 13).
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    libglib2.0-dev libpcre2-dev
    libgtk-3-dev libwebkit2gtk-4.1-dev webkit2gtk-driver xvfb xauth python3-selenium python3-pytest
    clang clang-format
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
