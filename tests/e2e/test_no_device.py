"""No device at all, and a port another program holds: every command says so in plain words,
within the usual time, and the page stays usable meanwhile."""
import fcntl
import os
import termios

from selenium.webdriver.support.ui import Select

NOT_OPENED = "Der COM-Port konnte nicht ge\u00f6ffnet werden."


def test_no_device_at_all(start_app):
    app = start_app()  # no port mapped to anything
    Select(app.el("port")).select_by_value("COM3")
    assert app.command("btnTestPort", "zyntra_info", "ge\u00f6ffnet") == NOT_OPENED

    # The search tries COM1 to COM19; the tabs answer meanwhile.
    Select(app.el("port")).select_by_value("nix")
    app.click("btnPortSearch")
    app.tab("mytabScriptTWI")
    app.tab("mytabDevice")
    assert app.wait_text("zyntra_info", "gefunden") == "Es wurde kein Zyntra gefunden."
    assert app.value("port") == "nix"

    # Without a chosen port every device command says it could not open one.
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")
    app.type_into("dexmode_cmdOne", "m:main\u00b0ver")
    app.command("btnSendOne", "dexmode_info", "ge\u00f6ffnet")
    assert app.text("dexmode_info") == NOT_OPENED
    assert app.text("dexmode_output") == ""
    assert app.value("dexmode_cmdOne") == "m:main\u00b0ver"  # kept for another try
    app.tab("mytabSpi")
    assert app.command("btnSpiTestSpeed", "spiSpeedAusgabeSpeed", "ge\u00f6ffnet") == NOT_OPENED
    app.tab("mytabVexo")
    # Polling without a device: the status line ends with the failed reading, the display shows
    # its placeholder.
    app.click("vexoTempYN")
    assert app.wait_text("vexo_info", "Fehler") == "Fehler beim Senden der Daten."
    assert app.text("vexoTempText") == "--,- \u00b0C"
    app.click("vexoTempYN")
    assert app.dialogs() == []
    app.screenshot("no-device")


def test_port_held_by_another_program(app, simulator):
    holder = os.open(simulator.path, os.O_RDWR | os.O_NOCTTY)
    try:
        fcntl.flock(holder, fcntl.LOCK_EX | fcntl.LOCK_NB)
        fcntl.ioctl(holder, termios.TIOCEXCL)
        Select(app.el("port")).select_by_value("COM3")
        assert app.command("btnTestPort", "zyntra_info", "ge\u00f6ffnet") == NOT_OPENED
        fcntl.ioctl(holder, termios.TIOCNXCL)
    finally:
        os.close(holder)
    assert app.command("btnTestPort", "zyntra_info", "Zyntra V3.1") == "Zyntra V3.1"
