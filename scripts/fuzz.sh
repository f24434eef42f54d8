#!/usr/bin/env bash
# Runs the libFuzzer targets for a bounded time each.
#
#   scripts/fuzz.sh <seconds> [target...]
#
# Configures and builds the fuzz build (clang, -DVYX_FUZZ=ON) in build-fuzz beside this script's
# repository, or in $BUILD_DIR when that is set. Each target runs for <seconds> on its corpus
# folder <build>/corpus/<target> (kept between runs), seeded from the inputs in the repository's
# fuzz/corpus/<target>/; crash inputs land in <build>/artifacts/<target>/. Undefined behaviour is a
# crash in this build. Each run gets a temporary folder of its own (its TMPDIR, in memory when
# /dev/shm is there), removed after the run however it ended. Without targets, every
# fuzz/fuzz_*.cpp is run. Prints each target's final execution count and whether it crashed;
# exits non-zero when one did.
set -uo pipefail

if [ $# -lt 1 ] || ! [[ "$1" =~ ^[0-9]+$ ]]; then
    echo "usage: $0 <seconds> [target...]" >&2
    exit 2
fi
seconds=$1
shift

root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build-fuzz}

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for f in "$root"/fuzz/fuzz_*.cpp; do
        [ -e "$f" ] || continue
        targets+=("$(basename "$f" .cpp)")
    done
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets in $root/fuzz" >&2
    exit 2
fi

if [ -f "$build/CMakeCache.txt" ] && ! grep -q '^VYX_FUZZ:BOOL=ON' "$build/CMakeCache.txt"; then
    echo "$build is a build without VYX_FUZZ; choose another BUILD_DIR" >&2
    exit 2
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S "$root" -B "$build" -DVYX_FUZZ=ON -DVYX_BENCH=OFF >/dev/null || {
        echo "configure failed" >&2
        exit 2
    }
else
    cmake "$build" >/dev/null  # picks up fuzz targets added since
fi
cmake --build "$build" -j2 --target "${targets[@]}" || {
    echo "build failed" >&2
    exit 2
}

tmp_base=${TMPDIR:-}
if [ -z "$tmp_base" ] || [ "${tmp_base:0:1}" != / ]; then
    if [ -w /dev/shm ]; then tmp_base=/dev/shm; else tmp_base=/tmp; fi
fi
run_tmp=
trap '[ -n "$run_tmp" ] && rm -rf "$run_tmp"' EXIT

crashed=0
for t in "${targets[@]}"; do
    corpus="$build/corpus/$t"
    artifacts="$build/artifacts/$t"
    log="$build/fuzz-$t.log"
    mkdir -p "$corpus" "$artifacts"
    seeds=()
    [ -d "$root/fuzz/corpus/$t" ] && seeds=("$root/fuzz/corpus/$t")
    run_tmp=$(mktemp -d "$tmp_base/vyx-fuzz-run-XXXXXX") || exit 2
    TMPDIR=$run_tmp "$build/$t" "$corpus" "${seeds[@]}" -max_total_time="$seconds" -rss_limit_mb=2048 \
        -timeout=10 -artifact_prefix="$artifacts/" -print_final_stats=1 >"$log" 2>&1
    rc=$?
    rm -rf "$run_tmp"
    run_tmp=
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1)
    if [ $rc -eq 0 ]; then
        echo "$t: ${done_line:-(no DONE line)} - no crash"
    else
        crashed=1
        echo "$t: CRASH (exit $rc) - see $log and $artifacts/"
        grep -E 'ERROR: |SUMMARY: |Test unit written' "$log" | head -n 5 | sed 's/^/    /'
    fi
done
exit $crashed
