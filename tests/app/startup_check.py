"""Starts zyntra-terminal on a display through WebKitWebDriver, checks that it shows its page, closes
its window through the session and checks that the program then ends with exit code 0 and has
removed the temporary folder its resources were unpacked into.

The driver starts the program itself, so it starts a small wrapper that runs the program and keeps
its exit code. TMPDIR points at a fresh folder (the resources are unpacked there) and
XDG_CONFIG_HOME at another (no configuration file: the page comes up in German).

usage: startup_check.py <zyntra-terminal>"""
import os
import pathlib
import shutil
import sys
import tempfile
import time

from selenium.webdriver.common.by import By

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[1] / "support"))
from webkit_session import Session  # noqa: E402


def wait_for(condition, seconds):
    deadline = time.monotonic() + seconds
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.05)
    return True


def main(program):
    work = tempfile.mkdtemp(prefix="zt-startup-")
    try:
        tmp = os.path.join(work, "tmp")
        os.mkdir(tmp)
        os.environ["TMPDIR"] = tmp
        os.environ["XDG_CONFIG_HOME"] = os.path.join(work, "config")
        status = os.path.join(work, "exit-code")
        wrapper = os.path.join(work, "zyntra-terminal")
        with open(wrapper, "w") as f:
            f.write('#!/bin/sh\n"$PROGRAM" "$@"\necho $? >"$STATUS"\n')
        os.chmod(wrapper, 0o755)
        os.environ["PROGRAM"] = os.path.abspath(program)
        os.environ["STATUS"] = status

        session = Session(wrapper)
        driver = session.driver
        try:
            assert driver.execute_script("return document.readyState") == "complete"
            assert driver.title.startswith("Zyntra-Terminal"), driver.title
            assert driver.find_element(By.TAG_NAME, "html").get_attribute("lang") == "de"
            assert driver.find_element(By.ID, "port").tag_name == "select"
            unpacked = [n for n in os.listdir(tmp) if n.startswith("_tmpVyxRes")]
            assert len(unpacked) == 1, os.listdir(tmp)
            assert os.listdir(os.path.join(tmp, unpacked[0])), "nothing unpacked"

            # Closing the session's window closes the main window as its close button does.
            driver.close()
            assert wait_for(lambda: os.path.exists(status), 20), "the program did not end"
        finally:
            session.quit()  # also when the program has ended already
        with open(status) as f:
            code = f.read().strip()
        assert code == "0", "exit code " + code
        assert os.listdir(tmp) == [], "left behind in TMPDIR: %s" % os.listdir(tmp)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("start and close ok")


if __name__ == "__main__":
    main(sys.argv[1])
