"""Ending the program from outside: SIGTERM, SIGINT and SIGHUP close the window as its close button
does, also in the middle of a command list: the port gets back the line settings it had before the
program opened it, the folder the resources were unpacked into is removed, and the exit code is 0.
A start removes the folders of programs that were killed before they could remove their own, and
keeps those of programs still running.

The driver starts the program, so it starts a small wrapper that runs the program, notes its
process id and keeps its exit code."""
import fcntl
import os
import signal
import subprocess
import termios

import pytest
from selenium.webdriver.support.ui import Select

from conftest import PROGRAM, WAIT

# Paced, so that a list of device commands keeps the port open for seconds.
BAUD = "2400"
LIST = ["m:main\u00b0ver"] * 40


def wrapper(workdir):
    path = workdir / "zyntra-terminal"
    path.write_text('#!/bin/sh\n"$PROGRAM" "$@" &\necho $! >"$PIDFILE"\nwait $!\necho $? >"$STATUS"\n')
    path.chmod(0o755)
    return path


def left_folder(tmp, name, lock_holder=None):
    """An unpacking folder as a program leaves it: a page and its lock file with the program's id."""
    folder = tmp / name
    folder.mkdir(mode=0o700)
    (folder / "dieseite.htm").write_text("<html></html>")
    lock = folder / "instance.lock"
    if lock_holder is None:
        ended = subprocess.Popen(["true"])
        ended.wait()
        lock.write_text("%d\n" % ended.pid)  # a program that has ended: nobody holds the lock
        return None
    held = open(lock, "w")
    fcntl.flock(held, fcntl.LOCK_EX)  # a program still running holds it
    held.write("%d\n" % lock_holder)
    held.flush()
    return held


@pytest.mark.sim_args("--baud", BAUD)
@pytest.mark.parametrize("sig", [signal.SIGTERM, signal.SIGINT, signal.SIGHUP], ids=lambda s: s.name)
def test_signal_mid_command_closes_the_window_the_normal_way(start_app, simulator, workdir, sig):
    tmp = workdir / "tmp"
    tmp.mkdir()
    left_folder(tmp, "_tmpVyxRes0_1")
    running = left_folder(tmp, "_tmpVyxRes0_2", lock_holder=os.getpid())
    # The device side of the port, opened before the program: its line settings as found.
    line = os.open(simulator.path, os.O_RDWR | os.O_NOCTTY | os.O_NONBLOCK)
    pid_file, status = workdir / "pid", workdir / "status"
    pid = None
    try:
        before = termios.tcgetattr(line)
        app = start_app({"COM3": simulator.path}, program=wrapper(workdir), PROGRAM=str(PROGRAM),
                        PIDFILE=str(pid_file), STATUS=str(status), TMPDIR=str(tmp))
        pid = int(pid_file.read_text())
        ours = [n for n in os.listdir(tmp) if n not in ("_tmpVyxRes0_1", "_tmpVyxRes0_2")]
        assert "_tmpVyxRes0_1" not in os.listdir(tmp), "the ended program's folder was kept"
        assert sorted(os.listdir(tmp / "_tmpVyxRes0_2")) == ["dieseite.htm", "instance.lock"]
        assert len(ours) == 1 and (tmp / ours[0] / "instance.lock").read_text() == "%d\n" % pid

        Select(app.el("port")).select_by_value("COM3")
        app.tab("mytabScriptTWI")
        app.type_list(LIST)
        app.click("btnSendList")
        app.wait_for(lambda _: termios.tcgetattr(line) != before, "the port opened")
        app.wait_for(lambda _: "Zyntra V3.1" in (app.text("dexmode_output") or ""), "the first answer")

        os.kill(pid, sig)
        app.wait_for(lambda _: status.exists(), "the program did not end", WAIT)
        assert status.read_text().strip() == "0"
        assert termios.tcgetattr(line) == before, "the port's line settings were not given back"
        assert sorted(os.listdir(tmp)) == ["_tmpVyxRes0_2"]
    finally:
        if pid is not None and not status.exists():
            os.kill(pid, signal.SIGKILL)
        os.close(line)
        running.close()
