#!/usr/bin/python3
"""Compiles the translations into our own tables, so that no program needs a library to read them.

    catalogue.py TEMPLATE.pot OUT.cpp LANG.po...

TEMPLATE.pot is what xgettext found in the sources: every message of ours, one with a context
(msgctxt) keyed as gettext keys it, the context, "\x04", the English. Each LANG.po must give
every one of them, not fuzzy, with the same placeholders ({file}, {n}, ...) and as many plural
forms as its Plural-Forms header says. Anything else stops the build with the file, the line and
the message. A pseudo-language, "qps", is made from the template itself: every word wrapped in
⟦ ⟧ and accented, placeholders, options and file names kept, so that a test can tell a word that
came from the catalogue from one left in the code.
"""
import json
import re
import sys
from pathlib import Path

# How each language writes a number and a quoted name: the group separator, the fewest digits that
# are grouped, the decimal mark, the quotes around a name, and False where those marks take the
# place of the spaces beside the name. English's is runtime::kEnglishWriting, with the English
# words; a new language's .po needs its row here.
WRITING = {
    "es": ("\u202f", 5, ",", "«", "»"),  # the RAE's: a narrow space, and none in 4 digits
    "fr": ("\u202f", 4, ",", "«\u00a0", "\u00a0»"),
    "ja": (",", 4, ".", "「", "」", False),  # the marks stand where spaces would
    "pt_BR": (".", 4, ",", "“", "”"),
    "zh_CN": (",", 4, ".", "“", "”", False),
    "zh_TW": (",", 4, ".", "「", "」", False),
}

# Each language's typography, checked in every translation: what must not be there, and why; a
# rule marked True lets a translation write what its English writes too (", " ends in a space). A
# number is never written in a translation, so no translation groups digits by hand.
BY_WORD = r"(?:(?<=[^\W\d_])|(?<=[»)\]}])| )"  # after a word or a closing mark, or an ASCII space
AFTER_CJK = r"(?<=[\u3000-\u30ff\u3400-\u9fff\uff00-\uffef])"
STYLE = {
    "fr": [(BY_WORD + r":(?=\s|$)", "a colon takes a no-break space (U+00A0) before it", False),
           (BY_WORD + r"[;?!](?=\s|$)", "; ? and ! take a narrow no-break space (U+202F) before them",
            False),
           (r"(?<! ) $", "a label the program follows with a colon ends in U+00A0, not a space", True),
           (r'"', "names and words are quoted « like this », not in straight quotes", False),
           (r"« | »", "guillemets take a no-break space (U+00A0) inside them", False)],
    "ja": [(AFTER_CJK + r"(?:: |,|\()", "after Japanese, write ：、（ rather than ASCII"
                                       " \": \", \",\", \"(\"", False)],
    "zh_CN": [(AFTER_CJK + r"(?:: |,|\()", "after Chinese, write ：，（ rather than ASCII"
                                          " \": \", \",\", \"(\"", False)],
}
STYLE["zh_TW"] = STYLE["zh_CN"]
GROUPED = re.compile(r"(?<![\d.,])\d{1,3}(?:[,.\u202f\u00a0 ]\d{3})+(?!\d)")

PLACEHOLDER = re.compile(r"\{[a-z_]+\}")
# Options, file names, extensions, paths and the program's name stay as they are in every language.
KEPT_WORD = re.compile(
    r"^[(\"']*(-[-\w=.,]*|[\w-]*\.\w+|[\w.-]*/[\w./-]*|orbskin-cli)[)\"',.;:]*$")
ACCENTS = str.maketrans("aeiouycnszAEIOUYCNSZ", "àéîõüýçñšžÀÉÎÕÜÝÇÑŠŽ")


class Failure(Exception):
    pass


def unquote(text, where):
    if not (text.startswith('"') and text.endswith('"')):
        raise Failure(f"{where}: a string in double quotes was expected")
    return json.loads(text) if "\\" in text else text[1:-1]


def read_po(path):
    """The entries of a .po file: {msgid, context, plural, forms, fuzzy, line}, the header first."""
    entries, entry, key = [], None, None

    def finish():
        nonlocal entry, key
        if entry and "msgid" in entry:
            entries.append(entry)
        entry, key = None, None

    for number, line in enumerate(path.read_text(encoding="utf-8").splitlines(), 1):
        where, line = f"{path}:{number}", line.strip()
        starts_entry = line.startswith("#") or line.startswith(("msgctxt ", "msgid "))
        if not line or (starts_entry and entry and entry["forms"]):
            finish()
        if not line:
            continue
        entry = entry or {"line": number, "forms": {}, "fuzzy": False}
        if line.startswith("#"):
            entry["fuzzy"] |= line.startswith("#,") and "fuzzy" in line
            continue
        match = re.match(r'^(msgctxt|msgid|msgid_plural|msgstr)(?:\[(\d+)\])?\s+(".*")$', line)
        if match:
            key = match.group(1) if match.group(1) != "msgstr" else int(match.group(2) or 0)
            text = unquote(match.group(3), where)
        elif line.startswith('"') and key is not None:
            text = unquote(line, where)
        else:
            raise Failure(f"{where}: cannot read this line")
        if key == "msgctxt":
            entry["context"] = entry.get("context", "") + text if match is None else text
        elif key == "msgid":
            entry["msgid"] = entry.get("msgid", "") + text if match is None else text
        elif key == "msgid_plural":
            entry["plural"] = entry.get("plural", "") + text if match is None else text
        else:
            entry["forms"][key] = entry["forms"].get(key, "") + text if match is None else text
    finish()
    return entries


def key(entry):
    """What a message is looked up by: its English, after its context if it has one."""
    return entry["context"] + "\x04" + entry["msgid"] if "context" in entry else entry["msgid"]


def english(message):
    return message.rpartition("\x04")[2]


def shown(message):
    """A message as a problem names it: "Fit" (a way to resize)."""
    context = message.rpartition("\x04")[0]
    return f'"{english(message)}"' + (f" ({context})" if context else "")


def header_field(header, name, path):
    match = re.search(rf"^{name}:\s*(.*)$", header, re.M)
    if not match:
        raise Failure(f"{path}: the header has no {name}")
    return match.group(1).strip()


def plural_rule(header, path):
    forms = header_field(header, "Plural-Forms", path)
    match = re.match(r"nplurals\s*=\s*(\d+);\s*plural\s*=\s*(.+?);?$", forms)
    if not match or not re.fullmatch(r"[n\d\s()<>=!&|?:%]+", match.group(2)):
        raise Failure(f"{path}: Plural-Forms is not one we can compile: {forms}")
    return int(match.group(1)), match.group(2)


def placeholders(text):
    return sorted(set(PLACEHOLDER.findall(text)))


def translations(po, messages, problems):
    """The forms of each message in `messages`, in order, from one language's file; what is
    wrong with it is added to `problems`, every entry at once."""
    entries = read_po(po)
    if not entries or entries[0].get("msgid") != "":
        raise Failure(f"{po}: the file has no header")
    header = entries[0]["forms"].get(0, "")
    count, rule = plural_rule(header, po)
    if po.stem not in WRITING:
        raise Failure(f"{po}: no row in catalogue.py's WRITING says how {po.stem} writes numbers")
    language = {"code": po.stem, "name": header_field(header, "X-Language-Name", po),
                "count": count, "rule": rule, "writing": WRITING[po.stem]}
    found = {key(e): e for e in entries[1:]}
    forms = []
    for message, plural in messages:
        entry, msgid = found.get(message), english(message)
        if entry is None or entry["fuzzy"] or not all(entry["forms"].get(i) for i in
                                                       range(count if plural else 1)):
            problems.append(f"{po}: no translation of {shown(message)}")
            forms.append([msgid, plural or msgid][:count if plural else 1])
            continue
        line = f"{po}:{entry['line']}"
        if bool(plural) != ("plural" in entry):
            problems.append(f"{line}: {shown(message)} has plural forms in one file and not the other")
        given = [entry["forms"].get(i, msgid) for i in range(count if plural else 1)]
        for text in given:
            if placeholders(text) != placeholders(msgid + (plural or "")):
                problems.append(f"{line}: \"{text}\" has other placeholders than \"{msgid}\"")
        problems += [f"{line}: {shown(message)}: {why}" for why in style(po.stem, msgid, given)]
        forms.append(given)
    known = {message for message, _ in messages}
    for message, entry in found.items():
        if message not in known:
            problems.append(f"{po}:{entry['line']}: {shown(message)} is no message of ours any more")
    return language, forms


def style(code, msgid, given):
    """What `given`, the forms of `msgid` in the language `code`, writes against its typography."""
    wrong = []
    for text in given:
        wrong += [why for pattern, why, as_english in STYLE.get(code, [])
                  if re.search(pattern, text) and not (as_english and re.search(pattern, msgid))]
        wrong += [f"{digits} is a number grouped by hand; make it a number placeholder"
                  for digits in GROUPED.findall(text) if digits not in msgid]
    return list(dict.fromkeys(wrong))


def pseudo_word(word):
    if KEPT_WORD.match(word) or not re.search(r"[A-Za-z]", PLACEHOLDER.sub("", word)):
        return word
    parts = re.split(r"(\{[a-z_]+\})", word)
    return "⟦" + "".join(p if PLACEHOLDER.fullmatch(p) else p.translate(ACCENTS) for p in parts) + "⟧"


def pseudo(text):
    return " ".join(pseudo_word(word) for word in text.split(" "))


def c_string(text):
    return json.dumps(text, ensure_ascii=False)


def writing(row):
    if row is None:
        return "runtime::kEnglishWriting"
    group, grouped_from, decimal, opening, closing, *spaced = row
    return (f"{{{c_string(group)}, {grouped_from}, {c_string(decimal)}, {c_string(opening)}, "
            f"{c_string(closing)}{'' if spaced in ([], [True]) else ', false'}}}")


def write_cpp(path, messages, languages):
    out = ["// Made by language/catalogue.py from the translations; edit those, not this.",
           '#include "language/catalogue.h"', "", "namespace orbskin::language::catalogue {",
           "namespace {", f"constexpr std::array<std::string_view, {len(messages)}> k_keys = {{{{"]
    out += [f"    {c_string(message)}," for message, _ in messages]
    out.append("}};")
    for language in languages:
        out.append(f"constexpr std::array<Forms, {len(messages)}> k_{language['code']} = {{{{")
        for forms in language["forms"]:
            out.append("    {" + ", ".join(c_string(f) for f in forms) + "},")
        out.append("}};")
    out.append("}  // namespace")
    out.append("")
    out.append("const std::span<const std::string_view> kKeys{k_keys};")
    out.append("const std::span<const Language> kLanguages{kAll};")
    table = []
    for language in languages:
        table.append(f"    {{{c_string(language['code'])}, {c_string(language['name'])}, "
                     f"[]([[maybe_unused]] std::uint64_t n) {{ return static_cast<std::size_t>({language['rule']}); }}, "
                     f"k_{language['code']}.data(), {'true' if language['listed'] else 'false'}, "
                     f"{writing(language.get('writing'))}}},")
    out[out.index("}  // namespace")] = ("constexpr Language kAll[] = {\n" + "\n".join(table) +
                                         "\n};\n}  // namespace")
    out.append("}  // namespace orbskin::language::catalogue")
    replace_if_changed(path, "\n".join(out) + "\n")


def replace_if_changed(path, text):
    path = Path(path)
    if not path.exists() or path.read_text(encoding="utf-8") != text:
        path.write_text(text, encoding="utf-8")


def main(pot, cpp, *pos):
    template = read_po(Path(pot))
    messages = sorted(((key(e), e.get("plural")) for e in template if e.get("msgid")),
                      key=lambda m: m[0].encode())
    english_forms = [[english(m), p] if p else [english(m)] for m, p in messages]
    languages = [{"code": "en", "name": "English", "rule": "n != 1", "forms": english_forms,
                  "listed": True}]
    problems = []
    for po in sorted(Path(p) for p in pos):
        language, forms = translations(po, messages, problems)
        if language["count"] > 2:
            raise Failure(f"{po}: more than two plural forms; widen Forms in catalogue.h")
        languages.append({**language, "forms": forms, "listed": True})
    if problems:
        raise Failure("\n".join(problems + ["(scripts/translations brings every file up to date with"
                                             " the sources; then translate what it marks)"]))
    languages.append({"code": "qps", "name": "⟦Ƥšéûđõ⟧", "rule": "n != 1", "listed": False,
                      "forms": [[pseudo(f) for f in forms] for forms in english_forms]})
    for language in languages:
        language["forms"] = [forms + [forms[-1]] * (2 - len(forms)) for forms in language["forms"]]
    write_cpp(cpp, messages, languages)


if __name__ == "__main__":
    try:
        main(*sys.argv[1:])
    except Failure as failure:
        sys.exit(f"catalogue: {failure}")
