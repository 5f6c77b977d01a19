#!/usr/bin/python3
"""The page in headless Chromium, opened from disk, against orbskin-cli on the same inputs.

Usage: page_test.py PAGE ORBSKIN_CLI MAKE_SAMPLES
"""
import base64
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import unittest
import zlib
from pathlib import Path

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

PAGE, CLI, MAKE_SAMPLES = sys.argv[1:4]
DROP = """const [target, name, data] = arguments, transfer = new DataTransfer();
    transfer.items.add(new File([Uint8Array.from(atob(data), c => c.charCodeAt(0))], name));
    (target || document.body).dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));"""


def png(width, height, damaged=False):
    """A grey PNG, or with damaged=True one whose data chunk claims a gigabyte."""
    def chunk(kind, data, length=None):
        return struct.pack(">I", len(data) if length is None else length) + kind + data + \
            struct.pack(">I", zlib.crc32(kind + data))
    pixels = zlib.compress(bytes((width + 1) * height)) if width * height < 1 << 20 else b""
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 0, 0, 0, 0)) + \
        chunk(b"IDAT", pixels, 1 << 30 if damaged else None) + chunk(b"IEND", b"")


def turned_left(jpeg):
    """The JPEG marked as stored turned left, as a camera marks it (EXIF orientation 6)."""
    exif = b"Exif\0\0MM\0\x2a\0\0\0\x08\0\x01" + struct.pack(">HHIHH", 0x112, 3, 1, 6, 0) + bytes(4)
    return jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[2:]


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp())
        cls.samples, cls.downloads = cls.work / "samples", cls.work / "downloads"
        subprocess.run([MAKE_SAMPLES, str(cls.samples)], check=True)
        options = webdriver.ChromeOptions()
        for argument in ["--headless=new", "--no-sandbox", "--window-size=1200,1800"]:
            options.add_argument(argument)
        options.add_experimental_option("prefs", {"download.default_directory": str(cls.downloads)})
        options.set_capability("goog:loggingPrefs", {"performance": "ALL", "browser": "ALL"})
        cls.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()
        shutil.rmtree(cls.work)

    def setUp(self):
        shutil.rmtree(self.downloads, ignore_errors=True)
        self.downloads.mkdir()
        self.folder = Path(tempfile.mkdtemp(dir=self.work))
        for picture in self.samples.glob("*.bmp"):
            shutil.copy(picture, self.folder)
        self.browser.get(Path(PAGE).resolve().as_uri())
        self.wait(lambda: self.browser.execute_script("return document.body.dataset.ready"))

    def wait(self, condition, what="the page"):
        for _ in range(200):
            if condition():
                return
            time.sleep(0.05)
        self.fail(f"{what} did not get there")

    def named(self, name):
        return self.browser.find_element(By.CSS_SELECTOR, f'[aria-label="{name}"]')

    def type(self, name, text):
        self.named(name).clear()
        self.named(name).send_keys(text)

    def put(self, *files, into="choose-pictures"):
        self.browser.find_element(By.ID, into).send_keys("\n".join(str(f) for f in files))

    def put_folder(self):
        files = sorted(self.folder.iterdir())
        self.put(*files)
        self.wait(lambda: self.verdicts().count("missing") == 12 - len(files), "the pictures")

    def shown(self, text):
        self.wait(lambda: self.browser.find_elements(By.XPATH, f"//*[text()='{text}']"), text)

    def verdicts(self):
        return [e.text for e in self.browser.find_elements(By.CSS_SELECTOR, ".slot .verdict")]

    def just_go(self):
        self.browser.find_element(By.ID, "Command3").click()
        return self.browser.find_element(By.ID, "message").text

    def downloaded(self):
        skin = self.downloads / "ORBSKIN.000"
        self.wait(skin.exists, "the download")
        return skin.read_bytes()

    def cli(self, *args):
        run = subprocess.run([CLI, *args], cwd=self.folder, capture_output=True, text=True)
        return run.stdout + run.stderr

    def cli_skin(self, *args):
        self.cli("pack", *args)
        return (self.folder / "ORBSKIN.000").read_bytes()

    def test_packs_the_same_bytes_as_the_command_line(self):
        self.put_folder()
        self.assertEqual(self.verdicts(), ["ok"] * 12)
        self.type("Movie icon position X", "20")
        self.type("List text color Green", "77")
        self.browser.find_element(By.ID, "Check1").click()
        self.assertEqual(self.just_go(), "Finish!")
        self.assertEqual(self.downloaded(),
                         self.cli_skin("--movie-icon", "20,42", "--list-color", "0,77,255", "--no-hint"))

    def test_shows_the_desktop_message_for_each_failed_check(self):
        cases = [  # a picture's new contents (None: gone), or a field's text and that as an option
            ("game.bmp", None, None, None, None), ("movie.bmp", b"BM" + bytes(100), None, None, None),
            (None, None, "Movie icon position X", "-1", "--movie-icon=-1,42"),
            (None, None, "Ebook text color Blue", "256", "--ebook-color=0,0,256")]
        for picture, contents, field, text, option in cases:
            with self.subTest(picture=picture, field=field):
                self.setUp()
                if picture:
                    (self.folder / picture).unlink()
                    if contents:
                        (self.folder / picture).write_bytes(contents)
                self.put_folder()
                if field:
                    self.type(field, text)
                message = self.just_go()
                self.assertTrue(message)
                self.assertIn(message, self.cli("pack", *([option] if option else [])))
                self.assertFalse((self.downloads / "ORBSKIN.000").exists())

    def test_converts_pictures_named_in_any_case_as_import_does(self):
        subprocess.run(["convert", str(self.samples / "mainnds.bmp"), "-modulate", "90,140",
                        str(self.work / "MainNDS.png")], check=True)
        subprocess.run(["convert", str(self.samples / "movie.bmp"), "-resize", "200x200!",
                        "-quality", "95", str(self.work / "Movie.JPG")], check=True)
        (self.work / "Movie.JPG").write_bytes(turned_left((self.work / "Movie.JPG").read_bytes()))
        self.put_folder()
        self.browser.find_element(By.CSS_SELECTOR, "#resize option[value='3']").click()
        self.put(self.work / "MainNDS.png", self.work / "Movie.JPG")
        self.shown("converted from Movie.JPG")
        self.shown("converted from MainNDS.png")
        self.assertEqual(self.just_go(), "Finish!")
        page = self.downloaded()
        self.cli("import", "--force", str(self.work / "MainNDS.png"), "mainnds.bmp")
        self.cli("import", "--force", "--crop", str(self.work / "Movie.JPG"), "movie.bmp")
        desktop = self.cli_skin()
        movie = slice(4 * 98304, 4 * 98304 + 8192)
        self.assertEqual(page[:movie.start], desktop[:movie.start])  # the PNG exactly
        # The JPEG decoders differ slightly: each 5-bit channel within 1 level on average.
        values = lambda skin: struct.unpack("<4096H", skin[movie])
        differences = [abs((a >> s & 31) - (b >> s & 31))
                       for a, b in zip(values(page), values(desktop)) for s in (0, 5, 10)]
        self.assertLess(sum(differences) / len(differences), 1)

    def test_takes_dropped_files_by_name_or_by_the_box_they_land_on(self):
        self.put_folder()
        contents = lambda name: base64.b64encode((self.folder / name).read_bytes()).decode()
        self.browser.execute_script(DROP, self.browser.find_element(By.ID, "slot-0"), "any name.bmp",
                                    contents("listnds.bmp"))
        self.browser.execute_script(DROP, None, "GAME.BMP", contents("music.bmp"))
        self.shown("from GAME.BMP")
        self.shown("from any name.bmp")
        self.assertEqual(self.just_go(), "Finish!")
        shutil.copy(self.folder / "listnds.bmp", self.folder / "mainnds.bmp")
        shutil.copy(self.folder / "music.bmp", self.folder / "game.bmp")
        self.assertEqual(self.downloaded(), self.cli_skin())

    def test_opens_a_skin_and_rebuilds_it_unchanged(self):
        skin = self.work / "any.skin"
        skin.write_bytes(self.cli_skin("--setup-icon", "1,2", "--selected-color", "9,8,7"))
        self.put(skin, into="open-skin")
        self.wait(lambda: self.named("Setup icon position Y").get_attribute("value") == "2")
        self.assertEqual(self.just_go(), "Finish!")
        self.assertEqual(self.downloaded(), skin.read_bytes())

    def test_moves_an_icon_by_dragging_and_by_keys(self):
        icon, sketch = self.named("Game icon"), self.browser.find_element(By.ID, "sketch")
        scale = sketch.size["width"] / 256
        ActionChains(self.browser).drag_and_drop_by_offset(icon, int(30 * scale), int(-10 * scale)).perform()
        icon.send_keys(Keys.ARROW_RIGHT)
        x, y = (self.named(f"Game icon position {c}").get_attribute("value") for c in "XY")
        self.assertEqual((int(x), int(y)), (16 + 30 + 1, 110 - 10))
        self.type("Game icon position X", "100")
        self.assertAlmostEqual(icon.location["x"] - sketch.location["x"], 100 * scale, delta=1.5)

    def test_refuses_hostile_files_in_their_slot_and_keeps_the_rest(self):
        self.put_folder()
        bomb_jpeg = b"\xff\xd8\xff\xc0\x00\x0b\x08" + struct.pack(">HH", 30000, 30000) + b"\x01\x01\x11\0\xff\xd9"
        hostile = {"game.bmp": b"not a picture at all", "movie.png": png(64, 64)[:-30],
                   "mainnds.png": png(30000, 30000), "image.jpg": bomb_jpeg,
                   "music.png": png(64, 64, damaged=True)}
        for name, data in hostile.items():
            (self.work / name).write_bytes(data)
        self.put(*(self.work / name for name in hostile))
        notes = lambda: [e.text for e in self.browser.find_elements(By.CSS_SELECTOR, ".slot .note.bad")]
        self.wait(lambda: len(notes()) == 5, "five refusals")
        self.assertEqual(sum("far too large" in note for note in notes()), 2)
        self.assertEqual(self.verdicts().count("ok"), 7)
        # Each refused file stays in its slot, as it would lie in a folder: the same message.
        for name, data in hostile.items():
            (self.folder / (name.split(".")[0] + ".bmp")).write_bytes(data)
        self.assertIn(self.just_go(), self.cli("pack"))

    def test_makes_no_network_request(self):
        self.put_folder()
        self.just_go()
        self.downloaded()
        requests = [e["message"] for e in self.browser.get_log("performance")
                    if '"Network.requestWillBeSent"' in e["message"]]
        self.assertTrue(requests)
        for request in requests:
            self.assertRegex(request, r'"url":"(file|blob|data):', request[:300])
        refused = [e for e in self.browser.get_log("browser") if "Content Security Policy" in e["message"]]
        self.assertEqual(refused, [], "the page attempted a request")


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1])
