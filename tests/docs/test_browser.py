"""The built site opens in a real headless browser (Debian's chromium): the home page and a
reference page have their title and navigation, show a picture, and log no console errors.
Screenshots go to build/docs-screenshots/."""

import shutil
from pathlib import Path

import pytest

from conftest import ROOT, missing

SHOTS = ROOT / "build" / "docs-screenshots"
PAGES = [("index.html", "brovaline"), ("reference/level.html", "Level")]


@pytest.fixture(scope="module")
def browser():
    webdriver = pytest.importorskip("selenium.webdriver")
    chromium, driver = shutil.which("chromium"), shutil.which("chromedriver")
    if not chromium or not driver:
        missing("chromium or chromedriver (Debian packages chromium, chromium-driver)")
    options = webdriver.ChromeOptions()
    options.binary_location = chromium
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1280,900",
                "--allow-file-access-from-files"):
        options.add_argument(arg)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    from selenium.webdriver.chrome.service import Service

    session = webdriver.Chrome(options=options, service=Service(driver))
    yield session
    session.quit()


@pytest.mark.parametrize("page, heading", PAGES)
def test_page_renders(browser, site, page, heading):
    from selenium.webdriver.common.by import By

    browser.get((site / page).as_uri())
    assert heading in browser.title
    assert browser.find_elements(By.CSS_SELECTOR, "nav.md-nav--primary a"), "no navigation"
    assert browser.find_element(By.CSS_SELECTOR, "article h1").text.strip().startswith(heading)
    loaded = browser.execute_script(
        "return Array.from(document.images).filter(i => i.complete && i.naturalWidth > 0).length")
    if page == "index.html":
        assert loaded >= 1, "no picture loaded"
    errors = [e for e in browser.get_log("browser") if e["level"] == "SEVERE"]
    assert not errors, errors
    SHOTS.mkdir(parents=True, exist_ok=True)
    assert browser.save_screenshot(str(SHOTS / (Path(page).stem + ".png")))
