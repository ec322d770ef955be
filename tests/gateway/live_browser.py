#!/usr/bin/python3
"""The gateway's live view in a headless Chromium, as an operator sees it; run by tst_http_peers with
the page's URL. "ASK <what>" on stdout asks the test to act, "OK" on stdin says it has. Exit 77: no Chromium."""
import shutil, sys, tempfile, time

try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    assert shutil.which("/usr/bin/chromium") and shutil.which("/usr/bin/chromedriver")
except (ImportError, AssertionError):
    sys.exit(77)


def ask(what):
    print("ASK " + what, flush=True)
    assert sys.stdin.readline().strip() == "OK", "the test did not " + what


def until(what, check):  # 120 s: a limit only, CI shares two cores and runs sanitizers
    start = time.monotonic()
    while time.monotonic() - start < 120:
        try:
            if check():
                return print("%s: %.2f s" % (what, time.monotonic() - start), file=sys.stderr)
        except Exception:  # an element replaced under us
            pass
        time.sleep(0.1)
    raise AssertionError("gave up waiting for " + what)


def run(b):
    find = lambda css: b.find_elements(By.CSS_SELECTOR, css)
    stale = lambda: [s.is_displayed() for s in find("caption .stale")]
    notice = lambda: b.find_element(By.ID, "notice")

    def cell(channel, column):  # 1 PV, 2 SV, 3 unit, 4 MV, ..., 7 marks
        row = [r for r in find("#blocks tbody tr") if r.find_element(By.TAG_NAME, "th").text == channel]
        return row[0].find_elements(By.TAG_NAME, "td")[column - 1].text if row else None

    b.get(sys.argv[1])
    until("a table of each block", lambda: [t.text.split()[0] for t in find("caption")] == ["Block01", "Block02", "Block03"])
    until("Ch003's PV, Ch021's with its decimal", lambda: (cell("Ch003", 1), cell("Ch021", 1)) == ("345", "10.0"))
    # What a screen reader needs; at a phone's width only the tables' own boxes scroll sideways.
    assert all(h.get_attribute("scope") in ("col", "row") for h in find("th")), "a header without scope"
    assert len(find("tbody th[scope=row]")) == 60 and len(find("caption")) == 3
    assert b.find_element(By.ID, "alarms").get_attribute("aria-live") == "polite"
    assert b.execute_script("return document.documentElement.scrollWidth <= window.innerWidth")
    assert not any(stale()) and not notice().is_displayed()

    ask("raise alarm 1 of Ch005")
    until("alarm 1 of Ch005", lambda: "Alarm 1" in cell("Ch005", 7) and "Ch005" in b.find_element(By.ID, "alarms").text)
    ask("silence the line")
    until("stale beside every block", lambda: stale() == [True] * 3)
    until("the notice", lambda: notice().text == "Communication error")
    assert all("is-stale" in t.get_attribute("class") for t in find("table")), "stale values not greyed"
    ask("bring the line back with Ch003 one degree up")
    until("the values again", lambda: stale() == [False] * 3 and cell("Ch003", 1) == "346" and not notice().is_displayed())
    b.execute_script("document.querySelectorAll('table').forEach((t) => { t.dataset.before = 1; })")
    ask("restart the gateway")
    until("the page back by itself", lambda: stale() == [False] * 3 and not find("table[data-before]")
          and cell("Ch003", 1) == "346" and "Alarm 1" in cell("Ch005", 7))
    # The stream's breaks while the gateway restarted are no fault of the page; a refused style or script is.
    errors = [e for e in b.get_log("browser") if e["level"] == "SEVERE" and "/events" not in e["message"]
              and "favicon" not in e["message"]]
    assert not errors, "the page's console: %s" % errors


profile = tempfile.mkdtemp(prefix="plm870-chromium-")
options = webdriver.ChromeOptions()
options.binary_location = "/usr/bin/chromium"
for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-first-run",
          "--user-data-dir=" + profile, "--window-size=390,844", "--proxy-server=direct://"):
    options.add_argument(a)
browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
try:
    run(browser)
except AssertionError as e:
    sys.exit("FAILED: %s" % e)
finally:
    browser.quit()
    shutil.rmtree(profile, ignore_errors=True)
