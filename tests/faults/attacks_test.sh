#!/usr/bin/env bash
# Attacks on the real orbskin-cli pack over an existing skin: SIGKILL at random instants, 200
# times, and two packs with different settings racing in one folder, 50 times. The skin must
# always be the old file or one complete new one, and a finished race leaves no temporary file.
# Usage: attacks_test.sh ORBSKIN_CLI MAKE_SAMPLES SLOW_IO_SHIM
set -euo pipefail
cli=$1 make_samples=$2 shim=$3
source "$(dirname "$0")/../support/scratch.sh"
# An address-sanitized orbskin-cli accepts the shim in front of its runtime.
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0

dir=$work/pictures
"$make_samples" "$dir"
old_options=(--list-color=1,2,3 --no-hint)
new_options=(--list-color=200,100,50 --movie-icon=5,6)
for side in old new; do
    mkdir "$work/$side" && cp "$dir"/*.bmp "$work/$side/"
    options=${side}_options[@]
    "$cli" pack --dir "$work/$side" "${!options}" >/dev/null
done
cmp -s "$work/old/ORBSKIN.000" "$work/new/ORBSKIN.000" && fail "the two skins should differ"
which_skin() {
    for side in old new; do cmp -s "$dir/ORBSKIN.000" "$work/$side/ORBSKIN.000" && { echo $side; return; }; done
    echo neither
}
leftovers() { find "$dir" -maxdepth 1 -name 'ORBSKIN.000.tmp-*' | wc -l; }
slow=(env LD_PRELOAD="$shim" ORBSKIN_DELAY_US=300 "$cli" pack --dir "$dir" "${new_options[@]}")

# How long a slowed run takes here, so that the kills spread over all of it; bash's own clock,
# as starting "date" would add its own start-up to the span.
start=${EPOCHREALTIME/./}
"${slow[@]}" >/dev/null
span_us=$(( (${EPOCHREALTIME/./} - start) * 12 / 10 ))
interrupted=0
RANDOM=2026
for ((run = 1; run <= 200; run++)); do
    cp "$work/old/ORBSKIN.000" "$dir/"
    # Started directly, so that the kill reaches orbskin-cli itself and not a subshell.
    "${slow[@]}" >/dev/null 2>&1 &
    pid=$!
    sleep "$(printf '0.%06d' $(( (RANDOM * 32768 + RANDOM) % span_us )))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ "$(which_skin)" != neither ] || fail "kill $run left a skin that is neither the old nor the new one"
    [ "$(leftovers)" -eq 0 ] || { interrupted=$((interrupted + 1)); rm -f "$dir"/ORBSKIN.000.tmp-*; }
done
echo "200 kills, $interrupted of them while the skin was being written"
[ "$interrupted" -gt 0 ] || fail "no kill landed while the skin was being written"

for ((run = 1; run <= 50; run++)); do
    cp "$work/old/ORBSKIN.000" "$dir/"
    "$cli" pack --dir "$dir" "${old_options[@]}" >"$work/out1" 2>&1 & one=$!
    "$cli" pack --dir "$dir" "${new_options[@]}" >"$work/out2" 2>&1 & two=$!
    wait "$one" || fail "race $run: the first pack failed: $(cat "$work/out1")"
    wait "$two" || fail "race $run: the second pack failed: $(cat "$work/out2")"
    [ "$(which_skin)" != neither ] || fail "race $run left a mixed or partial skin"
    [ "$(leftovers)" -eq 0 ] || fail "race $run left a temporary file"
done
echo "50 races, each ending with one complete skin"
