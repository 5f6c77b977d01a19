#!/usr/bin/env bash
# Fails each file operation of a real pack run in turn, with EIO and then ENOSPC. After every
# failure: status 1, a message naming a file and the cause, no temporary file left, and the old
# skin byte for byte; only a failed folder sync after the rename may leave the complete new skin.
# Usage: fault_injection_test.sh ORBSKIN_CLI MAKE_SAMPLES SHIM
source "$(dirname "$0")/common.sh"

restore_old_skin
LD_PRELOAD=$shim ORBSKIN_FAIL_DIR=$dir ORBSKIN_LOG=$work/log "$cli" pack --dir "$dir" \
    "${new_options[@]}" >/dev/null
read -r total _ <"$work/log"
cmp -s "$dir/ORBSKIN.000" "$new_skin" || fail "the counting run did not write the new skin"
[ "$total" -ge 30 ] || fail "only $total file operations were seen"

declare -A cause=([5]="Input/output error" [28]="No space left on device")
runs=0
for error in 5 28; do
    for ((n = 1; n <= total; n++)); do
        restore_old_skin
        status=0
        LD_PRELOAD=$shim ORBSKIN_FAIL_DIR=$dir ORBSKIN_FAIL_AT=$n ORBSKIN_FAIL_ERRNO=$error \
            ORBSKIN_LOG=$work/log "$cli" pack --dir "$dir" "${new_options[@]}" \
            >"$work/out" 2>"$work/err" || status=$?
        read -r _ op <"$work/log"
        where="operation $n ($op, errno $error)"
        [ "$status" -eq 1 ] || fail "$where: status $status"
        [ ! -s "$work/out" ] || fail "$where: printed $(cat "$work/out")"
        grep -q "${cause[$error]}" "$work/err" || fail "$where: no cause in: $(cat "$work/err")"
        grep -q '"' "$work/err" || fail "$where: no file named in: $(cat "$work/err")"
        [ "$(leftovers)" -eq 0 ] || fail "$where: a temporary file was left"
        if [[ $op == *-folder ]]; then  # the folder sync, after the rename
            cmp -s "$dir/ORBSKIN.000" "$new_skin" || fail "$where: the new skin is not whole"
        else
            cmp -s "$dir/ORBSKIN.000" "$old_skin" || fail "$where: the old skin changed"
        fi
        runs=$((runs + 1))
    done
done
echo "$runs injected failures over $total file operations: every one reported, no skin lost"
