#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 machine and runs the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
if [ ! -x "$build/app/zyntra-terminal" ]; then
    echo "The terminal window is not built yet; the libraries, the device simulator and the tests are."
    echo "Try the simulator: $build/sim/zyntra-sim --help"
    exit 0
fi
exec "$build/app/zyntra-terminal" "$@"
