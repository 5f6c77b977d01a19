#!/usr/bin/env bash
# The skin maker's desk on files that the programs skin makers use write: rsvg-convert (a drawing
# exported a pixel too large, and a transparent icon), GraphicsMagick (pixel art at 2x, a GIF and
# a TGA a few pixels off) and libjpeg's cjpeg. Every fix check prints is run exactly as printed,
# and check --fix on a copy; after each, check passes, every original survives (in place or in
# originals/), and the exact resizes match ImageMagick's own pixel for pixel.
# Usage: skin_makers_test.sh ORBSKIN_CLI MAKE_SAMPLES [RUNNER]
set -euo pipefail
cli=$1 make_samples=$2 runner=${3:-}
source "$(dirname "$0")/../support/scratch.sh"
cd "$work"
im=/usr/bin/convert compare=/usr/bin/compare
same() {  # same PICTURE SOURCE OPTION...: every pixel equal to ImageMagick's making of it
    "$im" "${@:2}" -type TrueColor BMP3:ref.bmp
    [ "$("$compare" -metric AE "$1" ref.bmp null: 2>&1 || true)" = 0 ] || fail "$1 differs from ${*:2}"
}

$runner "$make_samples" desk >/dev/null
cd desk
rm mainnds.bmp listnds.bmp ebooknds.bmp musicnds.bmp music.bmp
cat >drawing.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="257" height="193"><rect width="257" height="193" fill="#204080"/><rect x="20" y="20" width="100" height="1" fill="#ffffff"/><text x="30" y="120" font-size="40" fill="#ffcc00">Skin</text></svg>
SVG
rsvg-convert drawing.svg -o mainnds.png  # a drawing exported a pixel too large each way
cat >icon.svg <<'SVG'
<svg xmlns="http://www.w3.org/2000/svg" width="64" height="64"><circle cx="32" cy="32" r="20" fill="#102030"/></svg>
SVG
rsvg-convert icon.svg -o music.bmp  # a transparent PNG under the picture's name
"$im" -size 256x192 xc: +noise Random -colors 16 PNG8:art.png
gm convert art.png -filter Point -resize 200% PNG24:ListNDS.png  # pixel art at 2x, saved as RGB
gm convert -size 250x190 xc:'#336699' -fill white -draw 'rectangle 10,10 60,60' ebooknds.gif
"$im" -size 256x192 gradient:'#102040-#a0c0e0' ppm:- | cjpeg -quality 90 >musicnds.jpeg
# A BMP stored top-down (the height negative), and one of the right length in another shape.
"$im" game.bmp -flip -type TrueColor BMP3:game.bmp
printf '\300\377\377\377' | dd of=game.bmp bs=1 seek=22 conv=notrunc 2>/dev/null
"$im" image.bmp -sample '128x32!' -type TrueColor BMP3:image.bmp
cp -r . ../fixed
originals=(mainnds.png music.bmp ListNDS.png ebooknds.gif musicnds.jpeg)
sums=$(for f in "${originals[@]}"; do md5sum <"$f"; done)

# Every printed fix, as printed.
! $runner "$cli" check >out.txt 2>&1 || fail "check passed a folder with seven wrong pictures"
# Windows prints its own separator, which wine reads either way and bash would take as escapes.
fixes=$(sed -n 's/^ *fix: \(orbskin-cli .*\)$/\1/p' out.txt | tr -d '\r' | tr '\\' /)
[ "$(wc -l <<<"$fixes")" = 7 ] || fail "not seven commands: $(cat out.txt)"
# Only the photo is dithered: the drawings' few colours would gain nothing but noise.
[ "$(grep -c -- --dither <<<"$fixes")" = 1 ] && grep -q -- '--dither .*musicnds.jpeg' <<<"$fixes" ||
    fail "not the photo alone dithered: $fixes"
while read -r fix; do
    eval "$runner \"\$cli\" ${fix#orbskin-cli }" >run.txt 2>&1 || fail "$fix failed: $(cat run.txt)"
    tr -d '\r' <run.txt | tr '\\' / >>advice.txt
done <<<"$fixes"
# Every command the fixes advise in turn (lay a transparent icon over white) works as printed,
# and a background chosen so is not questioned again.
grep -q 'orbskin-cli import .*--background white originals/music.png' advice.txt ||
    fail "no advice names originals/music.png: $(cat advice.txt)"
grep -o 'orbskin-cli import .*' advice.txt | while read -r advice; do
    eval "$runner \"\$cli\" ${advice#orbskin-cli }" >run.txt 2>&1 && ! grep -q 'laid over' run.txt ||
        fail "$advice failed or questioned its background: $(cat run.txt)"
done
$runner "$cli" check >out.txt 2>&1 || fail "check after the printed fixes: $(cat out.txt)"
[ "$(for f in mainnds.png originals/music.png ListNDS.png ebooknds.gif musicnds.jpeg; do
        md5sum <"$f"; done)" = "$sums" ] || fail "an original was lost or changed"

$runner "$cli" import --force ListNDS.png listnds.bmp >run.txt 2>&1 && fail "import took pixel art unasked"
grep -q 'add --pixel-art, ' run.txt || fail "import's refusal offers no --pixel-art first: $(cat run.txt)"
# The exact resizes, against ImageMagick's own.
$runner "$cli" import --force --trim mainnds.png mainnds.bmp >/dev/null
same mainnds.bmp mainnds.png -gravity center -crop 256x192+0+0 +repage
same listnds.bmp art.png
same ebooknds.bmp ebooknds.gif -background black -gravity center -extent 256x192

# check --fix, on the untouched copy: the same pictures, byte for byte.
cd ../fixed
$runner "$cli" check --fix >out.txt 2>&1 || fail "check --fix: $(cat out.txt)"
# Not music.bmp nor image.bmp: the advice laid one over white since, and fitted the other.
for picture in mainnds.bmp listnds.bmp ebooknds.bmp musicnds.bmp game.bmp; do
    cmp -s "$picture" "../desk/$picture" || fail "check --fix made another $picture"
done
[ -f originals/music.png ] || fail "check --fix lost the transparent original"
tr '\\' / <out.txt | grep -q 'originals/music.png' || fail "the transparency advice does not name the original"
# A photo saved as PNG is as much a photo as a JPEG is.
for photo in movie.png movie.webp; do  # and a lossy WebP
    rm -f movie.png movie.bmp && "$im" -seed 3 -size 300x220 plasma: -quality 80 "$photo"
    $runner "$cli" check >out.txt 2>&1 || true
    grep -q -- "--crop --dither --force $photo movie.bmp" out.txt || fail "$photo's fix: $(cat out.txt)"
done
fix=$(sed -n 's/^ *fix: orbskin-cli //p' out.txt)  # wine's imaging component has no WebP reader
[ -n "$runner" ] || { eval "\"\$cli\" $fix" && "$cli" check; } >run.txt 2>&1 || fail "$fix: $(cat run.txt)"
echo "seven fixes run as printed and by check --fix, every original kept"
