"""Drives the automation probe through WebKitWebDriver: the session finds the program's own
page under the browser name "zyntra-terminal", reads it, and a click on a command link reaches the
page host's navigation handler, which cancels it."""
import pathlib
import sys
import time

from selenium.webdriver.common.by import By

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parents[2] / "support"))
from webkit_session import Session  # noqa: E402


def main(probe):
    session = Session(probe)
    driver = session.driver
    try:
        assert driver.capabilities.get("browserName") == "zyntra-terminal", driver.capabilities
        out = driver.find_element(By.ID, "out")
        assert out.text == "bereit \u00e4", out.text
        driver.find_element(By.ID, "command").click()
        deadline = time.monotonic() + 10
        while driver.find_element(By.ID, "out").text != "Befehl vyx:port?nr=3":
            assert time.monotonic() < deadline, driver.find_element(By.ID, "out").text
            time.sleep(0.1)
        assert driver.current_url.startswith("about:blank"), driver.current_url
    finally:
        session.quit()
    print("automation ok")


if __name__ == "__main__":
    main(sys.argv[1])
