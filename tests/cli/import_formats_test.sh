#!/usr/bin/env bash
# import on pictures as a real image tool writes them: ImageMagick makes each file, and its own
# decoding, laid over black and turned upright, is the reference every pixel of the imported
# BMP must match (lossless formats within 1 for rounding, JPEG within 3 per channel). The same
# script runs the Linux build and, under wine, the Windows one.
# Usage: import_formats_test.sh ORBSKIN_CLI [RUNNER]   (RUNNER: e.g. wine64 for a .exe)
set -euo pipefail
cli=$1 runner=${2:-}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
im=/usr/bin/convert compare=/usr/bin/compare  # ImageMagick itself, whatever else is on PATH
fail() { echo "FAIL: $*" >&2; exit 1; }

# An asymmetric 64 x 64 picture: a gradient down, a white square top left, a dot bottom right.
"$im" -size 64x64 gradient:'#E02010-#1040C0' -fill white -draw 'rectangle 4,4 20,20' \
    -fill '#00FF80' -draw 'rectangle 50,54 60,60' base.png
# name | how ImageMagick writes it | tolerance per channel | reference options
cases=(
    "alpha.png|-alpha set -channel A -fx 0.3+0.7*i/w +channel PNG32:|1|"
    "palette.png|-colors 16 PNG8:|1|"
    "grey.png|-colorspace Gray -type Grayscale PNG:|1|"
    "deep.png|-depth 16 PNG48:|1|"
    "interlaced.png|-interlace PNG PNG24:|1|"
    "palette.bmp|-colors 16 -type Palette BMP3:|1|"
    "alpha.bmp|-alpha set -channel A -fx 0.5 +channel -define bmp:format=bmp4 BMP:|1|"
    "first.gif|( -clone 0 -negate ) -loop 0 GIF:|1|[0]"
    "plain.jpg|-quality 95 JPEG:|3|"
    "progressive.jpg|-quality 95 -interlace JPEG JPEG:|3|"
    "turned.jpg|-rotate 270 -quality 95 JPEG:|3|"
)
# Marks a JPEG as stored turned left (EXIF orientation 6: show it turned right): an APP1
# segment with one little-endian IFD entry, right after the start-of-image marker.
mark_turned() {
    { head -c 2 "$1"
      printf '\xff\xe1\x00\x22Exif\x00\x00II\x2a\x00\x08\x00\x00\x00\x01\x00'
      printf '\x12\x01\x03\x00\x01\x00\x00\x00\x06\x00\x00\x00\x00\x00\x00\x00'
      tail -c +3 "$1"; } >marked && mv marked "$1"
}
for row in "${cases[@]}"; do
    IFS='|' read -r name make tolerance pick <<<"$row"
    # shellcheck disable=SC2086
    "$im" base.png $make"$name"
    [ "$name" != turned.jpg ] || mark_turned "$name"
    "$im" "$name$pick" -auto-orient -background black -alpha remove -alpha off -depth 8 ref.png
    rm -f movie.bmp
    $runner "$cli" import "$name" movie.bmp >out.txt 2>&1 || fail "$name: $(cat out.txt)"
    fuzz=$(awk -v t="$tolerance" 'BEGIN { print (t + 0.5) / 255 * 100 }')
    differing=$("$compare" -metric AE -fuzz "$fuzz%" ref.png movie.bmp null: 2>&1 || true)
    [ "$differing" = 0 ] || fail "$name: $differing pixels differ by more than $tolerance"
done
"$im" base.png -colorspace CMYK cmyk.jpg
$runner "$cli" import cmyk.jpg movie.bmp --force >out.txt 2>&1 || fail "CMYK JPEG: $(cat out.txt)"
echo "${#cases[@]} formats imported pixel for pixel, and a CMYK JPEG read"
