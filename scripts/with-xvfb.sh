#!/usr/bin/env bash
# Runs a command with DISPLAY set to a private virtual X server, started here and stopped when the
# command ends. The server picks a free display number itself (-displayfd), so several of these
# can start at the same time (parallel ctest) without racing for a number.
set -u
if ! command -v Xvfb >/dev/null 2>&1; then
    echo "with-xvfb.sh: Xvfb is not installed (scripts/setup-deps.sh installs it)" >&2
    exit 1
fi
fifo_dir=$(mktemp -d)
trap 'rm -rf "$fifo_dir"' EXIT
mkfifo "$fifo_dir/display"
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fifo_dir/display" 2>"$fifo_dir/log" &
server=$!
display=""
read -r -t 30 display <"$fifo_dir/display" || true
if [ -z "$display" ]; then
    echo "with-xvfb.sh: the X server did not start:" >&2
    cat "$fifo_dir/log" >&2
    kill "$server" 2>/dev/null
    exit 1
fi
export DISPLAY=":$display"
# No session bus here: settings (file choosers) stay in memory, and GTK does not look for the
# accessibility bus.
export GSETTINGS_BACKEND=memory NO_AT_BRIDGE=1
"$@"
status=$?
kill "$server" 2>/dev/null
wait "$server" 2>/dev/null
exit $status
