"""The Vexo tab: the clock set to the PC's time and the temperature read every second, both
changing on the page (the simulator's temperature changed through its stdin); the thermostat
limits set and acting in the device; EEPROM bytes written and read back."""
import datetime
import re

from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select

from conftest import LONG_WAIT

CLOCK = re.compile(r"^(\d\d)\.(\d\d)\.(\d\d) +(\d\d):(\d\d):(\d\d)$")


def dexmode_answer(app, line):
    """The device's answer to a line sent in the Dexmode terminal (the output cleared before)."""
    app.tab("mytabScriptTWI")
    app.click("btnOutputClear")
    app.wait_for(lambda _: app.text("dexmode_output") == "", "the output cleared")
    app.type_into("dexmode_cmdOne", line)
    shown = app.command("btnSendOne", "dexmode_info", "(status", check_in="dexmode_output")
    return shown.split("\n", 1)[1]


def test_vexo_modules(app, simulator):
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabVexo")
    # The device dialog of the scripts opened: what was sent and answered is shown there.
    app.driver.find_element(By.CSS_SELECTOR, "#pageVexo details summary").click()

    # PC time into the clock, then read every second: the page shows today, and the seconds move.
    app.command("btnVexoPcTime", "vexoClockScriptSet_return", "{00}OK", check_in="vexoClockScriptSet_return")
    app.click("vexoClockYN")
    first = app.wait_text("vexoClockText", lambda t: CLOCK.match(t) is not None)
    today = datetime.date.today()
    assert CLOCK.match(first).group(1, 2, 3) == tuple(today.strftime("%d %m %y").split())
    app.wait_text("vexoClockText", lambda t: CLOCK.match(t) is not None and t != first)

    # The sensor started and read every second; the simulator's temperature changes underneath.
    app.command("btnVexoStartTemp", "vexo_info", lambda _: app.text("vexoTempScriptStart_return") == "{00}OK",
                clear=False)
    app.click("vexoTempYN")
    app.wait_text("vexoTempText", "21.5 \u00b0C")
    simulator.command("temp -3.5")  # below zero the sensor's register is a two's complement number
    app.wait_text("vexoTempText", "-3.5 \u00b0C")
    app.screenshot("vexo-below-zero")
    simulator.command("temp 30")
    app.wait_text("vexoTempText", "30.0 \u00b0C")
    assert app.text("vexo_info") == ""
    app.screenshot("vexo")
    app.click("vexoClockYN")
    app.click("vexoTempYN")

    # Thermostat on above 25,5, off below 22: at 30 degrees the output is active.
    app.type_into("vexoTempOn", "25,5")
    app.type_into("vexoTempOff", "22")
    app.command("btnVexoSetTemp", "vexo_info", lambda _: app.text("vexoTempScriptHyst_return") == "{00}OK",
                clear=False)
    assert app.value("vexoTempOff") == "22,0"
    assert "w 48 03\u00b0".replace("\u00b0", "") in app.text("vexoTempScriptHyst_show")
    assert dexmode_answer(app, "m:main\u00b0mode mm\u00b0m:twi\u00b0w 48 03\u00b0r 48 02\u00b0os") == \
        "1980!\n01!\nOK\u00a0(status 00=OK)"

    # EEPROM: numbers in several notations and a text written from address 16, read back.
    app.tab("mytabVexo")
    app.type_into("vexoEepromWriteAdr", "16")
    app.type_into("vexoEepromWriteData", '1, 2, 0x1F, "AB"')
    expected = "gelesen:\n0x01, 0x02, 0x1F, 0x41, 0x42"
    app.command("btnVexoWriteEeprom", "vexo_info", lambda _: app.text("vexoEepromText") == expected, clear=False)
    app.driver.execute_script("document.getElementById('vexoEepromText').textContent = '';")
    app.type_into("vexoEepromReadAdr", "15")
    app.type_into("vexoEepromReadAnz", "3")
    app.command("btnVexoReadEeprom", "vexo_info",
                lambda _: app.text("vexoEepromText") == "gelesen:\n0xFF, 0x01, 0x02", clear=False)
    assert app.dialogs() == []
