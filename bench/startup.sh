#!/usr/bin/env bash
# Start-up benchmark of zyntra-terminal on a virtual display: process start to page complete against
# a bare WebKitGTK window loading the same page text (goal: at most 1.3 times as long), and the
# resident memory of the program and of its WebKit processes. Median of RUNS runs (default 5).
#
# usage: bench/startup.sh [build folder] [runs]
# The build folder (default: build) needs the targets zyntra-terminal, page_text and bare_webkit
# (built with VYX_BENCH on):
#   cmake --build build --target zyntra-terminal page_text bare_webkit -j2
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build}
runs=${2:-5}
exec "$root/scripts/with-xvfb.sh" /usr/bin/python3 "$root/bench/startup.py" "$build" "$root/resources/page" "$runs"
