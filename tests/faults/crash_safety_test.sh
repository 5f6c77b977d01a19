#!/usr/bin/env bash
# Kills orbskin-cli pack with SIGKILL at random instants, 200 times, over an existing skin. The
# skin must always be the old file or the complete new one. The shim slows each file operation
# a little so that kills land inside the writing as well as before and after it.
# Usage: crash_safety_test.sh ORBSKIN_CLI MAKE_SAMPLES SHIM
source "$(dirname "$0")/common.sh"

# How long a whole run takes here, so that the kills spread over all of it.
restore_old_skin
start=$(date +%s%N)
LD_PRELOAD=$shim ORBSKIN_FAIL_DIR=$dir ORBSKIN_DELAY_US=300 "$cli" pack --dir "$dir" \
    "${new_options[@]}" >/dev/null
span_us=$(( ($(date +%s%N) - start) / 1000 * 12 / 10 ))

old=0 new=0 interrupted=0
RANDOM=2026
for ((run = 1; run <= 200; run++)); do
    restore_old_skin
    LD_PRELOAD=$shim ORBSKIN_FAIL_DIR=$dir ORBSKIN_DELAY_US=300 "$cli" pack --dir "$dir" \
        "${new_options[@]}" >/dev/null 2>&1 &
    pid=$!
    sleep "$(printf '0.%06d' $(( (RANDOM * 32768 + RANDOM) % span_us )))"
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    case $(which_skin) in
        old) old=$((old + 1)) ;;
        new) new=$((new + 1)) ;;
        *) fail "run $run left a skin that is neither the old nor the new one" ;;
    esac
    if [ "$(leftovers)" -gt 0 ]; then
        interrupted=$((interrupted + 1))
        rm -f "$dir"/ORBSKIN.000.tmp-*
    fi
done
echo "200 kills: old skin $old times, new skin $new times, $interrupted killed while writing"
[ "$interrupted" -gt 0 ] || fail "no kill landed while the skin was being written"
