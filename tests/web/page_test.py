#!/usr/bin/python3
# The page, opened from disk in one engine (chromium, firefox or webkit), against orbskin-cli on the
# same inputs. What engines differ in (decoding pictures, file input, storage, downloads, layout)
# is tested in each; the page's own logic, alike in every engine, in Chromium alone.
#   page_test.py ENGINE PAGE ORBSKIN_CLI MAKE_SAMPLES [Page.test_name...]
import base64, os, random, re, shlex, shutil, struct, subprocess, sys, tempfile, time, unittest, zlib
from pathlib import Path

import browsers

ENGINE, PAGE, CLI, MAKE_SAMPLES = sys.argv[1:5]
one_engine = unittest.skipUnless(ENGINE == "chromium", "alike in every engine: tested in Chromium")
READ_DOWNLOAD = """return kept.length !== 1 ? null : new Promise((done) => { const reader = new FileReader();
    reader.onload = () => done(reader.result.split(',')[1]); reader.readAsDataURL(kept[0]); });"""
# The red, green and blue of each pixel an image shows, row by row from the top.
SHOWN = """const image = document.querySelector(arguments[0]), canvas = document.createElement('canvas');
    [canvas.width, canvas.height] = [image.naturalWidth, image.naturalHeight];
    const context = canvas.getContext('2d'); context.drawImage(image, 0, 0);
    return Array.from(context.getImageData(0, 0, canvas.width, canvas.height).data.filter((_, i) => i % 4 < 3));"""
DROP = """const [target, ...files] = arguments, transfer = new DataTransfer();  // files: name, data, name, data…
    for (let i = 0; i < files.length; i += 2) transfer.items.add(new File([Uint8Array.from(atob(files[i + 1]), c => c.charCodeAt(0))], files[i]));
    (target || document.body).dispatchEvent(new DragEvent('drop', {dataTransfer: transfer, bubbles: true}));"""
# The text, or the attribute arguments[1], of each element that arguments[0] selects.
TEXT = "return [...document.querySelectorAll(arguments[0])].map((e) => arguments[1] ? e.getAttribute(arguments[1]) : e.textContent)"
# Counts in `said` each time the kept work's message becomes another one than it was, empty aside;
# as a script of the page's own, which an observer set by the driver's script may not outlive.
COUNT_SAID = """const s = document.createElement('script'); s.textContent = `
    const element = document.getElementById('kept-message'); let last = element.textContent; window.said = 0;
    new MutationObserver(() => { if (element.textContent && element.textContent !== last) said += 1; last = element.textContent; })
      .observe(element, { childList: true, characterData: true, subtree: true });`; document.head.append(s);"""
# Every text on screen or said to a screen reader, each node on its own: what is shown, the names of things.
ON_SCREEN = """const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT), texts = [];
    for (let node = walker.nextNode(); node; node = walker.nextNode())
      if (node.parentElement.getClientRects().length && node.parentElement.tagName !== 'SCRIPT') texts.push(node.textContent);
    return [...texts, ...[...document.querySelectorAll('[aria-label], [alt], [title], option')].map((e) =>
      [e.getAttribute('aria-label'), e.alt, e.title, e.tagName === 'OPTION' ? e.textContent : ''].join(' '))].join(' ')"""
# What stays as it is in every language: pack's own messages, file names, options and commands.
KEPT_AS_IT_IS = [r"\S+ not found!", r"\S+ file length is wrong! It mast a \S+ 24bit color BMP format file",
                 r"Finish!", r"orbskin-cli(\s+(pack|preview))?", r"\bunpack\b", r"[\w-]+\.\w+", r"--[\w-]+(=\S*)?", r"\bPNG\b"]
HEADINGS = {"en": "1. Pictures", "fr": "1. Images", "es": "1. Imágenes", "pt_BR": "1. Imagens",
            "zh_CN": "1. 图片", "zh_TW": "1. 圖片", "ja": "1. 画像"}
MOVIE = slice(4 * 98304, 4 * 98304 + 8192)  # the movie icon's section
PICTURES = ["mainnds.bmp", "listnds.bmp", "musicnds.bmp", "ebooknds.bmp", "movie.bmp", "music.bmp",
            "image.bmp", "game.bmp", "ebook.bmp", "option.bmp", "dir.bmp", "updir.bmp"]
BACK = 'What was set here last time is back. "Start over" clears it.'
# Every picture file, as the page reads it, left unreadable: changed or gone since it was chosen. The
# page reads a file the moment it is chosen, too soon for anyone to change it in between.
UNREADABLE = "const why = arguments[0]; Blob.prototype.arrayBuffer = () => Promise.reject(new DOMException('gone', why))"
# A browser that decodes no JPEG (some decode none of arithmetic coding): in the workers, which the core's script starts.
NO_JPEG = """HTMLImageElement.prototype.decode = () => Promise.reject(new Error()); const core = document.getElementById('core');
    core.textContent = 'self.createImageBitmap = () => Promise.reject(new Error()); self.ImageDecoder = undefined;\\n' + core.textContent;"""
# IndexedDB's writes of the keys starting with arguments[0] (all: null) refused: thrown at once as
# arguments[1] (a full quota), or abandoned once taken (a full disk, a refused blob).
REFUSE = """const put = IDBObjectStore.prototype.put, [only, thrown] = arguments;
    IDBObjectStore.prototype.put = function (value, key) {
      if (only && !key.startsWith(only)) return put.call(this, value, key);
      if (thrown) throw new DOMException('full', thrown);
      const request = put.call(this, value, key); this.transaction.abort(); return request; };"""

# IndexedDB's writes held for as long as the page stays open: the transaction kept busy, never done.
HOLD = """IDBObjectStore.prototype.put = function () {
      const store = this, busy = () => (store.count().onsuccess = busy); busy(); return {}; };"""


def chunk(kind, data, length=None):
    return struct.pack(">I", len(data) if length is None else length) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


# A grey PNG, or of random colours, with the chunks `colour` before its data; its data chunk claiming
# a gigabyte, followed by `after`, or `data`.
def png(width, height, damaged=False, noise=False, after=b"", data=None, colour=b""):
    channels, row = (3, random.Random(7).randbytes) if noise else (1, bytes)
    if data is None:
        data = zlib.compress(b"".join(b"\0" + row(width * channels) for _ in range(height))
                             if width * height < 1 << 23 else b"", 1)
    header = struct.pack(">IIBBBBB", width, height, 8, 2 if noise else 0, 0, 0, 0)
    return b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + colour + \
        chunk(b"IDAT", data + after, 1 << 30 if damaged else None) + chunk(b"IEND", b"")


# A zlib stream of fixed codes that inflates to a gigabyte of zeros from 7 MB: one 16 MB block, flushed
# to whole bytes, sent 64 times (its checksum, never reached, is of two).
def zeros_bomb():
    squeeze = zlib.compressobj(9, strategy=zlib.Z_FIXED)
    first, block = (squeeze.compress(bytes(1 << 24)) + squeeze.flush(zlib.Z_FULL_FLUSH) for _ in range(2))
    return first + block * 63 + squeeze.flush()


# The JPEG marked as stored turned left, as a camera marks it (EXIF orientation 6).
def turned_left(path):
    jpeg = path.read_bytes()
    exif = b"Exif\0\0MM\0\x2a\0\0\0\x08\0\x01" + struct.pack(">HHIHH", 0x112, 3, 1, 6, 0) + bytes(4)
    path.write_bytes(jpeg[:2] + b"\xff\xe1" + struct.pack(">H", len(exif) + 2) + exif + jpeg[2:])


def convert(*args):
    return subprocess.run(["convert", *map(str, args)], capture_output=True, check=True).stdout


class Page(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.work = Path(tempfile.mkdtemp())
        cls.samples = cls.work / "samples"
        subprocess.run([MAKE_SAMPLES, str(cls.samples)], check=True)
        cls.browser = browsers.start(ENGINE)
        cls.addClassCleanup(shutil.rmtree, cls.work)
        cls.addClassCleanup(cls.browser.quit)

    def setUp(self):
        self.folder = Path(shutil.copytree(self.samples, tempfile.mkdtemp(dir=self.work), dirs_exist_ok=True))
        # The page before finishes its writes (or 5 s pass), lest they land in this test's storage.
        self.js("return !window.orbskin || Promise.race([orbskin.store.saved(),"
                " new Promise((done) => setTimeout(done, 5000))]).then(() => true)")
        self.reload()
        if self.js("return document.getElementById('language-menu').value") != "en":
            self.choose(language_menu="en")  # each test in English
        self.click("#start-over")  # from an empty page

    def reload(self):
        self.browser.get(Path(PAGE).resolve().as_uri())
        self.wait("document.body.dataset.ready")
        self.js(browsers.KEEP_DOWNLOADS)
        return self.text("kept-message")

    def js(self, script, *args):
        return self.browser.js(script, *args)

    def wait(self, condition, what="the page", seconds=15):  # a function, or a script's expression
        check = condition if callable(condition) else lambda: self.js("return " + condition)
        if not any(check() or time.sleep(0.05) for _ in range(int(seconds / 0.05))):
            self.fail(f"{what} did not get there")

    def click(self, css):
        self.browser.act(self.browser.find(css), "click")

    def named(self, name):
        return self.browser.find(f'[aria-label="{name}"]')

    def type(self, name, text):  # into the field of that name, or that element
        element = self.named(name) if isinstance(name, str) else name
        self.browser.act(element, "clear")
        self.browser.act(element, "send_keys", text)

    def value(self, name):
        return self.js("return arguments[0].value", self.named(name))

    def text(self, element_id):
        return self.js("return document.getElementById(arguments[0]).textContent", element_id)

    def texts(self, css, attribute=None):
        return self.js(TEXT, css, attribute)

    def choose(self, **controls):  # menus, boxes or colours set as one who uses the page sets them
        for control, value in controls.items():
            self.js("const e = document.getElementById(arguments[0]); e[e.type === 'checkbox' ? 'checked' : 'value'] ="
                    " arguments[1]; e.dispatchEvent(new Event('change'))", control.replace("_", "-"), value)

    def file(self, name, data):  # a file of the test's own, to choose
        (self.work / name).write_bytes(data)
        return self.work / name

    def put(self, *files, into="#choose-pictures"):  # into the page's chooser, or the box of that picture
        into = into if into.startswith("#") else f"[aria-label='Choose {into}']"
        self.browser.act(self.browser.find(into), "send_keys", "\n".join(str(f) for f in files))

    def put_folder(self, *more):
        files = sorted(self.folder.glob("*.bmp"))
        self.put(*files, *more)
        self.wait(lambda: self.verdicts().count("missing") == 12 - len(files) and not self.js(
            "return document.querySelector('.slot[aria-busy=true]')"), "the pictures")

    def busy(self, slot):
        return self.js("return document.getElementById(arguments[0]).getAttribute('aria-busy')", f"slot-{slot}")

    def shown(self, text, where=".note, .message"):
        self.wait(lambda: any(text in t for t in self.texts(where)), text)

    def kept_said(self, text=None, what="the word"):
        if text:
            self.wait(lambda: text in self.text("kept-message"), what)
        return self.text("kept-message")

    def verdicts(self):
        return self.texts(".slot .verdict")

    def just_go(self, wait=True):
        self.click("#Command3")
        if wait:
            self.wait("Command3.getAttribute('aria-busy') === null", "the run", 60)
        return self.text("message")

    def built(self, expected):  # Just Go! finishes and downloads what `expected()` (the desktop, asked then) makes
        self.assertEqual(self.just_go(), "Finish!")
        self.assertEqual(self.downloaded(), expected())

    def refused(self, *options):  # Just Go! refused as pack refuses it: nothing downloaded, the focus on what it names
        message = self.just_go()
        self.assertIn(message or "nothing", self.cli("pack", *options))
        return message, self.js("const e = document.activeElement; return [kept.length, e.id.startsWith('slot-') ? e.id :"
                                " e.getAttribute('aria-label'), e.getAttribute('aria-invalid') === 'true' ||"
                                " e.classList.contains('invalid')]")

    def downloaded(self):
        self.wait("kept.length", "the download", 60)
        return base64.b64decode(self.js(READ_DOWNLOAD))

    def cli(self, *args, cwd=None):
        run = subprocess.run([CLI, *args], cwd=cwd or self.folder, capture_output=True, text=True)
        return run.stdout + run.stderr

    def cli_skin(self, *args):
        self.cli("pack", *args)
        return (self.folder / "ORBSKIN.000").read_bytes()

    def imported(self, picture, slot, *how):
        self.cli("import", "--force", *how, str(picture), slot)
        return self.cli_skin()

    def asked_to_open(self, skin, answer=None):
        self.put(skin, into="#open-skin")
        self.wait("replace.open", "the question")
        if answer:
            self.click(f"#replace [value={answer}]")

    def paste(self, line):
        self.type(self.browser.find("#paste-line"), line)
        self.click("#use-line")

    # Nothing on screen says that a write has landed, and a reload before it meets another case
    # (what did not come back); nor can a user end the pause after typing but by leaving the page.
    def saved(self, flush=False):
        self.js(("orbskin.store.flush();" if flush else "") + "return orbskin.store.saved().then(() => true)")

    # What engines differ in: decoding, file input and drops, downloads, storage, layout.

    def test_converts_large_deep_and_hostile_pngs_tiffs_and_webps_exactly_as_import_does(self):
        # One over 16 MB and one of 2000 × 1500 grow the core's memory; PNGs of 16 bits a channel
        # (RGB, RGBA, grey, interlaced) are reduced to the nearest 8-bit levels, as on the desktop;
        # gamma changes no pixel, and alpha is not premultiplied: our own reader, never the browser's.
        # A small file that inflates to a gigabyte stops at its picture (inflating it all takes seconds).
        # TIFFs too: Deflate strips inflated by the browser, LZW ones by the core alone. Half-transparent
        # WebPs, lossless, lossy and of a photo's size, as stored: not as a canvas keeps them, colour multiplied.
        # A JPEG's numbers as stored, whatever profile it carries.
        gradient = ["-size", "300x220", "gradient:#123456-#fedcba", "-depth", "16"]
        icc = "/usr/share/color/icc/ghostscript/rommrgb.icc"  # a profile the engines apply (libgs-common)
        half = ["-alpha", "set", "-channel", "A", "-evaluate", "set", "60%"]
        for name, data, *more in [
                ("mainnds.png", png(2400, 2400, noise=True)), ("listnds.png", png(2000, 1500)),
                ("mainnds.png", png(300, 220, noise=True, after=b"JUNKJUNK")),
                ("mainnds.png", gradient + ["PNG48:-"]), ("listnds.png", gradient + half + ["PNG64:-"]),
                ("mainnds.png", gradient + ["-colorspace", "gray", "PNG:-"]),
                ("mainnds.png", gradient + ["-interlace", "PNG", "PNG48:-"]),
                ("listnds.png", gradient + ["-depth", "8", "-gamma", "0.6", "-set", "gamma", "0.8", "PNG24:-"]),
                ("mainnds.png", gradient + ["-depth", "8"] + half + ["PNG32:-"]),
                ("movie.png", png(64, 64, data=zeros_bomb()), 300),
                ("mainnds.png", gradient + half + ["PNG64:-"], None, ["--dither", "--background", "red"]),
                ("mainnds.tif", gradient + ["-compress", "Zip", "-define", "tiff:predictor=2", "TIFF:-"]),
                ("listnds.tif", gradient + half + ["-compress", "LZW", "TIFF:-"]),
                ("mainnds.webp", gradient + ["-depth", "8"] + half + ["-define", "webp:lossless=true", "WEBP:-"]),
                ("listnds.webp", gradient + ["-depth", "8"] + half + ["-quality", "70", "WEBP:-"]),
                ("musicnds.webp", ["-size", "4000x3000", "gradient:#123456-#fedcba"] + half + ["-define", "webp:lossless=true", "WEBP:-"]),
                ("ebooknds.jpg", gradient + ["-depth", "8", "-profile", icc, "JPEG:-"])]:
            most, how = (*more, *(None, [])[len(more):])
            with self.subTest(name=name, made=data[-1:], how=how):
                self.setUp()
                self.put_folder()
                self.choose(resize="3")  # crop
                self.put(self.file(name, data if isinstance(data, bytes) else convert(*data)))
                self.shown(f"converted from {name}")
                if how:  # dither and background, chosen once it is converted, convert it again
                    self.choose(dither=True, background="#ff0000")
                    self.shown("dithered, over #ff0000")
                if most:  # nothing on screen says how long decoding took; inflating it all is only slower
                    self.assertLess(self.js("return orbskin.page.timings.decode"), most)
                self.built(lambda: self.imported(self.work / name, name.split(".")[0] + ".bmp", "--crop", *how))
        if ENGINE == "webkit":  # its page reads such pixels through WebGL: where it has none, it says so
            self.js("const get = HTMLCanvasElement.prototype.getContext; HTMLCanvasElement.prototype.getContext ="
                    " function (kind) { return kind === 'webgl' ? null : get.apply(this, arguments); }")
            self.put(self.file("mainnds.webp", convert(*gradient, *half, "WEBP:-")))
            self.shown("cannot give its partly transparent pixels exactly; save it as PNG", "#slot-0 .note")

    def test_offers_the_ways_to_convert_another_size_and_a_reload_brings_them_back(self):
        convert(self.samples / "mainnds.bmp", "-resize", "300x300!", self.work / "mainnds.png")
        convert(self.samples / "listnds.bmp", "-background", "red", "-gravity", "center", "-extent", "259x195",
                self.work / "listnds.png")
        # A large photo, whose previews come from the browser's reduction of it; and as a large JPEG
        # stored on its side, which a decoder may reduce as it decodes.
        convert("-size", "2400x1600", "gradient:#E08040-#2050A0", "-fill", "white", "-draw", "rectangle 700,500 1100,900",
                self.work / "musicnds.png")
        convert(self.work / "musicnds.png", "-rotate", "90", "-quality", "95", self.work / "ebooknds.jpg")
        turned_left(self.work / "ebooknds.jpg")
        convert(self.samples / "movie.bmp", "-resize", "62x62!", self.work / "movie.png")
        self.put_folder()
        self.put(*(self.work / name for name in ["mainnds.png", "listnds.png", "musicnds.png", "ebooknds.jpg", "movie.png"]))
        ways = lambda n: self.texts(f"#slot-{n} .ways button", "aria-label")
        self.wait(lambda: all(ways(n) for n in range(4)), "the ways")
        three = lambda name: [f"{way} {name}" for way in ("Crop", "Fit", "Stretch")]
        self.assertEqual([ways(0), ways(1)[0], ways(2)], [three("mainnds.bmp"), "Trim listnds.bmp", three("musicnds.bmp")])
        self.wait("[...document.querySelectorAll('.ways img')].every((image) => image.complete && image.naturalWidth)",
                  "the previews")
        # Each way shows its result: for a small picture exactly what import makes, for a large
        # one within a few levels.
        for n, way, picture, most in [(0, "--fit", "mainnds.png", 0), (2, "--crop", "musicnds.png", 1),
                                      (3, "--crop", "ebooknds.jpg", 3)]:
            self.cli("import", "--force", way, str(self.work / picture), f"{picture[:-4]}.bmp")
            made = (self.folder / f"{picture[:-4]}.bmp").read_bytes()[54:]  # rows from the bottom, as blue, green, red
            expected = [made[y * 768 + x + 2 - c] for y in reversed(range(192)) for x in range(0, 768, 3) for c in range(3)]
            shown = self.js(SHOWN, f"#slot-{n} .ways button[aria-label^='{way[2:].title()}'] img")
            self.assertEqual(len(shown), len(expected))
            self.assertLessEqual(sum(abs(a - b) for a, b in zip(shown, expected)) / len(expected), most)
        self.put(self.folder / "ebooknds.bmp")  # the JPEG's decoders differ by a level or two
        # Cut short by a reload: the photo comes back as itself, not yet converted, and is converted
        # again. Its conversion is held, so that the reload meets it kept as converting on any machine:
        # a fast one ends it before any reload a user can make.
        self.js("orbskin.conversions.start = () => ({ result: new Promise(() => {}), cancel() {}, running: () => true })")
        self.click("#slot-2 .ways button[aria-label='Crop musicnds.bmp']")
        self.wait(lambda: self.busy(2) == "true", "the conversion")
        self.saved()
        self.type("Movie icon position X", "20")  # typed as the page closes, before it is written
        self.assertEqual([self.reload(), self.value("Movie icon position X"), len(ways(0))], [BACK, "20", 3])
        self.shown("choose how to convert it here", "#slot-0 .note.message.bad")
        self.assertNotIn("from musicnds.bmp", self.texts("#slot-2 .note")[0])  # never the picture before
        self.shown("converted from musicnds.png: Crop")
        for n, way, name in [(0, "Fit", "mainnds"), (1, "Trim", "listnds"), (4, "Pad", "movie")]:
            self.click(f"#slot-{n} .ways button[aria-label='{way} {name}.bmp']")
            self.cli("import", "--force", f"--{way.lower()}", "--background", "#ff8000", str(self.work / f"{name}.png"), f"{name}.bmp")
        self.wait(lambda: self.verdicts()[:5] == ["ok"] * 5, "the conversions")
        self.choose(background="#ff8000")  # around a fitted or padded picture: converted again
        self.shown("converted from movie.png: Pad, over #ff8000")
        self.built(lambda: self.cli_skin("--movie-icon", "20,42"))

    def test_converts_dropped_pictures_by_name_in_any_case_or_by_box(self):
        convert(self.samples / "mainnds.bmp", "-modulate", "90,140", self.work / "MainNDS.png")
        # Large enough that WebKit's page hands it to the worker in more than one band.
        convert(self.samples / "movie.bmp", "-resize", "2400x1400!", "-quality", "95", self.work / "Movie.JPG")
        turned_left(self.work / "Movie.JPG")
        self.put_folder()
        self.choose(resize="3")  # crop
        # Dropped: one anywhere, named in any case; one on the box it is for, by any name.
        dropped = lambda name: base64.b64encode((self.work / name).read_bytes()).decode()
        self.js(DROP, None, "MainNDS.png", dropped("MainNDS.png"))
        self.js(DROP, self.browser.find("#slot-4"), "z.png", dropped("MainNDS.png"), "any name.JPG", dropped("Movie.JPG"))
        self.shown("converted from any name.JPG")  # the first by name, the other named
        self.shown("For the same box as any name.JPG, so left out: z.png")
        self.shown("converted from MainNDS.png")
        # Two for one box: the one of its own name, never whichever converts last.
        self.put(self.file("LISTNDS.png", (self.work / "MainNDS.png").read_bytes()), self.samples / "listnds.bmp")
        self.shown("For the same box as listnds.bmp, so left out: LISTNDS.png")
        self.assertEqual(self.just_go(), "Finish!")
        page = self.downloaded()
        self.imported(self.work / "MainNDS.png", "mainnds.bmp")
        self.assertEqual(page, self.imported(self.work / "Movie.JPG", "movie.bmp", "--crop"))

    def test_refuses_hostile_files_in_their_slot_keeping_nothing_of_the_picture_before(self):
        self.put_folder()
        jpeg = convert("-size", "64x64", "plasma:", "jpg:-")
        hostile = {"game.bmp": b"not a picture at all", "movie.png": png(64, 64)[:-30],
                   "mainnds.png": png(30000, 30000), "music.png": png(64, 64, data=b"\x78\x01\xff\xff"),
                   "image.jpg": b"\xff\xd8\xff\xc0\x00\x0b\x08" + struct.pack(">HH", 30000, 30000) + b"\x01\x01\x11\0\xff\xd9",
                   "listnds.tga": bytes([0, 0, 11]) + bytes(9) + struct.pack("<HHBB", 8193, 8192, 8, 0) + bytes(64),
                   # A WebP of nothing; no image data; a header both short and too wide; a JPEG cut short; a GIF of nothing.
                   "musicnds.webp": b"RIFF" + struct.pack("<I", 56) + b"WEBPVP8 " + bytes(48), "ebooknds.png": png(64, 64, data=b""),
                   "option.png": png(64, 64)[:8] + chunk(b"IHDR", struct.pack(">IIBBBB", 0xD9000000, 200, 8, 0, 0, 0)),
                   "ebook.jpg": jpeg[:len(jpeg) // 2], "dir.gif": b"GIF89a" + bytes(40)}
        os.truncate(self.file("updir.png", b""), 300 << 20)  # over the limit, and never read
        self.put(*(self.file(name, data) for name, data in hostile.items()), self.work / "updir.png")
        notes = lambda: self.texts(".slot .note.bad")
        self.wait(lambda: len(notes()) == 12, "twelve refusals")
        self.assertEqual([sum("far too large" in note for note in notes()), self.verdicts().count("ok")], [3, 0])
        # What the browser's decoder said is its own, in its own words: it is not shown.
        self.assertTrue(self.texts("#slot-2 .note")[0].endswith("of a kind this browser cannot decode"))
        for slot, name in [(7, "game.bmp"), (1, "listnds.tga"), (3, "ebooknds.png"), (9, "option.png"),
                           (8, "ebook.jpg")]:  # the desktop's words, in its order, our decoders' too
            said = self.cli("import", "--force", str(self.work / name), PICTURES[slot])
            self.assertIn(self.texts(f"#slot-{slot} .note")[0].split(" as a picture: ")[1], said)
        self.shown('cannot read "dir.gif"', "#slot-10 .note")
        self.shown("damaged PNG file: its image data does not inflate", "#slot-5 .note")
        self.shown('"updir.png" is 300 MB, too large', "#slot-11 .note")
        # Nothing shown of the picture each replaced.
        self.assertEqual(self.texts(".slot .thumb img", "src"), [None] * 12)
        # Each refused file stays in its slot, as it would lie in a folder: the same message, that
        # slot pointed at, nothing downloaded.
        for name in [*hostile, "updir.png"]:
            shutil.copy(self.work / name, self.folder / (name.split(".")[0] + ".bmp"))
        message, focus = self.refused()
        self.assertEqual(["file length is wrong" in message, focus],
                         [True, [0, f"slot-{PICTURES.index(message.split()[0])}", True]])
        self.saved()  # the large file kept as its length and head, which is all a reload needs to refuse it
        self.reload()
        self.shown("too large", "#slot-11 .note")
        # A file that cannot be read once chosen (it changed or went away), in our words.
        self.js(UNREADABLE, "NotReadableError")
        self.put(self.work / "music.png", into="music.bmp")
        self.shown("the browser could not read the file; choose it again", "#slot-5 .note")

    def test_opens_a_skin_only_as_a_skin_and_asks_first(self):
        self.cli("pack")  # among pictures: not opened, nor taken for one
        self.put_folder(self.folder / "ORBSKIN.000")
        self.shown('ORBSKIN.000 not opened with the pictures; to open a skin, use "Open a skin"')
        self.assertEqual(self.verdicts(), ["ok"] * 12)
        noise = self.file("noise.000", random.Random(3).randbytes(443904))  # over work: asked first
        self.type("Game icon position X", "99")
        self.asked_to_open(noise)
        self.browser.act(self.browser.find("#replace [value=keep]"), "send_keys", "\ue007")  # Enter
        self.shown("noise.000 was not opened; everything is as it was.")
        self.assertEqual(self.value("Game icon position X"), "99")
        self.asked_to_open(noise, "replace")
        self.shown("Opened noise.000.")
        self.assertIn("settings bytes are not 0", self.text("drop-message"))
        # A skin opens over the one before, and rebuilds unchanged.
        skin = self.file("any.skin", self.cli_skin("--setup-icon", "1,2", "--selected-color", "9,8,7"))
        self.asked_to_open(skin, "replace")
        self.wait(lambda: self.value("Setup icon position Y") == "2")
        self.assertIn("--selected-color=9,8,7 ", self.text("opened-line"))
        # Each option whole on its line, however narrow the screen.
        self.assertEqual(self.js("const all = [...document.querySelectorAll('#opened-line .whole')];"
                                 "document.getElementById('opened-line').style.width = '12em';"
                                 "return [all.length, all.filter((e) => e.getClientRects().length > 1).length]"), [12, 0])
        self.js("Command3.click(); Command3.click()")  # two quick presses: one download, and another when asked
        self.wait(lambda: self.text("message") == "Finish!", "the run")
        self.assertEqual(self.downloaded(), skin.read_bytes())
        self.click("#download-again")
        self.wait("kept.length === 2", "the second download")
        self.assertEqual([self.text("built-file"), self.js("return kept.map((blob) => blob.size)")],
                         ["ORBSKIN.000, 443,904 bytes", [443904, 443904]])
        self.choose(language_menu="es")  # the core writes the number, as Spanish groups it, as orbskin-cli does
        self.assertEqual(self.text("built-file"), "ORBSKIN.000, 443\u202f904 bytes")
        self.choose(language_menu="en")
        self.js(UNREADABLE, "NotFoundError")  # one that went away since it was chosen, in our words
        self.put(skin, into="#open-skin")
        self.shown("The browser could not read any.skin; choose it again.")

    def test_every_button_gets_the_click_at_its_centre_and_draws_the_preview_in_skin_colours(self):
        # A plain main screen of (200, 40, 8): in the skin's five bits, drawn as (206, 41, 8).
        (self.folder / "mainnds.bmp").write_bytes((self.folder / "mainnds.bmp").read_bytes()[:54] + bytes((8, 40, 200)) * 256 * 192)
        self.put_folder()
        missed = self.js("""return [...document.querySelectorAll('button, .button')].filter((e) => e.getClientRects().length)
            .filter((e) => { e.scrollIntoView({block: 'center'}); const box = e.getBoundingClientRect();
              const hit = document.elementFromPoint(box.x + box.width / 2, box.y + box.height / 2);
              return !(hit === e || (e.contains(hit) && hit.type !== 'file')); })
            .map((e) => e.getAttribute('aria-label') || e.textContent)""")
        self.assertEqual(missed, [])
        self.click("#draw-preview")
        self.wait("!document.getElementById('preview').hidden", "the preview")
        count = self.js("""const sheet = document.getElementById('preview');
            const c = sheet.getContext('2d').getImageData(0, 0, sheet.width, sheet.height).data; let n = 0;
            for (let i = 0; i < c.length; i += 4) n += c[i] === 206 && c[i + 1] === 41 && c[i + 2] === 8; return n""")
        self.assertGreaterEqual(count, 256 * 192)
        self.js("orbskin.language.set('qps')")  # its words said again in the page's language
        self.wait(lambda: "⟦" in self.text("preview"), "the preview said again")
        self.assertEqual(re.findall(r"\b(at|the|icons|Photos|Show|hint)\b", self.text("preview")), [])
        self.js("orbskin.language.set('en')")
        self.click("[aria-label='Remove mainnds.bmp']")  # where a hidden input once took it
        self.assertEqual(self.verdicts()[0], "missing")

    def test_keeps_the_work_across_a_reload_until_start_over_and_leaves_another_tabs_to_it(self):
        self.put_folder()
        # "Start over" while a save is on its way: what comes after is still this tab's to keep
        # (at once after it: no two actions of a user's are that close).
        self.js("orbskin.store.slotChanged(0); Promise.resolve().then(orbskin.startOver)")
        self.saved()
        self.put_folder()
        self.type("Movie icon position X", "20")
        self.click("#Check1")
        self.saved()  # the pictures; the settings, not yet written, the page leaves as it closes
        work = lambda: [self.verdicts(), self.value("Movie icon position X"), self.js("return Check1.checked")]
        self.assertEqual([self.reload(), *work()], [BACK, ["ok"] * 12, "20", False])
        self.saved()
        # Another tab of the page keeps its own fields: its mark in the list, its Movie icon X.
        self.js("""return new Promise((done) => { const open = indexedDB.open('orbskin', 2);
            open.onsuccess = () => { const t = open.result.transaction('work', 'readwrite'), s = t.objectStore('work');
              s.get('settings').onsuccess = ({ target: { result: kept } }) => {
                kept.mark = 'another tab:1'; kept.settings.fields[9] = '99'; s.put(kept, 'settings');
                s.get('manifest').onsuccess = (m) => s.put({ ...m.target.result, settings: 'another tab:1' }, 'manifest'); };
              t.oncomplete = () => { open.result.close(); done(true); }; }; })""")
        self.type("Movie icon position Y", "30")
        self.kept_said("Another tab with this page changed the settings")
        self.assertEqual([self.reload(), *work(), self.value("Movie icon position Y")], [BACK, ["ok"] * 12, "99", False, "42"])
        # "Start over" behind a save that takes longer than the page stays open: nothing comes back.
        # No file a user chooses is read that slowly.
        self.js("Blob.prototype.arrayBuffer = () => new Promise(() => {})")
        self.put(self.folder / "mainnds.bmp")
        self.click("#start-over")
        self.assertEqual(self.kept_said(), "")  # nor "is back"
        self.assertEqual([self.reload(), *work()], ["", ["missing"] * 12, "16", True])
        # As a page from before this one left it to do, under a key of its own.
        self.put_folder()
        self.saved()
        self.js("localStorage.setItem('orbskin-starting-over', 'true')")
        self.assertEqual([self.reload(), *work()], ["", ["missing"] * 12, "16", True])
        # A clearing the browser refuses is said as such, not as a write refused.
        self.put_folder()
        self.saved()
        self.js("IDBObjectStore.prototype.clear = function () { throw new DOMException('no', 'UnknownError'); }")
        self.click("#start-over")
        self.kept_said("The browser did not let the page clear what it keeps", "the failed clearing")
        self.assertNotIn("nothing is kept", self.text("drop-message"))

    def test_a_save_that_fails_is_said_once_and_a_reload_says_what_is_missing(self):
        # What is refused, how, what is said then and after a reload, how many pictures come back and the
        # field. Settings, refused once the pictures are kept, are back all the same: the page leaves
        # them elsewhere as it closes.
        unwritten, full = "(it could not write to its storage)", "(its storage for this page is full)"
        everything, only = "What is set here is not kept: the browser refused to store it ", "The browser refused to store this "
        for refused, thrown, why, after_reload, back in [
                (None, None, everything + unwritten, "mainnds.bmp, listnds.bmp, musicnds.bmp, ebooknds.bmp", 0),
                ("slot-", "QuotaExceededError", everything + full, "mainnds.bmp, listnds.bmp", 0),
                ("slot-3", "InvalidStateError", "Not kept: ebooknds.bmp. " + only + unwritten + "; the rest is kept",
                 "ebooknds.bmp was not", 11),  # the one refused, and only that
                ("settings", None, "Not kept: the settings. " + only + unwritten, BACK, 12)]:
            with self.subTest(refused=refused):
                self.setUp()
                if refused == "settings":
                    self.put_folder()
                    self.saved()
                self.js(REFUSE, refused, thrown)
                self.js(COUNT_SAID)
                self.type("Movie icon position X", "20") if refused == "settings" else self.put_folder()
                self.assertIn(why, self.kept_said("kept", "the failure"))
                self.saved(flush=True)  # refused again: said once all the same
                self.assertEqual([self.js("return said"), self.just_go()], [1, "Finish!"])  # the page goes on
                self.saved()  # the other pictures' writes, which a reload would cut short
                said = self.reload()
                self.assertEqual(said.startswith("What was set here last time is back"), refused == "settings")
                self.assertIn(after_reload, said)
                self.assertEqual([self.verdicts().count("missing"), self.value("Movie icon position X")],
                                 [12 - back, "20" if refused == "settings" else "16"])

    def test_a_reload_before_anything_is_written_keeps_the_typing_and_says_the_page_closed_first(self):
        self.js(HOLD)
        self.type("Movie icon position X", "20")
        time.sleep(0.6)  # the typing taken to be written, the write not done
        self.reload()
        self.assertEqual(self.value("Movie icon position X"), "20")
        self.js(HOLD)
        self.put_folder()
        self.wait(lambda: self.verdicts().count("ok") == 12, "twelve pictures")
        said = self.reload()
        self.assertIn("the page closed before it kept mainnds.bmp, listnds.bmp", said)
        self.assertNotIn("browser", said)
        # With nothing set, the empty boxes that reload kept are no work that is back; and with
        # "Start over" still clearing storage as the page closes, what was chosen since is named.
        self.js(HOLD.replace(".put", ".clear"))
        self.click("#start-over")
        self.js(HOLD)
        self.put_folder()
        self.wait(lambda: self.verdicts().count("ok") == 12, "twelve pictures")
        self.assertIn("the page closed before it kept", self.reload())
        self.js("return orbskin.store.saved().then(() => true)")
        self.assertIn("the page closed before it kept", self.reload())  # said again until the page is used
        self.click("h1")
        self.saved()
        self.assertEqual(self.reload(), "")
        # What came back older likewise.
        self.put_folder()
        self.wait(lambda: self.verdicts().count("ok") == 12, "twelve pictures")
        self.saved()
        self.js(HOLD)
        self.put(self.file("dir.bmp", (self.folder / "updir.bmp").read_bytes()))
        self.shown("from dir.bmp")
        for _ in range(2):
            self.assertIn("dir.bmp came back as it was before its last change", self.reload())
            self.saved()

    def test_a_refusal_is_said_anew_and_after_what_did_not_come_back(self):
        # More refused later is said anew, naming all that is not kept now.
        self.js(REFUSE, "slot-3", None)
        self.put_folder()
        self.kept_said("Not kept: ebooknds.bmp. ", "the first refusal")
        self.click("#start-over")  # the same refusal after it is said again
        self.saved()
        self.put_folder()
        self.kept_said("Not kept: ebooknds.bmp. ", "the refusal after Start over")
        self.wait(lambda: self.verdicts().count("ok") == 12, "the other pictures")
        self.saved()
        self.js(REFUSE, None, None)
        self.type("Movie icon position X", "20")
        self.kept_said("Not kept: ebooknds.bmp, the settings. ", "the second refusal")
        # A picture still being written as the page closes (its file read slowly) is named as not kept.
        self.setUp()
        self.js("const read = Blob.prototype.arrayBuffer; Blob.prototype.arrayBuffer = function () {"
                "  return this.name === 'ebooknds.bmp' ? new Promise(() => {}) : read.call(this); };")
        self.put(*sorted(self.folder.glob("*.bmp")))
        self.wait(lambda: self.verdicts().count("ok") == 11, "the other pictures")
        self.reload()
        said = self.kept_said("ebooknds.bmp", "what did not come back")
        missing = [name for name, verdict in zip(PICTURES, self.verdicts()) if verdict == "missing"]
        self.assertIn("ebooknds.bmp", missing)
        self.assertEqual([name for name in missing if name not in said], [])  # each one named
        self.js(REFUSE, "settings", None)  # a refusal then is said after what did not come back
        self.type("Movie icon position X", "20")
        self.assertTrue(self.kept_said("Not kept: the settings. ", "the refusal after a reload").startswith(said))
        # A file gone since it was chosen is named as not kept, not taken for storage refusing.
        self.setUp()
        self.js(UNREADABLE, "NotFoundError")
        (self.work / "mainnds.png").write_bytes(png(64, 64))
        self.put(self.work / "mainnds.png")
        self.kept_said("mainnds.bmp is not kept: the browser could not read its file again", "the file not kept")
        self.wait(lambda: self.busy(0) == "false")  # its later writes, which fail too, done before storage is read
        self.saved()
        # Kept work that cannot be read back is said to be so, not taken for a write that failed: read
        # again in place, as a reload would undo what refuses the read before the page reads.
        self.js("IDBObjectStore.prototype.get = function () { throw new DOMException('lost', 'UnknownError'); };"
                "return orbskin.store.restore().then(() => true)")
        self.assertIn("could not be brought back: it could not read its storage", self.kept_said())

    @unittest.skipUnless(ENGINE == "chromium", "Chromium's logs")
    def test_makes_no_network_request_and_keeps_the_console_clean(self):
        self.put_folder()
        self.put(self.file("noise.png", random.Random(5).randbytes(5000)), into="game.bmp")
        self.shown('cannot read "noise.png" as a picture: it is not a picture this program knows')
        self.just_go()
        log = self.browser.driver.get_log
        requests = [e["message"] for e in log("performance") if '"Network.requestWillBeSent"' in e["message"]]
        self.assertTrue(requests)
        self.assertEqual([r[:300] for r in requests if not re.search(r'"url":"(file|blob|data):', r)], [])
        console = log("browser")
        self.assertEqual([e for e in console if "Content Security Policy" in e["message"]], [], "the page attempted a request")
        self.assertEqual([e for e in console if e["level"] == "SEVERE"], [], "errors in the console")

    # The page's own logic, alike in every engine.

    @one_engine
    def test_shows_the_desktop_message_for_each_failed_check_and_points_at_it(self):
        # A picture gone, or a field's text and that as an option (a picture of a wrong length: with the hostile files);
        # an arithmetic JPEG that the browser cannot decode, said to be good, and a TIFF whose size lies at its end.
        arithmetic = subprocess.run(["cjpeg", "-arithmetic"], input=convert("-size", "64x48", "plasma:", "ppm:-"), capture_output=True)
        for what, typed, option, put, said in [("game.bmp", None, [], None, ""),
                ("Movie icon position X", "-1", ["--movie-icon=-1,42"], None, ""), ("Ebook text color Blue", "256", ["--ebook-color=0,0,256"], None, ""),
                ("image.bmp", None, [], (arithmetic.stdout, NO_JPEG), "cannot decode, though the file is good"),
                ("mainnds.bmp", None, [], (convert("-size", "6000x4000", "gradient:#123456-#fedcba", "-depth", "8", "-compress", "LZW", "TIFF:-"), ""),
                 "file of 6000×4000")]:
            with self.subTest(what=what):
                self.setUp()
                # A file put under the picture's name, as in a folder.
                self.js(put[1]) or (self.folder / what).write_bytes(put[0]) if put else (self.folder / what).unlink() if not option else None
                self.put_folder()
                self.type(what, typed) if option else None
                self.assertEqual(self.refused(*option)[1], [0, what if option else f"slot-{PICTURES.index(what)}", True])
                self.assertIn(said, self.text("meaning") + self.verdicts()[PICTURES.index(what) if put else 0])
                # The preview, not drawn, says pack's message and what it means each on its own.
                said = self.click("#draw-preview") or [self.text("message"), self.text("meaning")]
                self.wait(lambda: [self.text("preview-message"), self.text("preview-meaning")] == said, "the preview's message")

    @one_engine
    def test_shows_a_picture_kept_as_it_is_as_the_skin_will(self):
        # A top-down icon, rows of rising red: pack takes its rows bottom-up whatever its header says.
        head = bytearray((self.folder / "movie.bmp").read_bytes()[:54])
        head[22:26] = (-64).to_bytes(4, "little", signed=True)
        (self.folder / "movie.bmp").write_bytes(bytes(head) + b"".join(bytes([0, 0, 4 * r]) * 64 for r in range(64)))
        self.put_folder()
        self.wait("document.querySelector('#slot-4 .thumb img').naturalWidth", "the icon")
        shown = self.js(SHOWN, "#slot-4 .thumb img")
        self.assertEqual([shown[0], shown[-3]], [4 * 63, 0])
        self.click("[aria-label='Convert movie.bmp']")  # then as import takes it: upright
        self.shown("converted from movie.bmp")
        self.built(lambda: self.imported(self.folder / "movie.bmp", "movie.bmp"))
        self.type("Movie icon position X", "20")  # and the outcome goes with what it was built from
        self.assertEqual([self.text("message"), self.js("return built.hidden")], ["", True])

    @one_engine
    def test_says_everything_in_the_chosen_language_and_keeps_it(self):
        self.type("Movie icon position X", "20")  # kept in the browser's language, which is not kept
        for browser_language, heading in [("fr-FR,fr", HEADINGS["fr"]), ("en-US,en", HEADINGS["en"])]:
            self.browser.driver.execute_cdp_cmd("Emulation.setUserAgentOverride", {
                "userAgent": self.js("return navigator.userAgent"), "acceptLanguage": browser_language})
            self.reload()
            self.assertEqual([self.text("pictures-heading"), self.value("Movie icon position X")], [heading, "20"])
        (self.folder / "game.bmp").unlink()
        (self.folder / "movie.bmp").unlink()  # refused in its box, which offers ways to convert it
        self.put_folder()
        self.put(self.file("movie.png", convert("-size", "70x60", "xc:#336699", "png:-")))
        self.wait("document.querySelector('#slot-4 .ways button')", "the ways")
        self.js("orbskin.language.set('qps')")  # the pseudo language leaves no word of ours in English
        self.type("Movie icon position X", "20")
        self.just_go()
        self.paste("orbskin-cli pack --bogus")
        self.asked_to_open(self.file("ORBSKIN.000", random.Random(3).randbytes(443904)))
        # The window's captions, and each language's own name.
        kept = [t.strip(" :") for t in self.texts("h1, #Form1 legend, #Form1 label, #Command3, #language-menu option")]
        text = re.sub(r"⟦[^⟧]*⟧", " ", self.js(ON_SCREEN))
        for pattern in [rf"(?<!\w){re.escape(k)}(?!\w)" for k in sorted(filter(None, kept), key=len, reverse=True)] + \
                KEPT_AS_IT_IS:
            text = re.sub(pattern, " ", text)
        self.assertEqual(re.findall(r"[A-Za-z]{2,}", text), [])
        self.click("#replace [value=keep]")
        packs, said = self.just_go(), set()
        for code, heading in HEADINGS.items():  # all said again as it was, nothing read or converted again
            self.choose(language_menu=code)
            self.assertEqual([self.text("pictures-heading"), self.text("message"), self.value("Movie icon position X"),
                              len(self.texts(".slot .verdict.good"))], [heading, packs, "20", 10], code)
            said.add((self.text("meaning"), self.texts("#slot-4 .note")[0], self.texts("#slot-4 .ways button")[0]))
        self.assertEqual(len({s for each in said for s in each if s}), 3 * len(HEADINGS))  # each in its language
        self.click("#start-templates")
        self.cli("new", str(self.work / "new"))
        for name in ["game.bmp", "movie.bmp"]:
            shutil.copy(self.work / "new" / name, self.folder)
        self.put(self.folder / "movie.bmp")
        self.built(lambda: self.cli_skin("--movie-icon", "20,42"))  # the skin's bytes whatever the language
        self.reload()
        self.assertEqual([self.js("return document.getElementById('language-menu').value"),
                          self.text("pictures-heading")], ["ja", HEADINGS["ja"]])

    @one_engine
    def test_the_pack_line_gives_the_skin_and_a_pasted_line_sets_the_fields(self):
        self.put_folder()
        self.type("Movie icon position X", "20")
        self.type("List text color Green", "77")
        self.click("#Check1")
        self.assertEqual(self.text("pack-line"), "orbskin-cli pack --list-color=0,77,255 --movie-icon=20,42 --no-hint")
        self.built(lambda: self.cli_skin(*shlex.split(self.text("pack-line"))[2:]))
        self.type("List text color Red", "1`id`")  # pack's word for it, never a line that runs it
        self.assertEqual(self.text("pack-line"), 'List text color, Red: "1`id`" is not a number from 0 to 255')
        self.choose(language_menu="fr")  # and said again in another language
        said = self.text("pack-line")
        self.assertEqual(["1`id`" in said, "is not a number" in said], [True, False], said)
        self.choose(language_menu="en")
        self.type("List text color Red", "0")
        printed = self.cli("unpack", str(self.folder / "ORBSKIN.000"), cwd=tempfile.mkdtemp(dir=self.work)).strip()
        unchanged = lambda: [self.value("Setup icon position Y"), self.value("Music icon position X")]
        for pasted, fields in [  # a pasted line, and the fields it gives (None: refused as pack refuses it)
                ("orbskin-cli pack --no-hint=true --setup-icon 7,8", {"Setup icon position Y": "8", "List text color Green": "0"}),
                (printed, {"Movie icon position X": "20", "List text color Green": "77", "Setup icon position Y": "110"}),
                ("  ", {"Movie icon position X": "20"}),  # nothing pasted: nothing set
                ("orbskin-cli pack --movie-icon=-1,42", None), ("--music-icon=1", None), ("--music-icon 5,6 '", None),
                ("--hint=off --hint", None), ("--list-color= 1,0,0", None)]:
            before = unchanged()
            self.paste(pasted)
            said = self.text("line-message")
            if fields:
                self.assertEqual([{name: self.value(name) for name in fields}, self.js("return Check1.checked")],
                                 [fields, False], pasted)
                continue
            self.assertEqual([bool(said), unchanged()], [True, before], pasted)
            if "'" not in pasted:
                self.assertIn(said, self.cli("pack", *shlex.split(pasted.replace("orbskin-cli pack", ""))))
        self.js("kept.length = 0")
        self.built((self.folder / "ORBSKIN.000").read_bytes)  # unpack's line rebuilds the skin it came from

    @one_engine
    def test_fields_tab_in_reading_order_follow_the_picker_with_the_desktop_warning_and_keys_move_an_icon(self):
        # A dark listnds.bmp, as BMP rows of blue, green, red.
        (self.folder / "listnds.bmp").write_bytes((self.folder / "listnds.bmp").read_bytes()[:54] + bytes((96, 48, 40)) * 256 * 192)
        self.put_folder()
        picker = self.named("List text color picker")
        for colour in [(0, 0, 128), (255, 255, 160)]:  # unreadable, then readable
            self.js("arguments[0].value = arguments[1]; arguments[0].dispatchEvent(new Event('input', {bubbles: true}))",
                    picker, "#%02x%02x%02x" % colour)
            self.assertEqual([self.value(f"List text color {c}") for c in ("Red", "Green", "Blue")], [str(c) for c in colour])
            warned = self.texts("fieldset[data-group='0'] .contrast-warning")[0]
            said = self.cli("check", "--list-color", ",".join(map(str, colour)))
            self.assertTrue(warned and warned in said if colour[0] == 0 else not warned, [warned, said])
            # The sketch's sample list in the list's colour.
            self.assertEqual(self.js("return document.querySelector('#sketch-list span').style.color"), "rgb(%d, %d, %d)" % colour)
        for typed in ["0", "300"]:  # and the fields move the picker; no number: where it starts, as after a reload
            self.type("List text color Green", typed)
            self.assertEqual(self.js("return arguments[0].value", picker), "#ff00a0")
        order = self.js("""return [...document.querySelectorAll('#Form1 input, #Form1 button')]
            .filter((e) => e.tabIndex >= 0).map((e) => e.id || e.getAttribute('aria-label'))""")
        fields = [f"Text{n}" for n in range(1, 26)]
        for at, colour in [(9, "Ebook"), (6, "Selected"), (3, "List")]:
            fields.insert(at, f"{colour} text color picker")
        self.assertEqual(order, fields + ["Check1", "Command3"])
        icon, sketch = self.named("Game icon"), self.browser.find("#sketch")
        where = lambda: self.js("const [i, s] = [arguments[0].getBoundingClientRect(), arguments[1].getBoundingClientRect()];"
                                "return Math.round((i.x - s.x) * 256 / s.width)", icon, sketch)
        self.browser.act(icon, "send_keys", "\ue014")  # the right arrow key
        self.assertEqual(self.value("Game icon position X"), "17")
        for typed, at in [("0100", 100), ("\u00a030", 16)]:  # no number: where it starts
            self.type("Game icon position X", typed)
            self.assertEqual(where(), at, typed)

    @one_engine
    def test_the_last_choice_wins_and_just_go_waits_for_it(self):
        photo = self.file("mainnds.png", png(1200, 1200, noise=True))
        self.put_folder()
        self.choose(resize="3")  # crop
        # A slow conversion, then the right picture at once: the slow one must not land after it.
        self.put(photo, into="mainnds.bmp")
        self.put(self.folder / "listnds.bmp", into="mainnds.bmp")
        time.sleep(2)
        shutil.copy(self.folder / "listnds.bmp", self.folder / "mainnds.bmp")
        self.built(self.cli_skin)
        # "Just Go!" during a conversion, of a photo slow enough to convert on any machine: the slot
        # says it is busy, and the skin holds its result.
        self.js("kept.length = 0")
        self.put(photo := self.file("photo.png", png(2400, 2400, noise=True)), into="mainnds.bmp")
        self.assertEqual([self.busy(0), self.just_go(wait=False)], ["true", "Waiting for mainnds.bmp to be converted..."])
        self.wait(lambda: self.text("message") == "Finish!", "the run", 60)
        self.assertEqual(self.downloaded(), self.imported(photo, "mainnds.bmp", "--crop"))

    @one_engine
    def test_names_a_colour_profile_or_gamma_that_is_not_srgb_as_import_does(self):
        # A PNG keeps its profile deflated, a JPEG as it is; a PNG's gamma is named unless it is sRGB's
        # or an sRGB part overrules it; a picture without either is told nothing.
        icc = Path(__file__).parent.parent / "support/wide_gamut.icc"  # names itself "Adobe RGB (1998)"
        gamma = lambda value: chunk(b"gAMA", struct.pack(">I", value))
        cases = [("mainnds.png", True, icc), ("listnds.jpg", True, icc), ("musicnds.png", True, gamma(100000)),
                 ("ebooknds.png", False, gamma(45455)), ("movie.png", False, gamma(100000) + chunk(b"sRGB", b"\0")), ("music.png", False, b"")]
        for name, _, colour in cases:
            (self.folder / name).write_bytes(png(*((256, 192) if "nds" in name else (64, 64)), colour=colour)) \
                if isinstance(colour, bytes) else convert("-size", "256x192", "xc:#336699", "-profile", colour, self.folder / name)
        self.put_folder()
        self.put(*(self.folder / name for name, *_ in cases))  # each over its BMP
        for slot, (name, profiled, _) in enumerate(cases):
            self.shown(f"converted from {name}", f"#slot-{slot} .note")
            said = re.findall(r"^warning: (.*)$", self.cli("import", "--force", name, name[:-4] + ".bmp"), re.M)
            self.assertEqual(len(said), profiled, said)
            self.assertEqual(self.texts(f"#slot-{slot} .advice"), said or [""])

    @one_engine
    def test_pictures_wait_their_turn_and_typing_rewrites_none(self):
        large = png(3200, 2400)
        self.put(*(self.file(name[:-4] + ".png", large) for name in PICTURES))
        self.shown(".png waits its turn to be converted")  # while every worker is busy
        self.wait(lambda: len(self.texts(".slot .note.bad")) == 12, "twelve pictures waiting", 120)
        self.saved()
        self.js("window.written = []; const put = IDBObjectStore.prototype.put;"
                "IDBObjectStore.prototype.put = function (value, key) { written.push(key); return put.call(this, value, key); };")
        self.type("Movie icon position X", "123")
        self.saved(flush=True)
        self.assertEqual([key for key in self.js("return written") if key.startswith("slot-")], [])


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1] + sys.argv[5:])
