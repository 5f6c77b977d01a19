#!/usr/bin/env bash
# orbskin-cli in the user's language. In the pseudo-language every word of ours is wrapped in ⟦⟧:
# any other run of Latin letters in the output of any command, outside file names, options,
# command names, numbers, format names, the window's captions and pack's own messages, is a word
# left in the code. Then each language by LANG: check's heading in it, pack's messages and the
# skin's bytes the same in all.
# Usage: language_test.sh ORBSKIN_CLI MAKE_SAMPLES [RUNNER]   (RUNNER: wine's loader)
set -euo pipefail
cli=$1 make_samples=$2 runner=${3:-}
source "$(dirname "$0")/../support/scratch.sh"

$runner "$make_samples" "$work/s" >/dev/null
run pack --dir "$(native "$work/s")" >/dev/null
# A folder with every kind of verdict: ok, missing, of another size, empty, a folder, a name in
# another case, a document, a photo, a damaged BMP, two candidates, none, and a low contrast.
k=$work/kinds
mkdir "$k" && cp "$work/s"/*.bmp "$k/"
rm "$k"/{mainnds,movie,music,image,game,ebook,option,updir}.bmp
convert -size 40x30 xc:red "$k/mainnds.png" && convert -size 40x30 xc:blue "$k/mainnds.gif"
convert -size 40x30 xc:red "$k/movie.png"
: >"$k/music.bmp" && mkdir "$k/image.bmp" && cp "$work/s/game.bmp" "$k/GAME.BMP"
printf 'gimp xcf file\0' >"$k/ebook.xcf"
convert -size "$(identify -format '%wx%h' "$work/s/option.bmp")" gradient: "$k/option.jpg"
head -c 100 "$work/s/dir.bmp" >"$k/dir.bmp"
convert -size 256x192 'xc:rgb(200,200,200)' -type TrueColor BMP3:"$k/ebooknds.bmp"
convert -size 256x192 xc:none PNG32:"$work/clear.png"
mkdir "$work/imp"

pseudo() {
    export LANGUAGE=qps LANG=en_US.UTF-8
    local d i
    d=$(native "$k") i=$(native "$work/imp")
    for command in "" pack check import unpack preview new; do run $command --help; done
    run frobnicate || true; run import || true
    run check --dir "$d" --ebook-color 200,200,200 || true
    run pack --dir "$(native "$work/s")" --movie-icon=1,300 || true
    run import "$(native "$k/movie.png")" movie.bmp --dir "$i" || true
    run import --crop "$(native "$k/movie.png")" movie.bmp --dir "$i"
    run import "$(native "$work/clear.png")" mainnds.bmp --dir "$i"
    run import "$(native "$k/ebook.xcf")" ebook.bmp --dir "$i" || true
    run import --background mauve "$(native "$k/movie.png")" music.bmp --dir "$i" || true
    run unpack --dir "$(native "$work/u")" "$(native "$work/s/ORBSKIN.000")"
    run unpack --dir "$(native "$work/u")" "$(native "$work/s/ORBSKIN.000")" || true
    run unpack "$(native "$work/s/mainnds.bmp")" || true
    run preview "$(native "$work/s/ORBSKIN.000")" -o "$(native "$work/sheet.png")"
    run preview "$(native "$work/s/ORBSKIN.000")" -o "$(native "$work/sheet.gif")" || true
    run new "$(native "$work/n")"; run new "$(native "$work/n")" || true
    run check --dir "$(native "$work/nowhere")" || true
}
pseudo >"$work/pseudo.txt"
/usr/bin/python3 - "$work/pseudo.txt" <<'PY' || fail "words left in the code (above)"
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
for kept in [r"⟦[^⟧]*⟧", r"\S+ not found!", r"\S+ file length is wrong! It mast a \S+ 24bit color BMP format file",
             r"Finish!", r"\b(List|Selected|Ebook) text color\b", r"\b(Movie|Music|Image|Game|Ebook|Setup) icon position\b",
             r"\bList position\b", r"\bMain menu text offset\b", r"\bShow hint\b"]:
    text = re.sub(kept, " ", text)
# The commands, a format's name, and what the test itself typed (a colour, a wrong command).
commands = {"orbskin-cli", "pack", "check", "import", "unpack", "preview", "new", "rm", "mv", "rmdir",
            "WebP", "white", "mauve", "frobnicate"}
# What is left: words with a Latin letter that are no option, path, extension or capitals.
left = {word for token in text.split() for word in [token.strip("()[]{}\"'“”,;:.!?")]
        if re.search(r"[A-Za-z]", word) and not word.startswith("-") and not re.search(r"[./\\#]", word)
        and not re.match(r"^[(\"'“]*\.\w+", token) and word.upper() != word and word not in commands}
if left:
    sys.exit("not from the catalogue: " + ", ".join(sorted(left)))
PY
grep -q '⟦' "$work/pseudo.txt" || fail "the pseudo-language was not chosen"

# Each language: check's heading, pack's own messages byte for byte, the same skin.
unset LANGUAGE
m=$work/missing && mkdir "$m" && cp "$work/s"/*.bmp "$m/" && rm "$m/game.bmp"
w=$work/wrong && mkdir "$w" && cp "$work/s"/*.bmp "$w/" && printf 'x' >>"$w/dir.bmp"
# --help in one column whatever the script: each description starts where the others do.
one_column='import re, sys, unicodedata
sys.exit(len({sum(1 + (unicodedata.east_asian_width(c) in "WF") for c in m[1])
              for m in (re.match(r"(  \S.*?\S {2,})\S", line) for line in sys.stdin) if m}) != 1)'
while read -r lang heading; do
    help=$(LANG=$lang run import --help)
    /usr/bin/python3 -c "$one_column" <<<"$help" || fail "$lang: import --help is out of line"
    # Its headings' colons and its lists as the language writes them: never an ASCII colon after
    # Chinese or Japanese, nor an ASCII comma in their brackets.
    ! LC_ALL=C.UTF-8 grep -P -e '[\x{3040}-\x{30ff}\x{3400}-\x{9fff}]:|：[: ]|（[^）]*, ' <<<"$help" ||
        fail "$lang: import --help said: $help"
    # Every kind of row as the language writes it: no space after a full-width colon, no
    # brackets within brackets, the length column wide enough for the language's longest.
    out=$(LANG=$lang run check --dir "$(native "$k")" || true)
    [ "${out%%[[:space:]]*}" = "$heading" ] && ! grep -F -e '： ' -e '））' <<<"$out" &&
        ! grep -E '^\S+ +\S+ +[0-9][^ ]* \S+ \S' <<<"$out" || fail "$lang: check said: $out"
    for case in missing wrong; do
        LANG=$lang run pack --dir "$(native "$work/$case")" >"$work/$case.out" || true
        [ -e "$work/$case.C" ] || cp "$work/$case.out" "$work/$case.C"  # the first row's, C's
        cmp -s "$work/$case.out" "$work/$case.C" || fail "$lang: pack's message differs: $(cat "$work/$case.out")"
    done
    rm "$work/s/ORBSKIN.000"
    [ "$(LANG=$lang run pack --dir "$(native "$work/s")")" = "Finish!" ] || fail "$lang: no Finish!"
    [ -e "$work/first.000" ] || cp "$work/s/ORBSKIN.000" "$work/first.000"
    cmp -s "$work/s/ORBSKIN.000" "$work/first.000" || fail "$lang: the skin's bytes differ"
done <<'TABLE'
C picture
xx_YY.UTF-8 picture
ja_JP.eucJP picture
zh_CN.UTF-8 图片
zh_TW.UTF-8 圖片
ja_JP.UTF-8 画像
es_ES.UTF-8 imagen
fr_FR.UTF-8 image
pt_BR.UTF-8 imagem
TABLE
echo "orbskin-cli speaks every language from the catalogue, and pack's words and bytes stay"
