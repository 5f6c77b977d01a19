#!/usr/bin/env bash
# The desk never destroys a document: import, and so check --fix, keeps in originals/ whatever it
# replaces, under the extension of its real format: a Photoshop document that ImageMagick writes,
# a GIMP and a Krita document, a Netpbm picture, a picture reached through a relative link. Then
# check on odd entries.
# Usage: desk_test.sh ORBSKIN_CLI MAKE_SAMPLES
set -euo pipefail
cli=$1 make_samples=$2
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../support/scratch.sh"
cd "$work"
im=/usr/bin/convert

"$make_samples" desk >/dev/null
cd desk
"$im" -size 256x192 gradient:red-blue new.png
"$im" -size 300x200 xc:green -fill white -draw 'rectangle 10,10 90,90' PSD:musicnds.bmp
printf 'gimp xcf v011\0\0\0\1\0\0\0\1\0\0\0\0' >mainnds.bmp  # a GIMP document's first bytes
# A Krita document as Krita stores one: a zip whose first entry, stored, names its kind.
/usr/bin/python3 -c 'import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as z: z.writestr("mimetype", "application/x-krita")' movie.bmp
"$im" -size 64x64 xc:red PPM:game.bmp  # a Netpbm picture under the picture's name
mkdir ../card && "$im" -size 256x192 xc:navy ../card/list.png
rm listnds.bmp && ln -s ../card/list.png listnds.bmp  # a relative link, to be imported from
# file replaced | command | what it is kept as
while IFS='|' read -r file command kept; do
    sum=$(md5sum <"$file")
    # shellcheck disable=SC2086
    "$cli" $command >out.txt 2>&1 || fail "$command: $(cat out.txt)"
    [ "$(md5sum <"originals/$kept")" = "$sum" ] || fail "$file was not kept as originals/$kept"
    grep -q "originals/$kept" out.txt || fail "$command does not say where $file went: $(cat out.txt)"
done <<'CASES'
musicnds.bmp|import --force new.png musicnds.bmp|musicnds.psd
mainnds.bmp|import --force new.png MainNDS.bmp|mainnds.xcf
movie.bmp|import --force --scale new.png movie.bmp|movie.kra
listnds.bmp|import --force listnds.bmp listnds.bmp|listnds.png
game.bmp|import --force --scale new.png game.bmp|game.ppm
CASES
[ -f ../card/list.png ] && [ "$(/usr/bin/identify -format %wx%h ../card/list.png)" = 256x192 ] ||
    fail "the file the link led to was changed"
# The same bytes again replace nothing, and keep nothing more; "--" ends the options.
cp new.png ./-new.png && "$cli" import --force -- -new.png musicnds.bmp >/dev/null
[ "$(ls originals | wc -l)" = 5 ] || fail "an unchanged picture was kept again: $(ls originals)"
"$cli" check >/dev/null || fail "check after the imports: $("$cli" check)"

# unpack --force keeps what it replaces as import does, but not a picture that it writes again.
"$cli" pack >/dev/null && mkdir ../unpacked && "$cli" unpack --dir ../unpacked ORBSKIN.000 >/dev/null
"$im" -size 300x200 xc:green PSD:../unpacked/musicnds.bmp
sum=$(md5sum <../unpacked/musicnds.bmp)
"$cli" unpack --dir ../unpacked --force ORBSKIN.000 2>out.txt >/dev/null || fail "unpack --force: $(cat out.txt)"
[ "$(md5sum <../unpacked/originals/musicnds.psd)" = "$sum" ] && [ "$(ls ../unpacked/originals)" = musicnds.psd ] &&
    grep -q "originals/musicnds.psd" out.txt || fail "unpack --force lost the document: $(cat out.txt)"
[ "$(head -c 2 ../unpacked/musicnds.bmp)" = BM ] || fail "unpack --force did not write musicnds.bmp"

mkfifo fifo.png
for args in "import --force fifo.png dir.bmp" "unpack fifo.png --dir unpacked"; do
    # shellcheck disable=SC2086
    ! "$cli" $args >out.txt 2>&1 && grep -qF '"fifo.png" is a FIFO, not a file' out.txt ||
        fail "$args: $(cat out.txt)"
done
# A mistyped folder is said as that, by each command that reads one.
for args in "check --dir nosuch" "import new.png dir.bmp --dir nosuch" "preview --dir nosuch"; do
    # shellcheck disable=SC2086
    ! "$cli" $args >out.txt 2>&1 && grep -qx 'there is no folder "nosuch"' out.txt || fail "$args: $(cat out.txt)"
done

# A folder whose name starts with "-" and holds a newline: the printed fix is one line that
# works as printed, and so does check --fix.
cd "$work"
two=$'-skin2\nnew' three=$'-skin3\nnew'
"$make_samples" "./$two" >/dev/null
rm -- "$two/mainnds.bmp" && "$im" -size 256x192 xc:teal "./$two/mainnds.png"
cp -r -- "$two" "$three"
fix=$({ "$cli" check --dir "$two" || true; } | sed -n 's/^ *fix: \(orbskin-cli .*\)$/\1/p')
[ "$(wc -l <<<"$fix")" = 1 ] || fail "not one fix line for $two: $("$cli" check --dir "$two")"
eval "\"\$cli\" ${fix#orbskin-cli }" >out.txt 2>&1 || fail "$fix failed: $(cat out.txt)"
"$cli" check --dir "$two" >/dev/null || fail "check after $fix"
"$cli" check --dir "$three" --fix >out.txt 2>&1 || fail "check --dir $three --fix: $(cat out.txt)"
cmp -s -- "$two/mainnds.bmp" "$three/mainnds.bmp" || fail "check --fix made another picture"
# looked_at [OPTION]: what check says of $three, in out.txt.
looked_at() { { "$cli" check --dir "$three" "$@" || true; } >out.txt 2>&1; }
# A picture made for another colour space (a profile that names itself "Adobe RGB (1998)") is
# imported as its numbers, and said so by name.
"$im" -size 64x64 xc:red -profile "$here/../support/wide_gamut.icc" wide.png 2>/dev/null
"$cli" import --dir "$three" --force wide.png movie.bmp 2>err.txt >/dev/null
grep -q 'carries the colour profile "Adobe RGB (1998)"' err.txt || fail "no word of the profile: $(cat err.txt)"
rm "./$three/option.bmp" && cp wide.png "./$three/option.png"  # and check says so of its source
looked_at && grep -q 'option.png" carries the colour profile "Adobe RGB' out.txt || fail "check names no profile: $(cat out.txt)"
# --fix takes nothing away, and says which of its fixes it left.
rm "./$three/movie.bmp" && mkdir "./$three/movie.bmp"
looked_at --fix && grep -q "not run, as it removes or moves aside what may be yours: rmdir" out.txt &&
    [ -d "./$three/movie.bmp" ] || fail "check --fix ran or hid a removal: $(cat out.txt)"
echo "documents and linked pictures kept before they were replaced; fixes in -skin2 (with a newline) work"
