#!/usr/bin/env bash
# Runs two packs with different settings at once in one folder, 50 times. Both must succeed and
# the skin must be one of the two complete skins.
# Usage: races_test.sh ORBSKIN_CLI MAKE_SAMPLES SHIM
source "$(dirname "$0")/common.sh"

first=0 second=0
for ((run = 1; run <= 50; run++)); do
    restore_old_skin
    "$cli" pack --dir "$dir" "${old_options[@]}" >"$work/out1" 2>&1 &
    one=$!
    "$cli" pack --dir "$dir" "${new_options[@]}" >"$work/out2" 2>&1 &
    two=$!
    wait "$one" || fail "run $run: the first pack failed: $(cat "$work/out1")"
    wait "$two" || fail "run $run: the second pack failed: $(cat "$work/out2")"
    case $(which_skin) in
        old) first=$((first + 1)) ;;
        new) second=$((second + 1)) ;;
        *) fail "run $run left a mixed or partial skin" ;;
    esac
    [ "$(leftovers)" -eq 0 ] || fail "run $run left a temporary file"
done
echo "50 races: the first pack's skin won $first times, the second's $second times"
