"""Memory of the script runner against the length of the script: zyntra-terminal --run on the
device simulator with scripts of 100 and of 10,000 command lines, in each report format. The runner
prints each command as it is judged and keeps nothing of it, so its peak resident memory should not
grow with the script (goal: the 10,000-line run within 1.1 times the 100-line run).

Peak memory is the child's maximum resident set size as the kernel reports it when it ends
(wait4). Each figure is the median of RUNS runs. Run it through bench/runner_memory.sh.

usage: runner_memory.py <build folder> [runs]"""
import os
import statistics
import subprocess
import sys
import tempfile
import time

GOAL = 1.1
SIZES = (100, 10000)
FORMATS = ("text", "json", "jsonl")
# A mix of what scripts hold: comments and echo lines, short commands, a bus read with a long answer.
PATTERN = [
    "# step",
    "m:main",
    "mode",
    "!echo reading",
    "m:main\xb0mode mm\xb0m:twi\xb0r 50 40",
    "m:set\xb0spiSpeed",
    "m:main\xb0mode ss",
]


def write_script(folder, lines):
    path = os.path.join(folder, "script-%d.txt" % lines)
    with open(path, "wb") as f:
        for i in range(lines):
            f.write((PATTERN[i % len(PATTERN)] + "\r\n").encode("cp1252"))
    return path


def run_once(exe, script, report, env):
    start = time.monotonic()
    child = subprocess.Popen([exe, "--run", script, "--port", "COM9", "--report", report],
                             stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, env=env)
    _, status, usage = os.wait4(child.pid, 0)
    child.returncode = os.waitstatus_to_exitcode(status)
    err = child.stderr.read().decode("utf-8", "replace")
    child.stderr.close()
    if child.returncode != 0:
        sys.exit("runner failed (%d): %s" % (child.returncode, err))
    return usage.ru_maxrss, time.monotonic() - start


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else "build"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 3
    exe = os.path.join(build, "app", "zyntra-terminal")
    sim_exe = os.path.join(build, "sim", "zyntra-sim")
    for path in (exe, sim_exe):
        if not os.access(path, os.X_OK):
            sys.exit("missing %s (cmake --build %s --target zyntra-terminal zyntra-sim)" % (path, build))
    sim = subprocess.Popen([sim_exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
    device = sim.stdout.readline().decode().strip()
    with tempfile.TemporaryDirectory() as folder:
        env = dict(os.environ, VYX_PORT_COM9=device, XDG_CONFIG_HOME=folder)
        env.pop("VYX_TRACE", None)
        scripts = {n: write_script(folder, n) for n in SIZES}
        print("runner peak RSS (median of %d runs), simulator unpaced" % runs)
        print("%-6s %14s %14s %12s %8s %12s" % ("report", "100 lines", "10000 lines", "growth", "ratio",
                                                  "10000 time"))
        worst = 0.0
        try:
            for report in FORMATS:
                peak = {}
                took = {}
                for n in SIZES:
                    results = [run_once(exe, scripts[n], report, env) for _ in range(runs)]
                    peak[n] = statistics.median(r[0] for r in results)
                    took[n] = statistics.median(r[1] for r in results)
                ratio = peak[SIZES[1]] / peak[SIZES[0]]
                worst = max(worst, ratio)
                print("%-6s %11d KiB %11d KiB %+8d KiB %8.3f %10.1f s" %
                      (report, peak[SIZES[0]], peak[SIZES[1]], peak[SIZES[1]] - peak[SIZES[0]], ratio,
                       took[SIZES[1]]))
        finally:
            sim.terminate()
            sim.wait()
    print("goal: 10000 lines within %.1fx of 100 lines: %s" % (GOAL, "met" if worst <= GOAL else "NOT met"))
    return 0 if worst <= GOAL else 1


if __name__ == "__main__":
    sys.exit(main())
