#!/usr/bin/python3
"""Writes the page as one self-contained file.

    inline.py TEMPLATE STYLE CORE.js CORE.wasm OUTPUT SCRIPT.js...

TEMPLATE's markers are replaced: /*STYLE*/ by the style sheet, /*CORE*/ by the core's script,
/*WASM*/ by the core's code gzipped by zopfli, a twentieth smaller than gzip -9, and in base64
(the page inflates it as it starts, in a third of the bytes), and /*SCRIPT*/ by the scripts joined in order. Lines that are only a comment are
left out of the scripts: the page is read by browsers, and its sources by us.
"""
import base64
import re
import subprocess
import sys
from pathlib import Path

COMMENT_LINE = re.compile(r"^\s*//.*\n", re.M)


def main(template, style, core, wasm, output, *scripts):
    read = lambda path: Path(path).read_text(encoding="utf-8")
    script = "".join(COMMENT_LINE.sub("", read(path)) + "\n" for path in scripts)
    gzipped = subprocess.run(["zopfli", "-c", "--i15", wasm], check=True, capture_output=True).stdout
    packed = base64.b64encode(gzipped).decode()
    page = read(template)
    for marker, text in (("/*STYLE*/", read(style)), ("/*CORE*/", read(core)),
                         ("/*WASM*/", packed), ("/*SCRIPT*/", script)):
        if page.count(marker) != 1:
            sys.exit(f"inline: {template} has not one {marker}")
        page = page.replace(marker, text)
    Path(output).write_text(page, encoding="utf-8")


if __name__ == "__main__":
    main(*sys.argv[1:])
