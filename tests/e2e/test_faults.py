"""Device faults as the simulator plays them: no answer, garbage, another device, old firmware, a
mode switch left unanswered, a line left unanswered, the device hanging up in the middle of an
answer. The page says what happened, and the next command works once the device behaves again."""
import pytest
from selenium.webdriver.support.ui import Select

from conftest import Simulator

NOT_FOUND = "Es wurde kein Zyntra an diesem Port gefunden."
VERSION = "Zyntra V3.1"


def port_test(app, expected):
    return app.command("btnTestPort", "zyntra_info", expected)


@pytest.mark.parametrize("misbehaviour", ["silent", "garbage", "foreign"])
def test_port_test_without_a_proper_answer(app, simulator, misbehaviour):
    Select(app.el("port")).select_by_value("COM3")
    simulator.command("misbehave " + misbehaviour)
    assert port_test(app, NOT_FOUND) == NOT_FOUND
    simulator.command("misbehave none")
    assert port_test(app, VERSION) == VERSION
    assert app.dialogs() == []


def test_old_firmware_warns(app, simulator):
    Select(app.el("port")).select_by_value("COM3")
    simulator.command("misbehave oldfw")
    assert port_test(app, "Zyntra V2.4") == "Zyntra V2.4"
    app.wait_for(lambda _: len(app.dialogs()) == 1, "the warning")
    assert app.dialogs() == ["box Alte Firmware: Achtung! Der angeschlossene Zyntra hat eine zu alte Firmware. "
                             "Auf der Webseite des Herstellers finden Sie die aktuelle Version."]
    simulator.command("misbehave none")
    assert port_test(app, VERSION) == VERSION
    assert len(app.dialogs()) == 1


def answers(app):
    return app.driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('#dexmode_output div'),"
        " function (d) { return d.innerText.trim(); });")


@pytest.mark.sim_args("--scope", "lines")
def test_unanswered_line(app, simulator):
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")
    simulator.command("misbehave silent")
    app.send_line("m:main\u00b0ver", "Fehler beim Senden der Daten.")
    assert answers(app) == ["TIMEOUT ERROR"]
    simulator.command("misbehave none")
    app.send_line("m:main\u00b0ver", lambda _: len(answers(app)) == 2)
    assert answers(app)[1] == "Zyntra V3.1\nOK\u00a0(status 00=OK)"
    assert app.text("dexmode_info") == ""


@pytest.mark.sim_args("--scope", "frames", "--after", "1")
def test_mode_switch_unanswered(app, simulator):
    """The device answers the version query but not the switch into Dexmode: the status names it."""
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")
    simulator.command("misbehave silent")
    app.send_line("m:main", "Der Zyntra hat nicht in den Dexmode gewechselt.")
    assert answers(app) == []
    simulator.command("misbehave none")
    app.send_line("m:main", lambda _: len(answers(app)) == 1)
    assert app.text("dexmode_info") == ""


def test_device_hangs_up_mid_answer(start_app, workdir):
    """COM3 is mapped in the configuration file here, so that the port can be pointed at a new
    device after the first one has gone, as when a device is plugged in again."""
    config = workdir / "config" / "zyntra-terminal.cfg"
    first = Simulator("--scope", "lines")
    second = None
    try:
        config.write_bytes(b"[ports]\r\nCOM3=%s\r\n" % first.path.encode())
        app = start_app()
        Select(app.el("port")).select_by_value("COM3")
        app.tab("mytabScriptTWI")
        first.command("misbehave hangup")
        app.send_line("m:main\u00b0ver", "Fehler beim Senden der Daten.")
        assert first.process.wait(15) == 3  # the simulator hung up
        shown = answers(app)
        assert len(shown) == 1 and shown[0].endswith("TIMEOUT ERROR"), shown
        # The device is gone: the port test says so, and does not hang.
        app.tab("mytabDevice")
        assert port_test(app, "nicht ge\u00f6ffnet") == "Der COM-Port konnte nicht ge\u00f6ffnet werden."
        # Plugged in again.
        second = Simulator()
        config.write_bytes(b"[ports]\r\nCOM3=%s\r\n" % second.path.encode())
        assert port_test(app, VERSION) == VERSION
        app.screenshot("faults")
    finally:
        first.stop()
        if second:
            second.stop()
