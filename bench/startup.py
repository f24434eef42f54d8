"""Start-up benchmark: process start to page complete of zyntra-terminal against a bare WebKitGTK
window (bare_webkit) loading the same page text, in the same run on the same display, and the
resident memory of both after start. Run it through bench/startup.sh.

Program side: the trace channel is pointed at a listener here (VYX_TRACE), and the page is complete
when the line "DieSeite::onPageComplete(..)" arrives (the terminal page writes it once the browser
has loaded the written page). Baseline side: bare_webkit prints "loaded" at the web view's
load-finished. Both are timed from just before the process is started to the arrival of that line.

Memory: VmRSS of the process and of each process below it (the WebKit web and network processes),
read from /proc about a second after the page is complete.

usage: startup.py <build folder> <page folder> [runs]"""
import os
import shutil
import signal
import socket
import statistics
import subprocess
import sys
import tempfile
import time

GOAL = 1.3
SETTLE = 1.0
LIMIT = 60.0


def children_of():
    parents = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
        except OSError:
            continue
        ppid = int(stat[stat.rindex(")") + 2:].split()[1])
        parents.setdefault(ppid, []).append(int(entry))
    return parents


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


def comm(pid):
    try:
        with open("/proc/%d/comm" % pid) as f:
            return f.read().strip()
    except OSError:
        return "?"


def memory(pid):
    """RSS in kB of the process ("main") and of its descendants by kind ("web", "network", "other")."""
    result = {"main": rss_kb(pid), "web": 0, "network": 0, "other": 0}
    parents = children_of()
    todo = list(parents.get(pid, []))
    while todo:
        child = todo.pop()
        todo.extend(parents.get(child, []))
        name = comm(child)
        kind = "web" if name.startswith("WebKitWebProces") else "network" if name.startswith("WebKitNetwork") else "other"
        result[kind] += rss_kb(child)
    return result


def stop(process):
    try:
        os.killpg(process.pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    try:
        process.wait(10)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()


def run_program(program, listener, work):
    tmp = tempfile.mkdtemp(dir=work)
    env = dict(os.environ, TMPDIR=tmp, XDG_CONFIG_HOME=os.path.join(tmp, "config"),
               VYX_TRACE="127.0.0.1:%d" % listener.getsockname()[1])
    start = time.monotonic()
    process = subprocess.Popen([program], env=env, start_new_session=True,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        listener.settimeout(LIMIT)
        connection, _ = listener.accept()
        connection.settimeout(LIMIT)
        pending = b""
        with connection:
            while b"DieSeite::onPageComplete(..)\r\n" not in pending:
                data = connection.recv(4096)
                if not data:
                    raise RuntimeError("the program ended before its page was complete")
                pending += data
            elapsed = time.monotonic() - start
            time.sleep(SETTLE)
            mem = memory(process.pid)
    finally:
        stop(process)
        shutil.rmtree(tmp, ignore_errors=True)
    return elapsed, mem


def run_bare(bare, page, base):
    start = time.monotonic()
    process = subprocess.Popen([bare, page, base], start_new_session=True, stdout=subprocess.PIPE,
                               stderr=subprocess.DEVNULL)
    try:
        line = process.stdout.readline()
        if line.strip() != b"loaded":
            raise RuntimeError("bare_webkit did not load the page")
        elapsed = time.monotonic() - start
        time.sleep(SETTLE)
        mem = memory(process.pid)
    finally:
        stop(process)
    return elapsed, mem


def main(build, page_folder, runs):
    program = os.path.join(build, "app", "zyntra-terminal")
    bare = os.path.join(build, "bare_webkit")
    page_text = os.path.join(build, "page_text")
    page_folder = os.path.abspath(page_folder)
    work = tempfile.mkdtemp(prefix="zt-bench-")
    try:
        # The same page text for the baseline, in UTF-8 as the page engine hands it to WebKit.
        raw = os.path.join(work, "page-1252.htm")
        subprocess.run([page_text, page_folder, raw], check=True)
        page = os.path.join(work, "page.htm")
        with open(raw, "rb") as f, open(page, "wb") as out:
            out.write(f.read().decode("cp1252").encode("utf-8"))
        base = "file://" + page_folder + "/"

        listener = socket.socket()
        listener.bind(("127.0.0.1", 0))
        listener.listen(1)
        results = {"program": [], "bare": []}
        for i in range(runs):
            # Alternating order, so neither side always runs on a freshly warmed cache.
            order = ["program", "bare"] if i % 2 == 0 else ["bare", "program"]
            for side in order:
                if side == "program":
                    results[side].append(run_program(program, listener, work))
                else:
                    results[side].append(run_bare(bare, page, base))
                elapsed, mem = results[side][-1]
                print("run %d %-7s %7.1f ms  rss %6d kB  web process %6d kB  network process %6d kB"
                      % (i + 1, side, elapsed * 1000, mem["main"], mem["web"], mem["network"]))
        listener.close()
    finally:
        shutil.rmtree(work, ignore_errors=True)

    def median(side, pick):
        return statistics.median(pick(r) for r in results[side])

    print()
    print("median of %d runs        start to page complete   rss      web process   network process" % runs)
    for side in ("program", "bare"):
        print("%-24s %10.1f ms         %6d kB  %6d kB      %6d kB" % (
            "zyntra-terminal" if side == "program" else "bare WebKitGTK window",
            median(side, lambda r: r[0]) * 1000, median(side, lambda r: r[1]["main"]),
            median(side, lambda r: r[1]["web"]), median(side, lambda r: r[1]["network"])))
    ratio = median("program", lambda r: r[0]) / median("bare", lambda r: r[0])
    # The two runs of one round run back to back, so their ratio is less shaken by the machine's
    # load changing between rounds.
    paired = statistics.median(p[0] / b[0] for p, b in zip(results["program"], results["bare"]))
    print("ratio of the medians %.2f, median of the rounds' ratios %.2f (goal at most %.1f): %s"
          % (ratio, paired, GOAL, "met" if ratio <= GOAL else "NOT met"))
    return 0 if ratio <= GOAL else 1


if __name__ == "__main__":
    if len(sys.argv) not in (3, 4):
        print(__doc__)
        sys.exit(2)
    sys.exit(main(sys.argv[1], sys.argv[2], int(sys.argv[3]) if len(sys.argv) == 4 else 5))
