#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 or 13 machine and runs every test:
# installs missing packages, configures, builds with -j2 and runs ctest; then builds the same
# tests with the thread sanitizer and runs them again, because the serial port, the trace
# channel, the timers and the simulator all run threads. VYX_SKIP_TSAN=1 skips that second round.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
ctest --test-dir "$build" --output-on-failure -j2

if [ "${VYX_SKIP_TSAN:-0}" != "1" ]; then
    cmake -S . -B "$build-tsan" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVYX_SANITIZE_THREAD=ON -DVYX_BENCH=OFF
    cmake --build "$build-tsan" -j2
    ctest --test-dir "$build-tsan" --output-on-failure -j2
fi
