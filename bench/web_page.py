#!/usr/bin/python3
"""Prints the page's speed and memory figures in Chromium, Firefox and WebKit, measured in the
page with performance.now(): opening, "Just Go!", switching the language, cropping a photo, the previews of each way to
convert a 24-megapixel photo in its slot and the longest main-thread task meanwhile, the longest
task while a 24-megapixel photo converts, the browser's memory 5 s after that conversion, and the
longest main-thread gap while typing in a field with twelve 3200 x 2400 pictures held.

Usage: bench/web_page.py [PAGE] [MAKE_SAMPLES] [ENGINE...]
       (defaults: build-web/orbskin.html, build/samples/orbskin-make-samples, all three engines)
"""
import os
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

root = Path(__file__).resolve().parent.parent
sys.path.insert(0, str(root / "tests/web"))
import browsers  # noqa: E402

page = Path(sys.argv[1] if len(sys.argv) > 1 else root / "build-web/orbskin.html").resolve()
make_samples = sys.argv[2] if len(sys.argv) > 2 else root / "build/samples/orbskin-make-samples"
work = Path(tempfile.mkdtemp())
subprocess.run([str(make_samples), str(work / "samples")], check=True)
samples = "\n".join(str(p) for p in sorted((work / "samples").glob("*.bmp")))
photos = {}
for name, size in [("mainnds.jpg", "5120x2880"), ("listnds.jpg", "6000x4000")]:
    photos[size] = work / name
    subprocess.run(["convert", "-size", size, "gradient:#E08040-#2050A0", "-attenuate", "0.2",
                    "+noise", "Gaussian", "-quality", "90", f"jpeg:{photos[size]}"], check=True)

# The same photo by another path: WebKit's file input takes a file chosen twice in a row as no change.
again = work / "again" / photos["6000x4000"].name
again.parent.mkdir()
again.write_bytes(photos["6000x4000"].read_bytes())

held = work / "held.png"
subprocess.run(["convert", "-size", "3200x2400", "gradient:#E08040-#2050A0", str(held)], check=True)
for name in ["mainnds", "listnds", "musicnds", "ebooknds", "movie", "music", "image", "game", "ebook",
             "option", "dir", "updir"]:
    (work / "held").mkdir(exist_ok=True)
    (work / "held" / f"{name}.png").write_bytes(held.read_bytes())

# The longest main-thread task: the Long Tasks API where the engine has it, else the longest
# lateness of a 10 ms timer (headless Firefox runs no animation frames to time).
WATCH = """window.longest = 0;
if (PerformanceObserver.supportedEntryTypes.includes('longtask')) {
  new PerformanceObserver((list) => list.getEntries().forEach((e) => (longest = Math.max(longest, e.duration))))
    .observe({ type: 'longtask' });
} else {
  let last = performance.now();
  setInterval(() => { const now = performance.now(); longest = Math.max(longest, now - last - 10); last = now; }, 10);
}"""


def memory(pid):
    """The resident memory, in MB, of a process and all its descendants."""
    children = {}
    for entry in Path("/proc").iterdir():
        try:
            fields = (entry / "stat").read_text().rsplit(")", 1)[1].split()
            children.setdefault(int(fields[1]), []).append(int(entry.name))
        except (ValueError, OSError):
            pass
    total, todo = 0, [pid]
    while todo:
        current = todo.pop()
        todo += children.get(current, [])
        try:
            total += int((Path(f"/proc/{current}/statm").read_text().split()[1])) * os.sysconf("SC_PAGE_SIZE")
        except OSError:
            pass
    return total / 2**20


def measure(engine):
    browser = browsers.start(engine)
    pid = browser.process.pid if engine == "firefox" else browser.driver.service.process.pid

    def timing(name, needed=True):
        for _ in range(3000):
            value = browser.js(f"return window.orbskinTimings && window.orbskinTimings.{name}")
            if value is not None:
                return value
            time.sleep(0.01)
        if needed:
            raise SystemExit(f"no timing for {name}")
        return None

    figures = {key: [] for key in ["ready", "just go", "language switch", "crop", "longest, 24 MP", "memory after",
                                   "previews", "longest, previews"]}
    for _ in range(3):
        browser.get(page.as_uri())
        figures["ready"].append(timing("ready"))
        time.sleep(1)
        started = memory(pid)
        browser.js(browsers.KEEP_DOWNLOADS)  # a real download would hold up the next opening
        browser.act(browser.find("#choose-pictures"), "send_keys", samples)
        while browser.js("return document.querySelectorAll('.verdict.good').length") < 12:
            time.sleep(0.01)
        browser.act(browser.find("#Command3"), "click")
        figures["just go"].append(timing("justGo"))
        # Everything on screen said again, twelve pictures and the run's message included.
        figures["language switch"].append(browser.js(
            "const t = performance.now(); orbskin.language.set('ja'); const spent = performance.now() - t;"
            "orbskin.language.set('en'); return spent"))
        browser.js("resize.value = '3'; resize.dispatchEvent(new Event('change')); delete orbskinTimings.import")
        browser.act(browser.find("#choose-pictures"), "send_keys", str(photos["5120x2880"]))
        figures["crop"].append(timing("import"))
        # As a script of the page's own: timers set by the driver's script may not outlive it.
        browser.js("const s = document.createElement('script'); s.textContent = arguments[0];"
                   "document.head.append(s); delete orbskinTimings.import", WATCH)
        browser.act(browser.find("#choose-pictures"), "send_keys", str(photos["6000x4000"]))
        timing("import")
        figures["longest, 24 MP"].append(browser.js("return longest"))
        time.sleep(5)
        figures["memory after"].append(memory(pid) - started)
        # Last, as the photo stays in its slot, shown as dropped, until a way is chosen.
        browser.js("resize.value = '0'; resize.dispatchEvent(new Event('change')); longest = 0; delete orbskinTimings.ways")
        browser.act(browser.find("#choose-pictures"), "send_keys", str(again))
        previews = timing("ways", needed=False)  # an engine may take longer than the wait
        if previews is not None:
            figures["previews"].append(previews)
            figures["longest, previews"].append(browser.js("return longest"))
        browser.js("return orbskin.startOver()")  # so that the next opening restores no work
    figures["longest, typing"] = [typing(browser)]
    browser.quit()
    return figures


def typing(browser):
    """The longest gap while typing 20 keys, with twelve large pictures waiting for a way."""
    browser.get(page.as_uri())
    while not browser.js("return document.body.dataset.ready"):
        time.sleep(0.05)
    browser.act(browser.find("#choose-pictures"), "send_keys", "\n".join(str(p) for p in sorted((work / "held").glob("*.png"))))
    while browser.js("return document.querySelectorAll('.slot .ways button:first-child').length") < 12:
        time.sleep(0.1)
    browser.js("return orbskin.store.saved().then(() => true)")
    browser.js("const s = document.createElement('script'); s.textContent = arguments[0];"
               "document.head.append(s)", WATCH)
    time.sleep(1)
    field = browser.find("[aria-label='Movie icon position X']")
    browser.js("longest = 0")
    for key in "12345678901234567890":
        browser.act(field, "send_keys", key)
    time.sleep(1)
    longest = browser.js("return longest")
    browser.js("return orbskin.startOver()")
    return longest


print(f"page file: {page.stat().st_size / 1024:.0f} KB")
for engine in sys.argv[3:] or ["chromium", "firefox", "webkit"]:
    for name, values in measure(engine).items():
        if not values:
            print(f"{engine:9} {name:17} not measured: it took longer than 30 s")
            continue
        unit = "MB above the page just opened" if name == "memory after" else "ms"
        print(f"{engine:9} {name:17} median {statistics.median(values):6.0f} {unit} "
              f"(runs: {', '.join(f'{v:.0f}' for v in values)})")
