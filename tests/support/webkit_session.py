"""A WebKitWebDriver session on a program started with --automation, made the one way that both
Debian 12's Selenium (4.8, whose WebKitGTK driver takes no service=) and Debian 13's (4.2x, which
no longer takes executable_path=) accept: the driver service is started here and a remote session
is opened on its address."""
import shutil

from selenium.common.exceptions import WebDriverException
from selenium.webdriver.remote.webdriver import WebDriver as RemoteDriver
from selenium.webdriver.webkitgtk.options import Options
from selenium.webdriver.webkitgtk.service import Service

DRIVER = shutil.which("WebKitWebDriver") or "/usr/bin/WebKitWebDriver"


class Session:
    """The driver service and the session on program; env is the environment of the driver and so
    of the program, log_path takes the driver's output."""

    def __init__(self, program, env=None, log_path=None):
        self.service = Service(DRIVER, env=env, log_path=log_path)
        self.service.start()
        options = Options()
        options.binary_location = str(program)
        options.add_argument("--automation")
        options.set_capability("browserName", "zyntra-terminal")
        try:
            self.driver = RemoteDriver(command_executor=self.service.service_url, options=options)
        except Exception:
            self.service.stop()
            raise

    def quit(self):
        """Ends the session (also one whose program has already closed itself) and the driver."""
        try:
            self.driver.quit()
        except WebDriverException:
            pass
        finally:
            self.service.stop()
