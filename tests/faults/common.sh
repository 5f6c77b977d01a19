# Shared by the attack scripts: a folder of pictures, an old skin and the two complete skins a
# pack may leave. Usage from a script: source common.sh CLI MAKE_SAMPLES SHIM
set -euo pipefail
cli=$1 make_samples=$2 shim=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# An address-sanitized orbskin-cli accepts the shim in front of its runtime.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

fail() { echo "FAIL: $*" >&2; exit 1; }

dir=$work/pictures
"$make_samples" "$dir"
# The skin already there (A), and the one each attack's pack writes (B).
old_options=(--list-color=1,2,3 --no-hint)
new_options=(--list-color=200,100,50 --movie-icon=5,6)
mkdir "$work/a" "$work/b"
cp "$dir"/*.bmp "$work/a/" && cp "$dir"/*.bmp "$work/b/"
"$cli" pack --dir "$work/a" "${old_options[@]}" >/dev/null
"$cli" pack --dir "$work/b" "${new_options[@]}" >/dev/null
old_skin=$work/a/ORBSKIN.000
new_skin=$work/b/ORBSKIN.000
cmp -s "$old_skin" "$new_skin" && fail "the two skins should differ"

restore_old_skin() {
    cp "$old_skin" "$dir/ORBSKIN.000"
}
# Which complete skin the folder holds: "old", "new", or "neither".
which_skin() {
    if cmp -s "$dir/ORBSKIN.000" "$old_skin"; then
        echo old
    elif cmp -s "$dir/ORBSKIN.000" "$new_skin"; then
        echo new
    else
        echo neither
    fi
}
leftovers() { find "$dir" -maxdepth 1 -name 'ORBSKIN.000.tmp-*' | wc -l; }
