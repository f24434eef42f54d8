"""The command line's history and the output's time stamps as a user meets them: Up and Down walk
the lines sent before, newest first and without repeats in a row, and the history is there again
after the program starts anew; the time stamp box puts the time in front of commands and answers."""
import re

from selenium.webdriver.common.keys import Keys
from selenium.webdriver.support.ui import Select

from test_dexmode import answers, send_line

STAMP = re.compile(r"^\d\d:\d\d:\d\d\.\d\d\d$")


def recall(app, *keys):
    """Presses the keys in the command line and returns what it then holds."""
    field = app.el("dexmode_cmdOne")
    for key in keys:
        field.send_keys(key)
    return app.value("dexmode_cmdOne")


def open_terminal(app):
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")


def stamps(app):
    return app.driver.execute_script(
        "return Array.prototype.map.call(document.querySelectorAll('#dexmode_output .dexmode_time'),"
        " function (e) { return e.innerText.trim(); });")


def test_history_walks_back_and_survives_a_restart(app, start_app, simulator):
    open_terminal(app)
    for count, line in enumerate(["m:main", "m:main", "m:main\u00b0ver"], start=1):
        send_line(app, line, count)

    assert recall(app, Keys.ARROW_UP) == "m:main\u00b0ver"
    assert recall(app, Keys.ARROW_UP) == "m:main"
    assert recall(app, Keys.ARROW_UP) == "m:main"  # the oldest line; the repeat was kept once
    assert recall(app, Keys.ARROW_DOWN) == "m:main\u00b0ver"
    assert recall(app, Keys.ARROW_DOWN) == ""

    app.quit()
    again = start_app({"COM3": simulator.path})
    open_terminal(again)
    assert recall(again, Keys.ARROW_UP) == "m:main\u00b0ver"
    assert recall(again, Keys.ARROW_UP) == "m:main"


def test_time_stamps_stand_before_commands_and_answers_while_ticked(app):
    open_terminal(app)
    send_line(app, "m:main", 1)
    assert stamps(app) == []

    app.click("dexmode_timestamps")
    send_line(app, "m:main\u00b0ver", 2)
    shown = stamps(app)
    assert len(shown) == 2 and all(STAMP.match(s) for s in shown), shown  # command and answer
    assert answers(app)[1][0] == "dexmode_answerOK"

    app.click("dexmode_timestamps")
    send_line(app, "m:main", 3)
    assert len(stamps(app)) == 2
