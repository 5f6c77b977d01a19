#!/usr/bin/env bash
# import, check and preview on pictures as a real image tool writes them, for the Linux build
# and, under wine, the Windows one. ImageMagick makes each file, and its own decoding, laid over
# black and turned upright, is the reference every pixel of the imported BMP must match (opaque
# lossless formats exactly; within 1 where alpha is laid over black; JPEG within 3). Check's
# printed fixes are run as printed in skin_makers_test.sh.
# Usage: import_formats_test.sh ORBSKIN_CLI [RUNNER]   (RUNNER: e.g. wine64 for a .exe)
set -euo pipefail
cli=$1 runner=${2:-}
source "$(dirname "$0")/../support/scratch.sh"
cd "$work"
im=/usr/bin/convert compare=/usr/bin/compare  # ImageMagick itself, whatever else is on PATH

# An asymmetric 64 x 64 picture: a gradient down, a white square top left, a dot bottom right.
"$im" -size 64x64 gradient:'#E02010-#1040C0' -fill white -draw 'rectangle 4,4 20,20' \
    -fill '#00FF80' -draw 'rectangle 50,54 60,60' base.png
# 16-bit channels each reduced to the nearest 8-bit level, from the values ImageMagick reads;
# its own reduction, and its widening of 4- and 5-bit BMP channels, are not that rule.
nearest_levels() {
    "$im" "$1" -depth 16 txt:- | awk -F '[(),:# ]+' '
        NR == 1 { print "# ImageMagick pixel enumeration: " $5 "," $6 ",255,srgb"; next }
        { printf "%s,%s: (%d,%d,%d)\n", $1, $2, ($3 * 255 + 32767) / 65535,
                 ($4 * 255 + 32767) / 65535, ($5 * 255 + 32767) / 65535 }' >levels.txt
    "$im" txt:levels.txt ref.png
}
# name | how ImageMagick writes it | tolerance per channel | reference options (16: see above)
cases=(
    "alpha.png|-alpha set -channel A -fx 0.3+0.7*i/w +channel PNG32:|1|"
    "palette.png|-colors 16 PNG8:|1|"
    "grey.png|-colorspace Gray -type Grayscale PNG:|0|16"
    "deep.png|-depth 16 PNG48:|0|16"
    "deep.tif|-depth 16 TIFF:|0|16"
    "interlaced.png|-interlace PNG PNG24:|1|"
    "palette.bmp|-colors 16 -type Palette BMP3:|1|"
    "alpha.bmp|-alpha set -channel A -fx 0.5 +channel -define bmp:format=bmp4 BMP:|1|"
    "os2.bmp|BMP2:|0|"
    "rle8.bmp|-colors 16 -type Palette -compress RLE BMP3:|0|"
    "first.gif|( -clone 0 -negate ) -loop 0 GIF:|1|[0]"
    "plain.jpg|-quality 95 JPEG:|3|"
    "progressive.jpg|-quality 95 -interlace JPEG JPEG:|3|"
    "plain.tga|TGA:|0|"
    "palette.tga|-type Palette -colors 16 TGA:|0|"
    "grey.tga|-colorspace Gray -type Grayscale TGA:|0|"
    "runs.tga|-compress RLE TGA:|0|"
    "alpha.tga|-alpha set -channel A -fx 0.3+0.7*i/w +channel TGA:|1|"
    "top.tga|-define tga:image-origin=TopLeft TGA:|0|"
    "five.tga|-depth 5 TGA:|1|"
)
# Every EXIF orientation, in a JPEG's EXIF block and in a TIFF's own tag, each turned as shown.
orientations=(TopLeft TopRight BottomRight BottomLeft LeftTop RightTop RightBottom LeftBottom)
for n in 1 2 3 4 5 6 7 8; do
    cases+=("turned$n.jpg|-quality 95 JPEG:|3|" "turned$n.tif|-orient ${orientations[n - 1]} -depth 8 TIFF:|0|")
done
# Marks a JPEG as stored in orientation $2: an APP1 segment with one big-endian IFD entry, right
# after the start-of-image marker.
mark_turned() {
    { head -c 2 "$1"
      printf '\xff\xe1\x00\x22Exif\x00\x00MM\x00\x2a\x00\x00\x00\x08\x00\x01'
      printf "\\x01\\x12\\x00\\x03\\x00\\x00\\x00\\x01\\x00\\x0$2\\x00\\x00\\x00\\x00\\x00\\x00"
      tail -c +3 "$1"; } >marked && mv marked "$1"
}
for row in "${cases[@]}"; do
    IFS='|' read -r name make tolerance pick <<<"$row"
    # shellcheck disable=SC2086
    "$im" base.png $make"$name"
    [[ $name != turned?.jpg ]] || mark_turned "$name" "${name:6:1}"
    if [ "$pick" = 16 ]; then nearest_levels "$name"; else
        "$im" "$name$pick" -auto-orient -background black -alpha remove -alpha off -depth 8 ref.png
    fi
    rm -f movie.bmp
    $runner "$cli" import "$name" movie.bmp >out.txt 2>&1 || fail "$name: $(cat out.txt)"
    fuzz=$(awk -v t="$tolerance" 'BEGIN { print (t + 0.5) / 255 * 100 }')
    differing=$("$compare" -metric AE -fuzz "$fuzz%" ref.png movie.bmp null: 2>&1 || true)
    [ "$differing" = 0 ] || fail "$name: $differing pixels differ by more than $tolerance"
done
# The image libraries' own warnings never reach the user: a PNG whose text chunk is damaged
# imports with nothing on standard error.
"$im" base.png -set comment hello PNG24:noted.png
at=$(grep -boa tEXt noted.png | head -n1 | cut -d: -f1)
length=$(od -An -tu1 -j $((at - 4)) -N4 noted.png | awk '{ print $1 * 16777216 + $2 * 65536 + $3 * 256 + $4 }')
printf '\0\0\0\0' | dd of=noted.png bs=1 seek=$((at + 4 + length)) conv=notrunc 2>/dev/null
# So does a TIFF with a tag no reader knows, as GrafX2 writes one.
python3 -c 'import struct, sys
tags = [(256, 3, 4), (257, 3, 4), (258, 3, 8), (259, 3, 1), (262, 3, 1), (273, 4, 122),
        (278, 3, 4), (279, 4, 16), (65500, 3, 1)]
ifd = struct.pack("<H", len(tags)) + b"".join(struct.pack("<HHII", t, k, 1, v) for t, k, v in tags)
sys.stdout.buffer.write(b"II*\0" + struct.pack("<I", 8) + ifd + bytes(4) + bytes(range(0, 256, 16)))' >tagged.tif
for noisy in noted.png tagged.tif; do
    $runner "$cli" import --force --scale $noisy movie.bmp 2>err.txt >/dev/null || fail "$noisy: $(cat err.txt)"
    [ ! -s err.txt ] || fail "a library spoke on standard error for $noisy: $(cat err.txt)"
done
"$im" base.png -colorspace CMYK cmyk.jpg
$runner "$cli" import cmyk.jpg movie.bmp --force >out.txt 2>&1 || fail "CMYK JPEG: $(cat out.txt)"

# A complete set, to pack.
for name in mainnds listnds musicnds ebooknds movie music image game ebook option dir updir; do
    case $name in *nds) size=256x192 ;; *dir) size=16x16 ;; *) size=64x64 ;; esac
    "$im" base.png -resize "$size!" -type TrueColor BMP3:"$name.bmp"
done

# --dither: on a smooth gradient, each 8 x 8 block of the skin as unpack shows it keeps the
# source's mean within 1 per channel; without it the 5-bit steps leave up to 7.
"$im" -size 192x256 gradient:'#6E1C90-#8A56D8' -rotate 90 gradient.png
"$im" gradient.png -scale 32x24 -depth 16 wanted.png
for dither in "" --dither; do
    $runner "$cli" import --force $dither gradient.png mainnds.bmp >/dev/null
    $runner "$cli" pack >/dev/null && $runner "$cli" unpack --force --dir shown >/dev/null
    "$im" shown/mainnds.bmp -scale 32x24 -depth 16 shown.png
    error=$("$compare" -metric PAE shown.png wanted.png null: 2>&1 | sed 's/.*(\(.*\))/\1/' || true)
    worst[${#dither}]=$(awk -v e="$error" 'BEGIN { printf "%.2f", e * 255 }')
done
echo "largest 8 x 8 block difference: ${worst[0]} plain, ${worst[8]} with --dither"
awk -v plain="${worst[0]}" -v dithered="${worst[8]}" 'BEGIN { exit !(plain > 3 && dithered <= 1) }' ||
    fail "--dither leaves ${worst[8]}, plain ${worst[0]}"

# What import and preview refuse, each with status 1 or 2 and its reason, the folder unchanged.
"$im" -size 320x240 xc:gray big.png
printf 'not a picture' >noise.png
# A PNG whose text chunk claims nearly 2 GiB: refused before any reader reserves the memory.
printf '\211PNG\r\n\032\n\0\0\0\rIHDR\0\0\0\020\0\0\0\020\002\003\0\0\0\0\0\0\0\0\0\160\0\0\0tEXtab' >hostile.png
mkdir refused && cp ORBSKIN.000 refused/skin.png && before=$(ls -l --time-style=+%s.%N refused ORBSKIN.000 dir.bmp | md5sum)
while IFS='|' read -r args reason; do
    # shellcheck disable=SC2086
    ! $runner "$cli" $args >out.txt 2>&1 || fail "$args was not refused"
    grep -qF "$reason" out.txt || fail "$args: $(cat out.txt)"
done <<'REFUSED'
import big.png other.bmp --dir refused|"other.bmp" is not one of the twelve picture names
import big.png dir.bmp --background 0,0 --dir refused|"0,0" is not a colour
import big.png mainnds.bmp --dir refused|"big.png" is 320×240, but mainnds.bmp must be 256×192; add --scale, --crop or --fit to resize it
import noise.png dir.bmp --dir refused|cannot read "noise.png" as a picture
import hostile.png dir.bmp --dir refused|damaged PNG file
import --scale big.png dir.bmp|"dir.bmp" already exists and was left alone; use --force
preview -o ORBSKIN.000|"ORBSKIN.000" already exists and was left alone; use --force
preview refused/skin.png -o refused/skin.png --force|is the skin the sheet is drawn from
preview -o sheet.jpg|the sheet is a PNG picture: name it with .png, not "sheet.jpg"
REFUSED
[ "$(ls -l --time-style=+%s.%N refused ORBSKIN.000 dir.bmp | md5sum)" = "$before" ] && [ ! -e sheet.jpg ] ||
    fail "a refusal changed a file"

# preview --dir: the sheet of the skin the folder would make, before packing it, as a PNG (of a
# skin file: folder_names_test.sh); what the sheet shows is tested with the picture pipeline.
$runner "$cli" preview --dir . --movie-icon=0,0 -o folder.png >/dev/null
[ "$(/usr/bin/identify -format %m folder.png)" = PNG ] || fail "preview --dir wrote no PNG"
echo "${#cases[@]} formats imported pixel for pixel, a CMYK JPEG read"
