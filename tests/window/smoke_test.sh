#!/usr/bin/env bash
# Starts the real orbskin on an X server (Xvfb with openbox), as a user would in a folder of
# pictures: checks the window's title, size and hints, presses Enter, compares the skin with
# orbskin-cli's, reads the message box's caption, dismisses it, closes the window by its close
# box and expects a clean exit.
# Usage: smoke_test.sh ORBSKIN ORBSKIN_CLI MAKE_SAMPLES
set -euo pipefail
orbskin=$1 cli=$2 make_samples=$3

work=$(mktemp -d)
pids=()
finish() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap finish EXIT
fail() {
    echo "FAIL: $*" >&2
    [ -f "$work/orbskin.log" ] && sed "s/^/orbskin: /" "$work/orbskin.log" >&2
    [ -f "$work/openbox.log" ] && sed "s/^/openbox: /" "$work/openbox.log" >&2
    exit 1
}

# wait_for SECONDS COMMAND...: retries the command every 0.1 s until it succeeds.
wait_for() {
    local tries=$(($1 * 10)); shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
unset QT_QPA_PLATFORM
openbox >"$work/openbox.log" 2>&1 &
pids+=($!)
# xprop succeeds even when the property is missing; the window manager is ready once it is set.
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
    fail "openbox did not start"

"$make_samples" "$work/pictures"
"$make_samples" "$work/expected"
"$cli" pack --dir "$work/expected" >/dev/null

cd "$work/pictures"
"$orbskin" >"$work/orbskin.log" 2>&1 &
app=$!
wait_for 10 xdotool search --onlyvisible --name "^Generate ORBSKIN\$" ||
    fail "no window appeared: $(xwininfo -root -tree | grep -i orbskin)"
window=$(xdotool search --onlyvisible --name '^Generate ORBSKIN$' | head -n1)

# The caption as the window manager sees it, a fixed client size, and no minimise or maximise.
xprop -id "$window" _NET_WM_NAME | grep -qx '_NET_WM_NAME(UTF8_STRING) = "Generate ORBSKIN"' ||
    fail "caption: $(xprop -id "$window" _NET_WM_NAME)"
geometry=$(xwininfo -id "$window")
grep -q 'Width: 440$' <<<"$geometry" && grep -q 'Height: 321$' <<<"$geometry" ||
    fail "client size: $geometry"
hints=$(xprop -id "$window" WM_NORMAL_HINTS)
grep -q 'minimum size: 440 by 321' <<<"$hints" && grep -q 'maximum size: 440 by 321' <<<"$hints" ||
    fail "size hints: $hints"
# _MOTIF_WM_HINTS functions: 0x8 minimise and 0x10 maximise must both be clear.
functions=$(xprop -id "$window" _MOTIF_WM_HINTS | awk -F'[=,] *' '{print $3}')
(( (functions & 0x18) == 0 )) || fail "minimise or maximise allowed: functions $functions"

# Placed by its outer size: centred across the 1024 x 768 screen, 500 twips above the middle.
read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
client_x=$(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry")
client_y=$(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry")
frame_x=$((client_x - left)) frame_y=$((client_y - top))
want_x=$(awk -v w=$((440 + left + right)) 'BEGIN {printf "%d", (1024 - w) / 2 + 0.5}')
want_y=$(awk -v h=$((321 + top + bottom)) 'BEGIN {v = ((768 - h) * 15 / 2 - 500) / 15; printf "%d", v < 0 ? v - 0.5 : v + 0.5}')
(( ${frame_x#-} - ${want_x#-} <= 1 && ${want_x#-} - ${frame_x#-} <= 1 &&
   ${frame_y#-} - ${want_y#-} <= 1 && ${want_y#-} - ${frame_y#-} <= 1 )) ||
    fail "frame at $frame_x,$frame_y; expected $want_x,$want_y"

xdotool windowactivate --sync "$window"
xdotool key --clearmodifiers Return
wait_for 10 test -f ORBSKIN.000 || fail "Enter wrote no ORBSKIN.000"
wait_for 10 sh -c "[ \$(xdotool search --onlyvisible --name '^Generate ORBSKIN\$' | wc -l) -ge 2 ]" ||
    fail "no message box appeared"
cmp ORBSKIN.000 "$work/expected/ORBSKIN.000" || fail "the skin differs from orbskin-cli's"
for id in $(xdotool search --onlyvisible --name 'Generate ORBSKIN'); do
    [ "$id" = "$window" ] && continue
    xprop -id "$id" _NET_WM_NAME | grep -qx '_NET_WM_NAME(UTF8_STRING) = "Generate ORBSKIN"' ||
        fail "message box caption: $(xprop -id "$id" _NET_WM_NAME)"
done

xdotool key --clearmodifiers Return
wait_for 10 sh -c "[ \$(xdotool search --onlyvisible --name '^Generate ORBSKIN\$' | wc -l) -eq 1 ]" ||
    fail "the message box was not dismissed"
ls "$work/pictures" | grep -q '\.tmp-' && fail "a temporary file was left"

# The close box: openbox closes the active window on Alt+F4 as from its title bar.
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && fail "orbskin did not exit after its window was closed"
wait "$app" || fail "orbskin exited with status $?: $(cat "$work/orbskin.log")"
echo "orbskin smoke test passed on display $DISPLAY"
