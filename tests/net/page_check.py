#!/usr/bin/env python3
"""Drives the server's page in headless Chromium against a simulated box.

A box whose music level was set beforehand is served; the page, loaded with the token on a
phone-sized window, must show that level as text; four presses of the arrow key on the level's
slider must move it, show the new text, and make the box receive byte for byte what
`kv4420ctl set music.level=N` sends to a second box. Everything is on 127.0.0.1 and bounded
in time. Exits 77 (skipped) only when Chromium or its driver is not installed.
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

SKIP = 77
WAIT_S = 15
START_LEVEL = 20
PRESSES = 4

CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
DRIVER = shutil.which("chromedriver") or ("/usr/bin/chromedriver" if os.path.exists("/usr/bin/chromedriver") else None)
if not CHROMIUM or not DRIVER:
    print("SKIPPED: the page test needs Debian's chromium and chromium-driver (scripts/deps.sh installs them)")
    sys.exit(SKIP)

from selenium import webdriver  # noqa: E402  (only once Chromium is known to be there)
from selenium.webdriver.chrome.service import Service  # noqa: E402
from selenium.webdriver.common.by import By  # noqa: E402
from selenium.webdriver.common.keys import Keys  # noqa: E402
from selenium.webdriver.support.ui import WebDriverWait  # noqa: E402

CTL, SIM = sys.argv[1], sys.argv[2]


def start_sim(folder):
    sock, log, err = (os.path.join(folder, n) for n in ("box.sock", "box.log", "box.err"))
    p = subprocess.Popen([SIM, "--listen", sock, "--log", log], stdin=subprocess.DEVNULL,
                         stdout=subprocess.DEVNULL, stderr=open(err, "w"))
    deadline = time.time() + WAIT_S
    while time.time() < deadline:
        if "serving on" in open(err).read():
            return p, "unix:" + sock, log
        time.sleep(0.02)
    p.kill()
    sys.exit("kv4420-sim did not start")


def changes(log, since=0):
    """The parameter writes the box received, as hex, after the first `since` lines."""
    out = []
    with open(log) as f:
        for line in f.readlines()[since:]:
            j = json.loads(line)
            if j.get("dir") == "in" and j["hex"][3:5] == "09":
                out.append(j["hex"].rstrip("0 "))
    return out


def lines(log):
    with open(log) as f:
        return len(f.readlines())


def ctl(uri, *args, env):
    r = subprocess.run([CTL, "--device", uri, *args], env=env, capture_output=True, text=True, timeout=WAIT_S)
    if r.returncode != 0:
        sys.exit("kv4420ctl %s failed: %s" % (" ".join(args), r.stderr))


def main():
    home = tempfile.mkdtemp(prefix="kv4420-page-")
    env = dict(os.environ, XDG_CONFIG_HOME=os.path.join(home, "config"), XDG_RUNTIME_DIR=os.path.join(home, "run"),
               KV4420_SYNC_WAIT_MS="0")
    procs, driver = [], None
    try:
        os.mkdir(os.path.join(home, "run"), 0o700)
        os.mkdir(os.path.join(home, "a"))
        os.mkdir(os.path.join(home, "b"))
        served, served_uri, served_log = start_sim(os.path.join(home, "a"))
        direct, direct_uri, direct_log = start_sim(os.path.join(home, "b"))
        procs += [served, direct]
        ctl(served_uri, "--direct", "set", "music.level=%d" % START_LEVEL, env=env)

        serve = subprocess.Popen([CTL, "serve", "--listen", "127.0.0.1:0", "--device", served_uri], env=env,
                                 stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                                 text=True)
        procs.append(serve)
        said, m = "", None
        while not m:  # notes may come first; the line with the address is the last it says
            line = serve.stdout.readline()
            if not line:
                sys.exit("kv4420ctl serve said: " + said)
            said += line
            m = re.search(r"(http://127\.0\.0\.1:\d+/\?token=[0-9a-f]+)", line)
        url = m.group(1)

        options = webdriver.ChromeOptions()
        options.binary_location = CHROMIUM
        for a in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage", "--no-proxy-server",
                  "--window-size=360,740", "--user-data-dir=" + os.path.join(home, "chromium")):
            options.add_argument(a)
        driver = webdriver.Chrome(service=Service(DRIVER), options=options)
        driver.set_page_load_timeout(WAIT_S)
        driver.get(url)
        wait = WebDriverWait(driver, WAIT_S)
        text = lambda: driver.find_element(By.ID, "text-music.level").text  # noqa: E731
        wait.until(lambda d: d.find_elements(By.ID, "text-music.level") and text() == str(START_LEVEL))
        wait.until(lambda d: d.find_element(By.ID, "state").get_attribute("class") == "on")

        before = lines(served_log)
        slider = driver.find_element(By.ID, "input-music.level")
        for _ in range(PRESSES):
            slider.send_keys(Keys.ARROW_RIGHT)
        target = START_LEVEL + PRESSES
        wait.until(lambda d: text() == str(target))

        ctl(direct_uri, "--direct", "set", "music.level=%d" % target, env=env)
        expected = changes(direct_log)[-1:]
        deadline = time.time() + WAIT_S
        while time.time() < deadline and changes(served_log, before)[-1:] != expected:
            time.sleep(0.05)
        got = changes(served_log, before)
        if got[-1:] != expected:
            sys.exit("the box received %s, expected it to end with %s" % (got, expected))
        if len(got) < PRESSES:
            sys.exit("one write per step expected, the box received %s" % got)
        print("ok: the page showed %d, moved to %d, the box received %s" % (START_LEVEL, target, expected[0]))
    finally:
        if driver:
            driver.quit()
        for p in procs:
            p.terminate()
        for p in procs:
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        shutil.rmtree(home, ignore_errors=True)


main()
