"""The SPI speed tab: the speed sweep names the simulator's ATmega328P, the slow sweep runs while the
page stays usable (another tab opens, a second device command is refused with the busy text), and
a value is set by clicking it. The line is paced at 57600 baud so the slow sweep takes a while, as
on the device."""
import time

import pytest
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

from conftest import BUSY, LONG_WAIT, PORT_CLOSING


def values(app, kind):
    """The tested values shown for kind ("Speed" or "Slow"): (value, class) each."""
    return app.driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('#spiSpeedAusgabe' + arguments[0] + ' a'),"
        " function (a) { return [a.textContent, a.parentNode.className]; });", kind)


@pytest.mark.sim_args("--baud", "57600")
def test_spi_speed_sweeps_and_set(app):
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabSpi")

    app.command("btnSpiTestSpeed", "spiSpeedAusgabeSpeed", lambda _: "ATmega328P" in app.text("spiPartSpeed"),
                timeout=LONG_WAIT)
    assert app.text("spiPartSpeed") == "ATmega328P (1E950F)"
    # The target follows up to 250 kHz: 8 MHz / 2^5 and slower.
    assert values(app, "Speed") == [[str(v), "spiSpeedOk" if v >= 5 else "spiSpeedError"] for v in range(8)]

    # The slow sweep: while it runs the page answers, and another device command is refused.
    app.command("btnSpiTestSlow", "spiSpeedAusgabeSlow", lambda _: len(values(app, "Slow")) >= 2)
    app.tab("mytabVexo")
    app.click("btnVexoReadEeprom")
    assert app.wait_text("vexo_info", BUSY) == BUSY
    assert app.text("spiPartSlow") == "", "the slow sweep ended before the busy check"
    app.tab("mytabSpi")
    app.wait_text("spiPartSlow", "ATmega328P", timeout=LONG_WAIT)
    slow = values(app, "Slow")
    assert [v for v, _ in slow] == [str(v) for v in range(1, 255)]
    # 500 kHz / n: the target follows from n = 2 on.
    assert [v for v, kind in slow if kind == "spiSpeedError"] == ["1"]
    app.screenshot("spi")

    # The sweeps put the device's settings back (unset before: the values the program assumes).
    assert device_settings(app) == "07!\n0A!"

    # A click on a value sets it in the device.
    app.tab("mytabSpi")
    set_by_click(app, "6")
    assert app.text("spiSpeedAusgabeSpeed") == "SPI-Geschwindigkeit eingestellt auf: 6"
    assert device_settings(app) == "06!\n0A!"


def set_by_click(app, value):
    """Clicks the value in the speed list once the last command has closed the port. A click that comes while it still lets
    go of the port is refused, and the busy text then takes the list's place (see docs/e2e.md):
    the list is made again with a new sweep, as a user would have to."""
    shown = []
    for _ in range(3):
        links = app.driver.find_elements(By.XPATH, "//div[@id='spiSpeedAusgabeSpeed']//a[text()='%s']" % value)
        if not links:
            app.command("btnSpiTestSpeed", "spiSpeedAusgabeSpeed", "ATmega328P", timeout=LONG_WAIT,
                        check_in="spiPartSpeed")
            continue
        # Not a wait for a result: the command before has shown its result and is still closing
        # the port (its settle pauses), and a refused click here would cost the list.
        time.sleep(PORT_CLOSING)
        links[0].click()
        shown.append(app.wait_text("spiSpeedAusgabeSpeed", lambda t: "eingestellt auf" in t or BUSY in t))
        if "eingestellt auf" in shown[-1]:
            return shown[-1]
    raise AssertionError("the value could not be set by clicking it: %r" % shown)


def device_settings(app):
    """spiSpeed and spiSlow as the device answers them, asked in the Dexmode terminal."""
    app.tab("mytabScriptTWI")
    app.click("btnOutputClear")
    app.wait_for(lambda _: app.text("dexmode_output") == "", "the output cleared")
    app.type_into("dexmode_cmdOne", "m:main\u00b0mode mm\u00b0m:set\u00b0spiSpeed\u00b0spiSlow")
    shown = app.command("btnSendOne", "dexmode_info", "status 00", check_in="dexmode_output")
    return shown.split("\n", 1)[1].rsplit("\n", 1)[0]
