#!/usr/bin/env bash
# Peak memory of the script runner (zyntra-terminal --run) for a 100-line and a 10,000-line script
# on the device simulator, in every report format (goal: 10,000 lines within 1.1 times 100 lines).
# Median of RUNS runs (default 3). Needs no display.
#
# usage: bench/runner_memory.sh [build folder] [runs]
#   cmake --build build --target zyntra-terminal zyntra-sim -j2
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-3}
exec /usr/bin/python3 "$root/bench/runner_memory.py" "$build" "$runs"
