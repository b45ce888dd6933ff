#!/usr/bin/python3
"""Drives examples/web/print.html in headless Chromium as a person would.

Reads a plan (JSON) on standard input:
  {"page": URL of print.html,
   "notes": [{"customer", "date", "no", "items": [{"item", "qty", "unit", "price"}]}] (optional),
   "printer": the queue to print them on, "copies": what to type as copies (optional),
   "restart_file": a file to write once paired, after which the service
     restarts and the page has to follow it back (optional),
   "bad_records": records the client should see refused (optional),
   "refused_page": URL of the page under an origin the service does not know (optional)}
and writes what the page showed (JSON) on standard output: the printers
listed, the state of its event connection (and the states it went through
while the service restarted), the job it followed, the client's error for the bad records and
the pairing message on the refused page. Exits 1 with the page's text and
console on standard error when the page does not get there in time.
"""

import json
import sys
import tempfile

from selenium import webdriver
from selenium.common.exceptions import TimeoutException
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

FINAL_STATES = ("done", "failed", "cancelled", "unknown")


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = "/usr/bin/chromium"
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
                 "--disable-background-networking", "--disable-component-update", "--disable-sync",
                 "--disable-dev-shm-usage", "--user-data-dir=" + profile):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    return webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def wait(driver, condition, seconds=60):
    return WebDriverWait(driver, seconds, poll_frequency=0.1).until(condition)


def pair(driver, page):
    """Opens the page and presses the pairing button; the message shown."""
    driver.get(page)
    driver.find_element(By.ID, "pair").click()
    # The button stays pressed until pairing has ended either way.
    wait(driver, lambda d: not d.find_element(By.ID, "printer").get_property("disabled")
         or not d.find_element(By.ID, "pair").get_property("disabled"), 150)
    return driver.find_element(By.ID, "message").text


def follow_restart(driver, restart_file):
    """Tells the test (by writing restart_file) that the service may restart;
    the states the page's event connection went through until it was back."""
    connection = driver.find_element(By.ID, "connection")
    with open(restart_file, "w"):
        pass
    states = []
    for goal in ("與本機列印服務的連線中斷", "已連線"):
        wait(driver, lambda d: connection.text.startswith(goal))
        states.append(connection.text)
    return states


def type_note(driver, note):
    form = driver.find_element(By.ID, "note")
    for name in ("customer", "date", "no"):
        form.find_element(By.NAME, name).send_keys(note[name])
    rows = driver.find_elements(By.CSS_SELECTOR, "#items tr")
    for row, item in zip(rows, note["items"]):
        for name in ("item", "qty", "unit", "price"):
            row.find_element(By.NAME, name).send_keys(item[name])
    before = len(driver.find_elements(By.CSS_SELECTOR, "#notes tr"))
    driver.find_element(By.ID, "add-note").click()
    wait(driver, lambda d: len(d.find_elements(By.CSS_SELECTOR, "#notes tr")) == before + 1, 10)


def printers(driver):
    """The printers listed, the one chosen at first, and the state of the
    event connection once it is ready (or after 30 s)."""
    select = Select(driver.find_element(By.ID, "printer"))
    try:
        if select.options:
            wait(driver, lambda d: d.find_element(By.ID, "connection").text == "已連線", 30)
    except TimeoutException:
        pass
    chosen = select.all_selected_options
    return {"printers": [option.get_attribute("value") for option in select.options],
            "default": chosen[0].get_attribute("value") if chosen else None,
            "connection": driver.find_element(By.ID, "connection").text}


def print_notes(driver, plan):
    """Types the notes, prints them on the plan's printer; the job followed."""
    Select(driver.find_element(By.ID, "printer")).select_by_value(plan["printer"])
    for note in plan["notes"]:
        type_note(driver, note)
    if "copies" in plan:
        copies = driver.find_element(By.ID, "copies")
        copies.clear()
        copies.send_keys(plan["copies"])
    driver.find_element(By.ID, "print").click()
    # The job once it has ended, or the error the page shows instead.
    job = wait(driver, lambda d: d.execute_script(
        "const li = document.querySelector('#jobs li[data-job]');"
        "const message = document.querySelector('#message.error');"
        "if (message) return {error: message.textContent};"
        "return li && arguments[0].includes(li.dataset.state)"
        " ? {id: li.dataset.job, state: li.dataset.state, text: li.textContent} : null;", list(FINAL_STATES)))
    return {"job": job,
            "waiting": len(driver.find_elements(By.CSS_SELECTOR, "#notes tr"))}


def refused_print(driver, records):
    """The client's error for records the service refuses."""
    return driver.execute_async_script(
        "const done = arguments[arguments.length - 1];"
        "import(new URL('zarvo-client.js', location.href).href).then((client) => client.print("
        "  {form: 'delivery_note', records: arguments[0]}))"
        ".then((id) => done({id}),"
        "  (e) => done({name: e.name, code: e.code, status: e.status, record: e.record,"
        "              field: e.field, message: e.message}));", records)


def visit(driver, plan):
    """Carries out the plan; what the page showed."""
    result = {"pairing": pair(driver, plan["page"])}
    result.update(printers(driver))
    if not result["printers"]:
        # Not paired: what the page said is all there is to see.
        return result
    if "restart_file" in plan:
        result["reconnected"] = follow_restart(driver, plan["restart_file"])
    if "notes" in plan:
        result.update(print_notes(driver, plan))
    if "bad_records" in plan:
        result["refused"] = refused_print(driver, plan["bad_records"])
    if "refused_page" in plan:
        result["refused_pairing"] = pair(driver, plan["refused_page"])
    return result


def main():
    plan = json.load(sys.stdin)
    with tempfile.TemporaryDirectory() as profile:
        driver = browser(profile)
        driver.set_script_timeout(60)
        try:
            result = visit(driver, plan)
        except TimeoutException:
            sys.stderr.write("the page did not get there in time; it shows:\n" +
                             driver.find_element(By.TAG_NAME, "body").text + "\nconsole:\n")
            for entry in driver.get_log("browser"):
                sys.stderr.write(entry["message"] + "\n")
            return 1
        finally:
            driver.quit()
    json.dump(result, sys.stdout, ensure_ascii=False)
    return 0


if __name__ == "__main__":
    sys.exit(main())
