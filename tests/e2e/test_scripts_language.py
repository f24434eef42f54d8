"""Script files through the file dialogs, and the language switch.

The file dialogs and the question box are answered from VYX_TEST_FILE_ANSWERS and
VYX_TEST_BOX_ANSWERS (gui/gtk/GtkDialogs.cpp), since nothing can click a GTK dialog of the program
under the web driver. The language switch restarts the program from its own file: the restarted
instance is not under the driver, so the test checks the configuration file, finds the restarted
instance by its configuration folder, ends it, and starts a new session, which must come up in the
chosen language."""
import os
import pathlib
import signal
import time

import pytest

from selenium.webdriver.support.ui import Select

from conftest import PROGRAM, WAIT


def instances(config_home):
    """Process ids of the program running with this configuration folder in a session of its own,
    as the restarted instance runs. The forks the program makes on the way there still share its
    session and look the same otherwise; ending one of those would make the start fail."""
    found = set()
    for entry in pathlib.Path("/proc").iterdir():
        if not entry.name.isdigit():
            continue
        try:
            if os.readlink(entry / "exe") != str(PROGRAM) or os.getsid(int(entry.name)) != int(entry.name):
                continue
            environ = (entry / "environ").read_bytes().split(b"\0")
        except OSError:
            continue
        if ("XDG_CONFIG_HOME=" + config_home).encode() in environ:
            found.add(int(entry.name))
    return found


LABELS = {"de": "D", "en": "E"}  # the first letter of the choice's label


def choose_language(app, code):
    """Chooses the language by typing the first letter of its name into the choice, as from the keyboard."""
    app.el("langSelect").send_keys(LABELS[code])


def switch_language(app, code):
    """Chooses the language in the page, answers the question with OK, and ends the restarted
    instance once it runs. Returns the dialog lines."""
    config_home = app.env["XDG_CONFIG_HOME"]
    before = instances(config_home)
    choose_language(app, code)
    deadline = time.monotonic() + WAIT
    restarted = set()
    while not restarted:
        assert time.monotonic() < deadline, "the program did not restart itself: %r %r %r" % (
            before, app.dialogs(), (pathlib.Path(config_home) / "zyntra-terminal.cfg").read_bytes())
        time.sleep(0.1)  # polling the process table
        restarted = instances(config_home) - before
    for pid in restarted:
        os.kill(pid, signal.SIGTERM)
    return app.dialogs()


def test_script_save_and_load(start_app, simulator, workdir):
    saved = workdir / "gespeichert.txt"
    prepared = workdir / "vorbereitet.txt"
    prepared.write_bytes(b"# vorbereitet\r\n!echo Gr\xfc\xdfe\r\nm:main\xb0ver\r\n")
    missing = workdir / "fehlt.txt"
    app = start_app({"COM3": simulator.path},
                    VYX_TEST_FILE_ANSWERS=":".join([str(saved), str(prepared), str(missing), "", str(saved)]))
    Select(app.el("port")).select_by_value("COM3")
    app.tab("mytabScriptTWI")
    app.type_list(["# Temperatur", "m:main\u00b0mode mm\u00b0m:twi\u00b0w 48 00\u00b0r 48 02"])

    app.click("btnScriptSave")
    app.wait_for(lambda _: saved.exists() and saved.stat().st_size > 0, "the saved file")
    content = saved.read_bytes()
    assert content.replace(b"\r\n", b"\n").rstrip(b"\n") == \
        b"# Temperatur\nm:main\xb0mode mm\xb0m:twi\xb0w 48 00\xb0r 48 02"

    # Loading replaces the list with the file's text (Windows-1252) and runs as it says.
    app.click("btnScriptLoad")
    app.wait_text("dexmode_cmdList", "vorbereitet")
    assert app.text("dexmode_cmdList").splitlines() == ["# vorbereitet", "!echo Gr\u00fc\u00dfe", "m:main\u00b0ver"]
    app.command("btnSendList", "dexmode_info", "Zyntra V3.1", check_in="dexmode_output")
    assert app.text("dexmode_output").startswith("Gr\u00fc\u00dfe")

    # A file that is not there: the dialog's own check says so and asks again (cancelled here);
    # the list keeps its text.
    app.click("btnScriptLoad")
    app.wait_for(lambda _: len(app.dialogs()) == 5, "the dialog asked again")
    assert app.text("dexmode_cmdList").startswith("# vorbereitet")
    # Saving over the first file: the replace question answered with its default (Yes).
    app.click("btnScriptSave")
    app.wait_for(lambda _: len(app.dialogs()) == 7, "the replace question")
    app.wait_for(lambda _: b"vorbereitet" in saved.read_bytes(), "the file replaced")
    assert saved.read_bytes().replace(b"\r\n", b"\n").rstrip(b"\n") == \
        b"# vorbereitet\n!echo Gr\xfc\xdfe\nm:main\xb0ver"
    assert app.dialogs() == [
        "file Skript-Datei speichern: " + str(saved),
        "file Skript-Datei laden: " + str(prepared),
        "file Skript-Datei laden: " + str(missing),
        "box Skript-Datei laden: " + str(missing) + " Die Datei wurde nicht gefunden. "
        "\u00dcberpr\u00fcfen Sie den Dateinamen, und wiederholen Sie den Vorgang.",
        "file Skript-Datei laden: (cancelled)",
        "file Skript-Datei speichern: " + str(saved),
        "box Skript-Datei speichern: " + str(saved) + " ist bereits vorhanden. "
        "M\u00f6chten Sie die Datei ersetzen?",
    ]
    app.screenshot("scripts")


def test_language_switch_and_back(start_app, simulator, workdir):
    config = workdir / "config" / "zyntra-terminal.cfg"
    app = start_app({"COM3": simulator.path}, VYX_TEST_BOX_ANSWERS="ok")
    switch_language(app, "en")
    assert app.dialogs() == ["box Frage: Zum Sprachwechsel wird das Programm neu gestartet. "
                             "Soll der Sprachwechsel durchgef\u00fchrt werden?"]
    assert "language=en" in config.read_text(encoding="cp1252")

    english = start_app({"COM3": simulator.path}, VYX_TEST_BOX_ANSWERS="cancel")
    assert english.driver.execute_script("return document.documentElement.lang") == "en"
    assert english.value("langSelect") == "en"
    assert english.text("btnTestPort") == "Test port"
    assert english.text("mytabDevice").endswith("Device")
    Select(english.el("port")).select_by_value("COM3")
    assert english.command("btnTestPort", "zyntra_info", "Zyntra V3.1") == "Zyntra V3.1"
    english.screenshot("english")
    # The question cancelled: nothing changes.
    choose_language(english, "de")
    english.wait_for(lambda _: len(english.dialogs()) == 2, "the question")
    assert english.dialogs()[1].startswith("box Question: The program restarts to change the language.")
    assert english.value("langSelect") == "en"
    assert "language=en" in config.read_text(encoding="cp1252")
    english.quit()

    again = start_app({"COM3": simulator.path}, VYX_TEST_BOX_ANSWERS="ok")
    switch_language(again, "de")
    assert "language=de" in config.read_text(encoding="cp1252")
    german = start_app({"COM3": simulator.path})
    assert german.text("btnTestPort") == "Port testen"


def test_language_asked_again_after_cancel(start_app, workdir):
    app = start_app(VYX_TEST_BOX_ANSWERS="cancel:cancel:cancel")
    choose_language(app, "en")
    app.wait_for(lambda _: len(app.dialogs()) == 1, "the question")
    app.wait_for(lambda _: app.value("langSelect") == "de", "the choice put back")
    choose_language(app, "en")
    app.wait_for(lambda _: len(app.dialogs()) == 2, "the question asked again", timeout=5)
    app.wait_for(lambda _: app.value("langSelect") == "de", "the choice put back again")
    Select(app.el("langSelect")).select_by_value("en")
    app.wait_for(lambda _: len(app.dialogs()) == 3, "the question asked again after a pointer choice", timeout=5)
