#!/usr/bin/env bash
# Every command of orbskin-cli in folders named in Latin, CJK and emoji: given as Windows paths
# (Z:\...) and as paths starting with "/", the skin and pictures must be those of a plainly named
# folder, and printed paths must carry the folder's name in UTF-8.
# Usage: folder_names_test.sh ORBSKIN_CLI MAKE_SAMPLES [RUNNER]   (RUNNER: wine's loader)
set -euo pipefail
cli=$1 make_samples=$2 runner=${3:-}
source "$(dirname "$0")/../support/scratch.sh"

$runner "$make_samples" "$work/plain" >/dev/null
run pack --dir "$(native "$work/plain")" >/dev/null || fail "pack in a plain folder"
for name in "Skins José" "皮肤 スキン" "🎨 émoji"; do
    dir=$work/$name win=$(native "$work/$name")
    mkdir "$dir" "$dir/imported" && cp "$work/plain"/*.bmp "$dir/"
    [ "$(run pack --dir "$win")" = "Finish!" ] || fail "$name: pack: $(run pack --dir "$win")"
    cmp -s "$dir/ORBSKIN.000" "$work/plain/ORBSKIN.000" || fail "$name: the skin differs"
    run check --dir "$win" >"$work/out" || fail "$name: check: $(cat "$work/out")"

    run unpack --dir "$(native "$dir/unpacked")" "$dir/ORBSKIN.000" >"$work/out" || fail "$name: unpack: $(cat "$work/out")"
    run pack --dir "$(native "$dir/unpacked")" >/dev/null && cmp -s "$dir/unpacked/ORBSKIN.000" \
        "$work/plain/ORBSKIN.000" || fail "$name: unpack gave other pictures"
    run import "$(native "$dir/mainnds.bmp")" mainnds.bmp --dir "$(native "$dir/imported")" >"$work/out" ||
        fail "$name: import: $(cat "$work/out")"
    grep -qF "wrote $(native "$dir/imported/mainnds.bmp")" "$work/out" || fail "$name: import printed $(cat "$work/out")"
    cmp -s "$dir/mainnds.bmp" "$dir/imported/mainnds.bmp" || fail "$name: import changed the picture"
    run preview "$dir/ORBSKIN.000" -o "$(native "$dir/sheet.png")" >"$work/out" || fail "$name: preview: $(cat "$work/out")"
    [ "$(/usr/bin/identify -format %m "$dir/sheet.png")" = PNG ] || fail "$name: preview wrote no PNG"

    ! run import "$(native "$dir/gone.png")" dir.bmp --dir "$(native "$dir/imported")" >"$work/out" || fail "$name: imported nothing"
    grep -qF "cannot open \"$(native "$dir/gone.png")\": no such file" "$work/out" ||
        fail "$name: the error names the file as $(cat "$work/out")"
done

# A fix printed for a folder named as a variable works as printed, in the shell it is printed
# for: cmd.exe expands %NAME% even between quotes.
dir=$work/%PATH%
$runner "$make_samples" "$dir" >/dev/null && rm "$dir/mainnds.bmp"
/usr/bin/convert "$work/plain/mainnds.bmp" "$dir/mainnds.png"
fix=$(run check --dir "$(native "$dir")" | sed -n 's/^ *fix: orbskin-cli \(import .*\)$/\1/p' || true)
[ -n "$fix" ] || fail "no import fix for $dir: $(run check --dir "$(native "$dir")")"
if [ -n "$runner" ]; then
    printf '%s %s\r\nexit\r\n' "$(native "$cli")" "$fix" | $runner cmd >"$work/out" 2>&1 || true
else
    eval "\"\$cli\" $fix" >"$work/out" 2>&1 || true
fi
run check --dir "$(native "$dir")" >/dev/null || fail "the printed fix failed: $fix: $(cat "$work/out")"
echo "pack, check, unpack, import and preview work in folders named in three scripts and as a variable"
