#!/usr/bin/python3
"""The build's check of translations: each broken file stops it, naming the file and every message;
a complete set compiles. Usage: catalogue_test.py CATALOGUE.py"""
import subprocess
import sys
import tempfile
import unittest
from pathlib import Path

TEMPLATE = '''msgid "{file} is empty"
msgstr ""

msgid "one picture was kept"
msgid_plural "{n} pictures were kept"
msgstr[0] ""
msgstr[1] ""
'''
HEADER = '''msgid ""
msgstr ""
"X-Language-Name: Français\\n"
"Plural-Forms: nplurals=2; plural=(n > 1);\\n"

'''
EMPTY = 'msgid "{file} is empty"\nmsgstr "{file} est vide"\n\n'
KEPT = ('msgid "one picture was kept"\nmsgid_plural "{n} pictures were kept"\n'
        'msgstr[0] "{n} image gardée"\nmsgstr[1] "{n} images gardées"\n')


class Catalogue(unittest.TestCase):
    def compile(self, po_text, code="fr"):
        with tempfile.TemporaryDirectory() as work:
            work = Path(work)
            (work / "t.pot").write_text(TEMPLATE, encoding="utf-8")
            (work / f"{code}.po").write_text(po_text, encoding="utf-8")
            run = subprocess.run([sys.executable, CATALOGUE, work / "t.pot", work / "t.cpp",
                                  work / f"{code}.po"], capture_output=True, text=True)
            made = (work / "t.cpp").read_text(encoding="utf-8") if run.returncode == 0 else ""
            return run, made

    def test_a_complete_translation_compiles(self):
        run, made = self.compile(HEADER + EMPTY + KEPT)
        self.assertEqual(run.returncode, 0, run.stderr)
        self.assertIn('{"{file} est vide", "{file} est vide"}', made)
        self.assertIn('"Français", []([[maybe_unused]] std::uint64_t n) { return static_cast<std::size_t>((n > 1)); }',
                      made)
        self.assertIn('⟦îš⟧ ⟦émptý⟧', made)  # the pseudo-language, from the template
        self.assertIn('{"\u202f", 4, ",", "«\u00a0", "\u00a0»"}}', made)  # how French writes
        french = HEADER + EMPTY.replace("est vide", "est vide\u00a0: «\u00a0là\u00a0»\u202f!") + KEPT  # as it is written
        self.assertEqual(self.compile(french)[0].returncode, 0)

    def test_each_broken_translation_stops_the_build(self):
        empty = lambda text: HEADER + EMPTY.replace("{file} est vide", text) + KEPT  # noqa: E731
        cases = [
            ("a message missing", HEADER + KEPT, 'fr.po: no translation of "{file} is empty"'),
            ("an empty translation", HEADER + EMPTY.replace('"{file} est vide"', '""') + KEPT,
             'no translation of "{file} is empty"'),
            ("a fuzzy one", HEADER + "#, fuzzy\n" + EMPTY + KEPT, 'no translation of "{file} is empty"'),
            ("a placeholder lost", HEADER + EMPTY.replace("{file} est", "Le fichier est") + KEPT,
             'fr.po:6: "Le fichier est vide" has other placeholders than "{file} is empty"'),
            ("a placeholder renamed", HEADER + EMPTY + KEPT.replace("{n} images", "{count} images"),
             'has other placeholders than "one picture was kept"'),
            ("a plural form missing", HEADER + EMPTY + KEPT.split("msgstr[1]")[0],
             'no translation of "one picture was kept"'),
            ("a plural given as one", HEADER + EMPTY + 'msgid "one picture was kept"\nmsgstr "gardée"\n',
             'no translation of "one picture was kept"'),
            ("no plural rule", HEADER.replace("Plural-Forms", "X-Other") + EMPTY + KEPT,
             "the header has no Plural-Forms"),
            ("a rule that is not arithmetic", HEADER.replace("(n > 1)", "system(n)") + EMPTY + KEPT,
             "Plural-Forms is not one we can compile"),
            ("no header", EMPTY + KEPT, "the file has no header"),
            ("a line we cannot read", HEADER + EMPTY + "msgstr_x oops\n" + KEPT, "fr.po:9: cannot read"),
            ("a message no longer ours", HEADER + EMPTY + KEPT + '\nmsgid "gone"\nmsgstr "parti"\n',
             'fr.po:14: "gone" is no message of ours any more'),
            ("two faults, both named", HEADER + EMPTY.replace("{file} est", "Le fichier est"),
             ('no translation of "one picture was kept"', 'has other placeholders than "{file} is empty"')),
            # each language's typography
            ("a colon after a word", empty("vide: {file}"), "fr.po:6: \"{file} is empty\": a colon"),
            ("a semicolon after a word", empty("{file}; vide"), "narrow no-break space"),
            ("a label ending in a space", empty("{file} vide "), "ends in U+00A0"),
            ("straight quotes", empty('\\"{file}\\" est vide'), "« like this »"),
            ("guillemets spaced by a space", empty("« {file} » est vide"), "no-break space (U+00A0) inside"),
            ("ASCII after Japanese", empty("{file}は空: です"), "after Japanese", "ja"),
            ("a comma after Chinese", empty("{file}是空的,"), "after Chinese", "zh_TW"),
            ("digits grouped by hand", empty("{file} tem 443.904 bytes"), "443.904 is a number", "pt_BR"),
            ("a language with no writing", HEADER + EMPTY + KEPT, "no row in catalogue.py's WRITING", "de"),
        ]
        for name, text, said, *code in cases:
            with self.subTest(name):
                run, _ = self.compile(text, *code)
                self.assertNotEqual(run.returncode, 0)
                for piece in [said] if isinstance(said, str) else said:
                    self.assertIn(piece, run.stderr)


if __name__ == "__main__":
    CATALOGUE = sys.argv.pop(1)
    unittest.main()
