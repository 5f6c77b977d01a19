#!/usr/bin/python3
"""Prints the page's speed figures, measured in headless Chromium with performance.now().

Usage: bench/web_page.py [PAGE] [MAKE_SAMPLES]   (defaults: build-web/orbskin.html, build/samples/...)
"""
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.by import By

root = Path(__file__).resolve().parent.parent
page = Path(sys.argv[1] if len(sys.argv) > 1 else root / "build-web/orbskin.html").resolve()
make_samples = sys.argv[2] if len(sys.argv) > 2 else root / "build/samples/orbskin-make-samples"
work = Path(tempfile.mkdtemp())
subprocess.run([str(make_samples), str(work / "samples")], check=True)
photo = work / "photo.jpg"
subprocess.run(["convert", "-size", "5120x2880", "gradient:#E08040-#2050A0", "-attenuate", "0.2",
                "+noise", "Gaussian", "-quality", "90", f"jpeg:{photo}"], check=True)

options = webdriver.ChromeOptions()
for argument in ["--headless=new", "--no-sandbox"]:
    options.add_argument(argument)
options.add_experimental_option("prefs", {"download.default_directory": str(work / "downloads")})
browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)


def timing(name):
    for _ in range(600):
        value = browser.execute_script(f"return window.orbskinTimings && window.orbskinTimings.{name}")
        if value is not None:
            return value
        time.sleep(0.01)
    raise SystemExit(f"no timing for {name}")


ready, just_go, crop, decode = [], [], [], []
for _ in range(5):
    browser.get(page.as_uri())
    ready.append(timing("ready"))
    browser.find_element(By.ID, "choose-pictures").send_keys(
        "\n".join(str(p) for p in sorted((work / "samples").glob("*.bmp"))))
    while browser.execute_script("return document.querySelectorAll('.verdict.good').length") < 12:
        time.sleep(0.01)
    browser.find_element(By.ID, "Command3").click()
    just_go.append(timing("justGo"))
    browser.find_element(By.CSS_SELECTOR, "#resize option[value='3']").click()
    browser.execute_script("delete window.orbskinTimings.import")
    browser.find_element(By.ID, "choose-pictures").send_keys(str(photo.rename(photo.with_name("mainnds.jpg"))))
    photo = photo.with_name("mainnds.jpg")
    crop.append(timing("import"))
    decode.append(timing("decode"))
browser.quit()

print(f"page file:                        {page.stat().st_size / 1024:.0f} KB")
for name, values in [("ready to use after opening", ready), ("Just Go! to the download", just_go),
                     ("5120×2880 JPEG cropped into a screen", crop),
                     ("  of which decoding into the core", decode)]:
    print(f"{name + ':':33} median {statistics.median(values):.0f} ms "
          f"(min {min(values):.0f}, max {max(values):.0f}, 5 runs)")
