"""The Dexmode terminal as a user works it: a line typed and sent with Return, a command list with
comments, !echo and !cls, the degree sign typed as the command separator, an error answer shown
with its status text, the output cleared, and a long answer that comes whole."""
from selenium.webdriver.support.ui import Select


def answers(app):
    """The answer blocks in the output, each as (class, text)."""
    return app.driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('#dexmode_output div'),"
        " function (d) { return [d.className, d.innerText.trim()]; });")


def send_line(app, line, count):
    """Types the line, sends it with Return and waits for the count-th answer block."""
    app.send_line(line, lambda _: len(answers(app)) == count)


def test_dexmode_terminal(app):
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")

    # One line, the commands separated by the degree sign typed in the page, sent with Return.
    send_line(app, "m:main\u00b0mode mm\u00b0pwr 01\u00b0pwr", 1)
    assert answers(app) == [["dexmode_answerOK", "01!\nOK\u00a0(status 00=OK)"]]
    output = app.text("dexmode_output")
    assert output.startswith("m:main"), output
    assert "mode mm" in output and "pwr 01" in output
    assert app.value("dexmode_cmdOne") == ""

    # A refused value: the answer is marked as an error and its status code explained.
    send_line(app, "m:set\u00b0spiSpeed 08", 2)
    kind, text = answers(app)[1]
    assert kind == "dexmode_answerERROR"
    assert text == "spiSpeed?\n RANGE ERROR\u00a0(status 04=Wert au\u00dferhalb des Bereichs)"

    # A list: comments are skipped, !echo shows its text, !cls clears what came before.
    app.type_list(["# Modul-Adressen", "!echo vor dem Leeren", "m:main\u00b0ver", "!cls",
                   "!echo Adressen am TWI-Bus", "m:main\u00b0mode mm\u00b0m:twi\u00b0scan"])
    app.command("btnSendList", "dexmode_info",
                lambda _: len(answers(app)) == 2 and "TWI" in answers(app)[1][1])
    assert answers(app) == [["dexmode_comment", "Adressen am TWI-Bus"],
                            ["dexmode_answerOK", "TWI 48 50 68\nOK\u00a0(status 00=OK)"]]
    output = app.text("dexmode_output")
    assert "vor dem Leeren" not in output and "Zyntra V3.1" not in output
    assert "Modul-Adressen" not in output
    assert app.text("dexmode_info") == ""
    app.screenshot("dexmode")

    app.click("btnOutputClear")
    app.wait_for(lambda _: app.text("dexmode_output") == "", "the output cleared")


def test_a_long_answer_comes_whole(app):
    """The EEPROM but its last byte in one bus read: all 510 hex digits of the answer are shown."""
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")
    send_line(app, "m:main\u00b0mode mm\u00b0m:twi\u00b0r 50 FF", 1)
    assert answers(app) == [["dexmode_answerOK", "F" * 510 + "!\nOK\u00a0(status 00=OK)"]]
    assert app.text("dexmode_info") == ""
