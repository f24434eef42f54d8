"""Start-up and the device tab: the page is complete and German, the port test on COM3 shows the
simulator's version, the port search finds it."""
from selenium.webdriver.support.ui import Select

from conftest import png_pixels

PAGE_IDS = [
    "tabList", "mytabDevice", "mytabScriptTWI", "mytabSpi", "mytabVexo", "langSelect", "port",
    "btnTestPort", "btnPortSearch", "zyntra_info", "smartCmd", "btnSmartCmd", "dexmode_cmdList",
    "btnSendList", "btnScriptLoad", "btnScriptSave", "btnOutputClear", "dexmode_info",
    "dexmode_output", "dexmode_cmdOne", "btnSendOne", "btnSpiTestSpeed", "btnSpiTestSlow",
    "spiSpeedAusgabeSpeed", "spiSpeedAusgabeSlow", "spiPartSpeed", "spiPartSlow", "vexo_info",
    "vexoClockText", "vexoClockYN", "vexoTimeNew", "btnVexoSetTime", "btnVexoPcTime", "vexoTempText",
    "vexoTempYN", "btnVexoStartTemp", "vexoTempOn", "vexoTempOff", "btnVexoSetTemp",
    "vexoEepromReadAdr", "vexoEepromReadAnz", "btnVexoReadEeprom", "vexoEepromWriteAdr",
    "vexoEepromWriteData", "btnVexoWriteEeprom", "vexoEepromText",
    "vexoClockScript", "vexoClockScriptSet", "vexoTempScript", "vexoTempScriptStart",
    "vexoTempScriptHyst", "vexoEepromScriptLesen", "vexoEepromScriptWrite",
]


def test_start_page_complete_and_german(app):
    driver = app.driver
    # The page fills the window from the start: the right edge of the first picture is the page's
    # background, not the window's black.
    width, height, rows = png_pixels(driver.get_screenshot_as_png())
    edge = [rows[y][width - 10] for y in range(100, height - 50, 50)]
    assert all(sum(pixel) > 600 for pixel in edge), edge
    assert driver.capabilities.get("browserName") == "zyntra-terminal"
    missing = driver.execute_script(
        "return arguments[0].filter(function (id) { return !document.getElementById(id); });", PAGE_IDS)
    assert missing == []
    assert driver.title == "Zyntra-Terminal"
    assert driver.execute_script("return document.documentElement.lang") == "de"
    assert app.value("langSelect") == "de"
    # German texts from the language file, umlauts intact through the whole chain.
    assert app.text("mytabDevice").endswith("Ger\u00e4t")
    assert app.text("btnTestPort") == "Port testen"
    assert app.text("btnSpiTestSpeed") == "Test starten"
    assert "\u00b0C" in app.text("vexoTempText")
    # The device scripts reached the page with their degree signs.
    assert app.text("vexoClockScript") == "m:main\u00b0mode mm\u00b0m:twi\u00b0w 68 00\u00b0r 68 07"
    shot = app.screenshot("start")
    assert shot.stat().st_size > 10000


def test_port_test_and_port_search(app):
    Select(app.el("port")).select_by_value("COM3")
    assert app.command("btnTestPort", "zyntra_info", "Zyntra V3.1") == "Zyntra V3.1"

    # A port without a device says so, and the search then finds COM3 (after COM1 and COM2).
    Select(app.el("port")).select_by_value("COM7")
    assert app.command("btnTestPort", "zyntra_info", "nicht ge\u00f6ffnet") == \
        "Der COM-Port konnte nicht ge\u00f6ffnet werden."
    Select(app.el("port")).select_by_value("nix")
    app.command("btnPortSearch", "zyntra_info", "Zyntra V3.1")
    app.wait_for(lambda _: app.value("port") == "COM3", "the search selects COM3")
    assert app.dialogs() == []
    app.screenshot("device")
