#!/usr/bin/python3
"""The gateway's live view in a real headless Chromium, as an operator sees it.

Run by tst_live_browser, which owns the simulator and the gateway: a line "ASK <what>" on
stdout asks it to act (raise an alarm, silence the line, restart the gateway), "OK" on stdin
says it has. Exits 0 when every check held, 1 with the reason otherwise, 77 when Chromium or
Selenium is missing.
Arguments: the page's URL, then the PV of Ch001 and of Ch021 as the page must show them.
"""
import os
import shutil
import sys
import tempfile
import time

CHROMIUM, DRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
except ImportError:
    print("python3-selenium is not installed", file=sys.stderr)
    sys.exit(77)
if not (os.access(CHROMIUM, os.X_OK) and os.access(DRIVER, os.X_OK)):
    print("chromium or chromium-driver is not installed", file=sys.stderr)
    sys.exit(77)

URL, PV1, PV21 = sys.argv[1], sys.argv[2], sys.argv[3]
GIVE_UP_S = 120  # a limit only: CI shares two cores, and runs this under sanitizers too


class Failed(Exception):
    pass


def ask(what):
    print("ASK " + what, flush=True)
    if sys.stdin.readline().strip() != "OK":
        raise Failed("the test did not " + what)


def until(what, check):
    """Waits for check() to be true; returns the seconds it took."""
    start = time.monotonic()
    last = None
    while time.monotonic() - start < GIVE_UP_S:
        try:
            if check():
                return time.monotonic() - start
        except Exception as e:  # the page is being rebuilt under us
            last = e
        time.sleep(0.1)
    raise Failed("gave up waiting: %s (%s)" % (what, last))


def run(browser):
    browser.get(URL)
    tables = lambda: browser.find_elements(By.CSS_SELECTOR, "#blocks table")
    js = browser.execute_script
    until("a table for each of the three blocks", lambda: len(tables()) == 3)
    names = [t.find_element(By.CSS_SELECTOR, "caption .name").text for t in tables()]
    if names != ["Block01", "Block02", "Block03"]:
        raise Failed("the tables are of %s" % names)

    # What a screen reader needs: captions, column and row headers, a live region for alarms.
    for t in tables():
        if not t.find_element(By.TAG_NAME, "caption").text.strip():
            raise Failed("a table without a caption")
        cols = t.find_elements(By.CSS_SELECTOR, "thead th[scope=col]")
        if len(cols) != len(t.find_elements(By.CSS_SELECTOR, "thead th")) or not cols:
            raise Failed("a column header without scope=col")
        rows = t.find_elements(By.CSS_SELECTOR, "tbody tr")
        if not rows or any(len(r.find_elements(By.CSS_SELECTOR, "th[scope=row]")) != 1 for r in rows):
            raise Failed("a row without its channel as row header")
    if browser.find_element(By.ID, "alarms").get_attribute("aria-live") not in ("polite", "assertive"):
        raise Failed("the alarm list is no live region")
    if js("return document.documentElement.scrollWidth > window.innerWidth + 1"):
        raise Failed("the page scrolls sideways at a phone's width")

    def cell(channel, column):  # column: 1 PV, 2 SV, ..., 7 marks
        for row in browser.find_elements(By.CSS_SELECTOR, "#blocks tbody tr"):
            if row.find_element(By.TAG_NAME, "th").text == channel:
                return row.find_elements(By.TAG_NAME, "td")[column - 1].text
        return None

    def stale_shown():
        return [s.is_displayed() for s in browser.find_elements(By.CSS_SELECTOR, "caption .stale")]

    until("Ch001's PV " + PV1, lambda: cell("Ch001", 1) == PV1)
    until("Ch021's PV " + PV21 + " with its decimal", lambda: cell("Ch021", 1) == PV21)
    if any(stale_shown()) or browser.find_element(By.ID, "notice").is_displayed():
        raise Failed("stale or a notice while the line answers")

    ask("raise alarm 1 of Ch005")
    took = until("alarm 1 of Ch005 in the table and the history",
                 lambda: "Alarm 1" in cell("Ch005", 7)
                 and "Ch005" in browser.find_element(By.ID, "alarms").text)
    print("alarm seen %.2f s after it was raised" % took, file=sys.stderr)

    ask("silence the line")
    took = until("stale beside every block", lambda: stale_shown() == [True] * 3)
    print("stale seen %.2f s after the line died" % took, file=sys.stderr)
    until("the notice", lambda: browser.find_element(By.ID, "notice").text == "Communication error")
    if any("is-stale" not in t.get_attribute("class") for t in tables()):
        raise Failed("stale values are not greyed")

    ask("bring the line back with Ch001 one degree up")
    back = str(int(PV1) + 1)
    until("the values again", lambda: stale_shown() == [False] * 3 and cell("Ch001", 1) == back
          and not any("is-stale" in t.get_attribute("class") for t in tables()))
    until("no notice", lambda: not browser.find_element(By.ID, "notice").is_displayed())

    # The tables of this stream; a stream opened again brings new ones with the whole state.
    js("document.querySelectorAll('#blocks table').forEach((t) => { t.dataset.before = '1'; })")
    ask("restart the gateway")
    until("the page back by itself", lambda: len(tables()) == 3 and stale_shown() == [False] * 3
          and not browser.find_elements(By.CSS_SELECTOR, "table[data-before]")
          and cell("Ch001", 1) == back and "Alarm 1" in cell("Ch005", 7))


def main():
    profile = tempfile.mkdtemp(prefix="plm870-chromium-")
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
              "--user-data-dir=" + profile, "--window-size=390,844", "--no-first-run",
              "--proxy-server=direct://", "--proxy-bypass-list=*"):
        options.add_argument(a)
    browser = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        browser.set_page_load_timeout(GIVE_UP_S)
        run(browser)
        # The stream's breaks while the gateway restarted are no fault of the page.
        errors = [e for e in browser.get_log("browser") if e["level"] == "SEVERE"
                  and "/events" not in e["message"] and "favicon" not in e["message"]]
        if errors:
            raise Failed("the page's console: %s" % errors)
    except Failed as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1
    finally:
        browser.quit()
        shutil.rmtree(profile, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
