"""The installed program: cmake --install into a temporary prefix, started through the link in
<prefix>/bin, finds its page and its language files (the English texts prove the latter), and the
desktop entry and icons are in place."""
import subprocess

from selenium.webdriver.support.ui import Select

from conftest import BUILD


def test_installed_program_runs_through_its_link(start_app, simulator, workdir):
    prefix = workdir / "prefix"
    subprocess.run(["cmake", "--install", str(BUILD), "--prefix", str(prefix)], check=True,
                   stdout=subprocess.DEVNULL)
    link = prefix / "bin" / "zyntra-terminal"
    assert link.is_symlink()
    for path in ["share/applications/zyntra-terminal.desktop",
                 "share/icons/hicolor/48x48/apps/zyntra-terminal.png",
                 "share/icons/hicolor/scalable/apps/zyntra-terminal.svg",
                 "lib/zyntra-terminal/VYX-Resourcen/terminal_en.lng"]:
        assert (prefix / path).is_file(), path
    (workdir / "config" / "zyntra-terminal.cfg").write_bytes(b"[setup]\r\nlanguage=en\r\n")
    app = start_app({"COM3": simulator.path}, program=link)
    assert app.text("btnTestPort") == "Test port"
    Select(app.el("port")).select_by_value("COM3")
    assert app.command("btnTestPort", "zyntra_info", "Zyntra V3.1") == "Zyntra V3.1"
