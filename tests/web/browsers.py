# The three engines the page is tested in, behind one small interface: open a page, run a
# script (a returned promise is awaited), find an element, act on it (click it, type into it,
# clear it).
#
# Chromium and WebKitGTK are driven by Selenium; Firefox, for which Debian has no WebDriver
# server, over its own Marionette protocol.
import json
import shutil
import socket
import subprocess
import tempfile
import time
from pathlib import Path

ELEMENT = "element-6066-11e4-a52e-4f735466cecf"
# Every download is kept in the page rather than saved, the same way in every engine.
KEEP_DOWNLOADS = """window.kept = []; const blobs = new Map(), made = URL.createObjectURL;
    URL.createObjectURL = (blob) => { const url = made.call(URL, blob); blobs.set(url, blob); return url; };
    HTMLAnchorElement.prototype.click = function () { kept.push(blobs.get(this.href)); };"""


class Selenium:
    def __init__(self, engine):
        from selenium import webdriver
        from selenium.webdriver.common.by import By
        if engine == "chromium":
            from selenium.webdriver.chrome.service import Service
            options = webdriver.ChromeOptions()
            for argument in ["--headless=new", "--no-sandbox", "--window-size=1200,1800"]:
                options.add_argument(argument)
            options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
            self.driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        else:
            options = webdriver.WebKitGTKOptions()
            options.binary_location = "/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser"
            options.add_argument("--automation")
            self.driver = webdriver.WebKitGTK(executable_path="/usr/bin/WebKitWebDriver", options=options)
            self.driver.set_window_size(1200, 1800)
        self.get, self.js, self.quit = self.driver.get, self.driver.execute_script, self.driver.quit
        self.find = lambda css: self.driver.find_element(By.CSS_SELECTOR, css)

    def act(self, element, action, *text):  # action: click, send_keys or clear
        getattr(element, action)(*text)


class Marionette:  # Firefox's own remote protocol: length-prefixed JSON over TCP, [0, id, command, params]
    def __init__(self):
        self.profile = tempfile.mkdtemp()
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            port = probe.getsockname()[1]
        Path(self.profile, "user.js").write_text(f'user_pref("marionette.port", {port});\n'
                                                 'user_pref("browser.shell.checkDefaultBrowser", false);\n')
        self.process = subprocess.Popen(
            ["firefox-esr", "--marionette", "--headless", "--no-remote", "-profile", self.profile,
             "--width", "1200", "--height", "1800"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        for _ in range(300):
            try:
                self.stream = socket.create_connection(("127.0.0.1", port)).makefile("rwb")
                break
            except OSError:
                time.sleep(0.1)
        else:
            raise RuntimeError("Firefox did not open its Marionette port")
        self.next_id = 0
        self.receive()  # the server's greeting
        self.command("WebDriver:NewSession", {"capabilities": {"alwaysMatch": {"acceptInsecureCerts": True}}})

    def receive(self):
        return json.loads(self.stream.read(int(b"".join(iter(lambda: self.stream.read(1), b":")))))

    def command(self, name, params=None):
        self.next_id += 1
        data = json.dumps([0, self.next_id, name, params or {}]).encode()
        self.stream.write(str(len(data)).encode() + b":" + data)
        self.stream.flush()
        while True:
            kind, number, error, result = self.receive()
            if kind == 1 and number == self.next_id:
                break
        if error:
            raise RuntimeError(f"{name}: {error.get('error')}: {error.get('message')}")
        return result

    def get(self, url):
        self.command("WebDriver:Navigate", {"url": url})

    def js(self, script, *args):
        return self.command("WebDriver:ExecuteScript", {"script": script, "args": list(args)})["value"]

    def find(self, css):
        return self.command("WebDriver:FindElement", {"using": "css selector", "value": css})["value"]

    def act(self, element, action, *text):  # action: click, send_keys or clear
        name = {"click": "Click", "send_keys": "SendKeys", "clear": "Clear"}[action]
        self.command(f"WebDriver:Element{name}", {"id": element[ELEMENT], **({"text": text[0]} if text else {})})

    def quit(self):
        try:
            self.command("Marionette:Quit", {"flags": ["eForceQuit"]})
        except (RuntimeError, OSError):
            pass
        self.process.wait(timeout=30)
        shutil.rmtree(self.profile, ignore_errors=True)


def start(engine):
    return Marionette() if engine == "firefox" else Selenium(engine)
