#!/usr/bin/env bash
# Sets everything up on a fresh Debian 12 or 13 machine and runs the program.
#
#   bash scripts/run.sh [--no-sim] [program arguments]
#
# When no USB serial device is attached (nothing in /dev/serial/by-id, no /dev/ttyUSB* or
# /dev/ttyACM*) and COM1 is not mapped already, the device simulator stands in: it serves a
# pseudo-terminal, COM1 is mapped to it (VYX_PORT_COM1), and it is stopped when the program ends.
# --no-sim starts the program alone.
set -euo pipefail
cd "$(dirname "$0")/.."

use_sim=1
args=()
for a in "$@"; do
    if [ "$a" = "--no-sim" ]; then use_sim=0; else args+=("$a"); fi
done

bash scripts/setup-deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" -j2
program="$build/app/zyntra-terminal"
if [ ! -x "$program" ]; then
    echo "The terminal window is not built yet; the libraries, the device simulator and the tests are."
    echo "Try the simulator: $build/sim/zyntra-sim --help"
    exit 0
fi

usb_serial_present() {
    compgen -G "/dev/serial/by-id/*" >/dev/null || compgen -G "/dev/ttyUSB*" >/dev/null ||
        compgen -G "/dev/ttyACM*" >/dev/null
}

if [ "$use_sim" = 0 ] || [ -n "${VYX_PORT_COM1:-}" ] || usb_serial_present || [ ! -x "$build/sim/zyntra-sim" ]; then
    exec "$program" ${args[@]+"${args[@]}"}
fi

# The simulator prints its device path as its first line; its clock runs from the host's time.
sim_out=$(mktemp)
"$build/sim/zyntra-sim" --rtc-now </dev/null >"$sim_out" 2>/dev/null &
sim=$!
stop_sim() {
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    rm -f "$sim_out"
}
trap stop_sim EXIT
trap 'exit 130' INT TERM
path=""
for _ in $(seq 100); do
    path=$(head -n 1 "$sim_out")
    [ -n "$path" ] && break
    kill -0 "$sim" 2>/dev/null || break
    sleep 0.05
done
if [ -z "$path" ]; then
    stop_sim
    trap - EXIT
    echo "No USB serial device found, and the device simulator did not start; starting the program alone."
    exec "$program" ${args[@]+"${args[@]}"}
fi
echo "No USB serial device found: the device simulator zyntra-sim serves COM1 ($path) until the program ends."
status=0
VYX_PORT_COM1="$path" "$program" ${args[@]+"${args[@]}"} || status=$?
exit "$status"
