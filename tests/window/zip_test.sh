#!/usr/bin/env bash
# Builds the Windows zip with CPack, unpacks it into a fresh wine prefix and runs both programs
# from the unpacked folder: orbskin-cli.exe packs the sample pictures, and orbskin.exe, given a
# folder that does not exist, refuses it in a message box and exits with status 1.
# Usage: zip_test.sh BUILD_DIR WINE
set -euo pipefail
build=$1 wine=$2
work=$(mktemp -d)
pids=()
finish() {
    WINEPREFIX=$work/prefix "$(dirname "$wine")/wineserver" -k 2>/dev/null || true
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cpack -G ZIP -B "$work" --config "$build/CPackConfig.cmake" >"$work/cpack.log" 2>&1 ||
    fail "cpack: $(cat "$work/cpack.log")"
zip=$(ls "$work"/orbskin-*-windows-x*.zip)
unzip -q "$zip" -d "$work/unpacked"
[ "$(cd "$work/unpacked" && ls | sort | tr '\n' ' ')" = "README.txt orbskin-cli.exe orbskin.exe " ] ||
    fail "the zip holds: $(ls "$work/unpacked")"

# A display before the prefix starts, so that wine's desktop can show the message box.
source "$(dirname "$0")/desktop.sh"
start_desktop
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1

"$wine" "$build/samples/orbskin-make-samples.exe" "$work/pictures" >/dev/null
(cd "$work/pictures" && "$wine" "$work/unpacked/orbskin-cli.exe" pack) | tr -d '\r' |
    grep -qx 'Finish!' || fail "orbskin-cli.exe from the zip did not pack"
[ "$(stat -c %s "$work/pictures/ORBSKIN.000")" = 443904 ] || fail "the skin is not 443904 bytes"

"$wine" "$work/unpacked/orbskin.exe" 'C:\no such folder' &
app=$!
wait_for 30 xdotool search --onlyvisible --name '^Generate ORBSKIN$' ||
    fail "no box refused the missing folder"
box=$(xdotool search --onlyvisible --name '^Generate ORBSKIN$' | head -n1)
xdotool windowactivate --sync "$box" key --clearmodifiers Return
status=0
wait "$app" || status=$?
[ "$status" = 1 ] || fail "orbskin.exe given a missing folder exited with $status, not 1"
echo "$(basename "$zip") unpacks, and both programs run from it"
