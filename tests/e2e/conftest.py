"""Fixtures of the end-to-end suite: a display, one device simulator per test on a pseudo-terminal,
and the program under WebKitWebDriver with COM3 mapped to the simulator, a fresh configuration
folder and scripted answers for its dialogs.

The build folder comes from VYX_BUILD_DIR (CTest sets it), else <repository>/build. Screenshots go
to <build>/e2e-screenshots/."""
import os
import pathlib
import struct
import subprocess
import sys
import tempfile
import time
import zlib

import pytest
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import WebDriverWait

REPO = pathlib.Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO / "tests" / "support"))
from webkit_session import Session  # noqa: E402
BUILD = pathlib.Path(os.environ.get("VYX_BUILD_DIR", REPO / "build")).resolve()
PROGRAM = BUILD / "app" / "zyntra-terminal"
SIMULATOR = BUILD / "sim" / "zyntra-sim"
SHOTS = BUILD / "e2e-screenshots"

# Answers the program must give within these times; a wait that runs out is a failed test.
WAIT = 15
# A command shows its result and then closes the port with settle pauses of about 0.2 s; a device
# command clicked meanwhile is refused as busy.
PORT_CLOSING = 0.6
BUSY = "Der Zyntra ist noch mit dem letzten Befehl besch\u00e4ftigt."
LONG_WAIT = 90


@pytest.fixture(scope="session", autouse=True)
def display():
    """The display: the one scripts/with-xvfb.sh made, else a private Xvfb started here."""
    if os.environ.get("DISPLAY"):
        yield os.environ["DISPLAY"]
        return
    read_fd, write_fd = os.pipe()
    server = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
        pass_fds=(write_fd,), stderr=subprocess.DEVNULL)
    os.close(write_fd)
    with os.fdopen(read_fd) as numbers:
        number = numbers.readline().strip()
    assert number, "Xvfb did not start"
    os.environ["DISPLAY"] = ":" + number
    os.environ.setdefault("GSETTINGS_BACKEND", "memory")
    os.environ.setdefault("NO_AT_BRIDGE", "1")
    yield os.environ["DISPLAY"]
    server.terminate()
    server.wait(10)


class Simulator:
    """One zyntra-sim process; its pseudo-terminal path and its stdin commands."""

    def __init__(self, *args):
        self.process = subprocess.Popen([str(SIMULATOR), *args], stdin=subprocess.PIPE,
                                        stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        self.path = self.process.stdout.readline().strip()
        assert self.path.startswith("/dev/"), "zyntra-sim gave no device path: %r" % self.path

    def command(self, line):
        """A run-time change: "temp 30", "misbehave silent", "misbehave none"."""
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(10)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()
        for stream in (self.process.stdin, self.process.stdout):
            try:
                stream.close()
            except OSError:
                pass  # a hung-up simulator has its pipes gone already


class App:
    """The program under the web driver, with helpers that wait for what the page shows."""

    def __init__(self, workdir, env, program=PROGRAM):
        self.workdir = workdir
        self.env = env
        self.config = pathlib.Path(env["XDG_CONFIG_HOME"]) / "zyntra-terminal.cfg"
        self.dialog_log = pathlib.Path(env["VYX_TEST_DIALOG_LOG"])
        self.session = Session(program, env=env, log_path=str(workdir / "webdriver.log"))
        self.driver = self.session.driver
        # Until the window shows, newer WebKitGTK reports the page hidden and its texts as empty.
        self.wait_for(lambda d: d.execute_script(
            "return document.readyState === 'complete' && !!document.getElementById('tabList')"
            " && document.visibilityState === 'visible'"),
            "the page did not load and show")

    def quit(self):
        """Ends the session (also one whose program has already closed itself); once only."""
        if self.session is None:
            return
        session, self.session = self.session, None
        session.quit()

    # ---- reading and driving the page ----

    def el(self, element_id):
        return self.driver.find_element(By.ID, element_id)

    def text(self, element_id):
        """What the element shows, blanks at both ends dropped (hidden elements: their text)."""
        text = self.driver.execute_script(
            "var e = document.getElementById(arguments[0]); return e ? e.innerText : null;", element_id)
        return None if text is None else text.strip()

    def value(self, element_id):
        return self.driver.execute_script("return document.getElementById(arguments[0]).value;", element_id)

    def click(self, element_id):
        self.el(element_id).click()

    def tab(self, tab_id):
        self.click(tab_id)
        self.wait_for(lambda d: self.el(tab_id).get_attribute("aria-selected") == "true", "tab " + tab_id)

    def type_into(self, element_id, text, clear=True):
        field = self.el(element_id)
        if clear:
            field.clear()
        field.send_keys(text)

    def wait_for(self, condition, what, timeout=WAIT):
        return WebDriverWait(self.driver, timeout, poll_frequency=0.1).until(condition, what)

    def wait_text(self, element_id, test, timeout=WAIT):
        """Waits until the element's text passes test (a substring or a function) and returns it."""
        check = test if callable(test) else (lambda t: test in t)
        last = [None]

        def ready(_):
            last[0] = self.text(element_id)
            return last[0] is not None and check(last[0])

        try:
            self.wait_for(ready, element_id, timeout)
        except Exception as e:
            raise AssertionError("%s shows %r, waited for %r" % (element_id, last[0], test)) from e
        return last[0]

    def command(self, action, status_id, test, timeout=WAIT, check_in=None, clear=True):
        """Clicks a button (or runs action, a function) that starts a device command, and waits for
        check_in (the status element if not given) to pass test.
        The page shows a result before its command has let go of the port (a port test still sets
        the device's mode after showing the version), so a click that comes too early is refused
        with the busy text; like a user, this clicks again then. clear=False keeps the status
        element's content (when the button is in it); test must then not pass before the click."""
        check = test if callable(test) else (lambda t: test in t)
        deadline = time.monotonic() + timeout
        while True:
            # The status of an earlier command must not pass for this one's.
            if clear:
                self.driver.execute_script("document.getElementById(arguments[0]).innerHTML = '';", status_id)
            action() if callable(action) else self.click(action)
            shown = None

            def done(_):
                nonlocal shown
                shown = self.text(check_in or status_id) or ""
                return check(shown) or BUSY in (self.text(status_id) or "")

            try:
                self.wait_for(done, status_id, max(1.0, deadline - time.monotonic()))
            except Exception as e:
                raise AssertionError("%s shows %r" % (check_in or status_id, shown)) from e
            if check(shown):
                return shown
            assert time.monotonic() < deadline, "%s stayed busy" % status_id
            time.sleep(0.2)  # pacing of the next try, not a wait for a result

    def type_list(self, lines):
        """Replaces the command list with lines, typed as a user types them (Return between)."""
        commands = self.el("dexmode_cmdList")
        commands.click()
        commands.send_keys(Keys.CONTROL, "a")
        commands.send_keys(Keys.DELETE)
        commands.send_keys(Keys.ENTER.join(lines))

    def send_line(self, line, test):
        """Types the line into the terminal's one-line input, sends it with Return and waits for the
        Dexmode status line to pass test (as in command)."""
        self.type_into("dexmode_cmdOne", line)
        self.command(lambda: self.el("dexmode_cmdOne").send_keys(Keys.RETURN), "dexmode_info", test)

    def dialogs(self):
        """The dialogs the program answered from its scripted answers, one line each."""
        if not self.dialog_log.exists():
            return []
        return self.dialog_log.read_text(encoding="utf-8").splitlines()

    def screenshot(self, name):
        SHOTS.mkdir(parents=True, exist_ok=True)
        path = SHOTS / (name + ".png")
        self.driver.save_screenshot(str(path))
        return path


def png_pixels(data):
    """Width, height and rows of RGB(A) tuples of an 8-bit, non-interlaced PNG (the driver's
    screenshots)."""
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            width, height, depth, colour, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour in (2, 6) and interlace == 0, (depth, colour, interlace)
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    size = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * size
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - size] if i >= size else 0
            up = previous[i]
            corner = previous[i - size] if i >= size else 0
            if kind == 1:
                line[i] = (line[i] + left) & 0xFF
            elif kind == 2:
                line[i] = (line[i] + up) & 0xFF
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 0xFF
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up if pb <= pc else corner)
                line[i] = (line[i] + pred) & 0xFF
        rows.append([tuple(line[x * size:x * size + 3]) for x in range(width)])
        previous = line
    return width, height, rows


@pytest.fixture
def workdir(tmp_path):
    (tmp_path / "config").mkdir()
    (tmp_path / "home").mkdir()
    return tmp_path


def program_env(workdir, ports=None, **extra):
    env = dict(os.environ)
    for key in list(env):
        if key.startswith("VYX_PORT_") or key.startswith("VYX_TEST_"):
            del env[key]
    env.pop("VYX_TRACE", None)
    env["XDG_CONFIG_HOME"] = str(workdir / "config")
    env["HOME"] = str(workdir / "home")
    env["VYX_TEST_DIALOG_LOG"] = str(workdir / "dialogs.log")
    env["VYX_TEST_BOX_ANSWERS"] = ""
    for name, path in (ports or {}).items():
        env["VYX_PORT_" + name] = path
    env.update(extra)
    return env


@pytest.fixture
def simulator(request):
    """One simulator per test; a test marks its options with @pytest.mark.sim_args(...)."""
    marker = request.node.get_closest_marker("sim_args")
    sim = Simulator(*(marker.args if marker else ()))
    yield sim
    sim.stop()


@pytest.fixture
def start_app(workdir):
    """Starts the program (more than once if a test needs it); all are ended after the test."""
    started = []

    def start(ports=None, program=PROGRAM, **extra):
        app = App(workdir, program_env(workdir, ports, **extra), program)
        started.append(app)
        return app

    yield start
    for app in reversed(started):
        app.quit()


@pytest.fixture
def app(start_app, simulator):
    """The program with COM3 mapped to this test's simulator."""
    return start_app({"COM3": simulator.path})


def pytest_configure(config):
    config.addinivalue_line("markers", "sim_args(*args): command-line options of the test's zyntra-sim")
