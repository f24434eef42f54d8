#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs every test:
# installs missing packages, configures, builds with -j2 and runs ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2
