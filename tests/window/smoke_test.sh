#!/usr/bin/env bash
# Starts the real orbskin on an X server (Xvfb with openbox), as a user would in a folder of
# pictures, and drives it with xdotool: the window's title, size, hints and place; Enter writes
# the skin orbskin-cli writes; a failed check and a bad last field show their message and leave
# the disk alone; the window still works after each; Alt+F4 ends it with status 0. For the
# Windows program, run under wine, a probe inside wine also reads each message box's text, the
# focus for the Tab order, and the frame Windows computed (openbox draws its own).
# Usage: smoke_test.sh ORBSKIN ORBSKIN_CLI MAKE_SAMPLES [WINE PROBE]
set -euo pipefail
orbskin=$1 cli=$2 make_samples=$3 run=${4:-} probe=${5:-}

source "$(dirname "$0")/../support/scratch.sh"
pids=()  # the X server's and the window manager's, ended with the scratch folder
finish() { for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done; rm -rf "$work"; }
trap finish EXIT
fail() { echo "FAIL: $*" >&2; [ ! -f "$work/orbskin.log" ] || sed "s/^/orbskin: /" "$work/orbskin.log" >&2; exit 1; }
# wait_for SECONDS COMMAND...: retries the command every 0.1 s until it succeeds.
wait_for() {
    local tries=$(($1 * 10)); shift
    until "$@" >/dev/null 2>&1; do
        ((--tries > 0)) || return 1
        sleep 0.1
    done
}
# An X server (1024 x 768) with a window manager, as a desktop has.
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
pids+=($!)
wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=:$(head -n1 "$work/display")
openbox >/dev/null 2>&1 &
pids+=($!)
# xprop succeeds even when the property is missing; openbox is ready once it is set.
wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' || fail "openbox did not start"
unset QT_QPA_PLATFORM

# The skin of the starting values, and of field n holding n * 9 + 2 with the hint cleared.
fields=() n=1
for group in list-color:3 selected-color:3 ebook-color:3 movie-icon:2 music-icon:2 image-icon:2 \
             game-icon:2 ebook-icon:2 setup-icon:2 list-position:2 menu-text-offset:2; do
    values=()
    for _ in $(seq "${group#*:}"); do values+=($((n * 9 + 2))) n=$((n + 1)); done
    fields+=("--${group%:*}=$(IFS=,; echo "${values[*]}")")
done
(cd "$work" && $run "$make_samples" pictures && $run "$make_samples" expected &&
    $run "$make_samples" typed && $run "$cli" pack --dir expected &&
    $run "$cli" pack --dir typed --no-hint "${fields[@]}") >/dev/null
# A start folder that does not exist is refused in a box, and the program ends with status 1.
# The first window under wine can take most of a minute to appear: the waits allow for it.
# Our windows, the main one and its boxes; and whether they number $1.
ours() { xdotool search --onlyvisible --name '^Generate ORBSKIN$'; }
ours_are() { [ "$(ours | wc -l)" = "$1" ]; }
$run "$orbskin" "$work/no such folder" >"$work/orbskin.log" 2>&1 &
refused=$!
wait_for 120 ours || fail "no box refused the missing folder"
xdotool windowactivate --sync "$(ours | head -n1)" key --clearmodifiers Return
status=0 && wait "$refused" || status=$?
[ "$status" = 1 ] || fail "given a missing folder, the program ended with $status, not 1"

cd "$work/pictures"
$run "$orbskin" >"$work/orbskin.log" 2>&1 &
app=$!
wait_for 120 ours || fail "no window appeared"
window=$(ours | head -n1)

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

# Placed by its outer size: centred across the screen, 500 twips (33 1/3 pixels) above the middle.
if [ -n "$probe" ]; then
    read -r frame_x frame_y outer_w outer_h screen_w screen_h < <($run "$probe" frame)
else
    read -r left right top bottom < <(xprop -id "$window" _NET_FRAME_EXTENTS | tr -d ',' | awk '{print $3, $4, $5, $6}')
    frame_x=$(( $(awk '/Absolute upper-left X/ {print $4}' <<<"$geometry") - left ))
    frame_y=$(( $(awk '/Absolute upper-left Y/ {print $4}' <<<"$geometry") - top ))
    outer_w=$((440 + left + right)) outer_h=$((321 + top + bottom)) screen_w=1024 screen_h=768
fi
read -r want_x want_y < <(awk -v sw="$screen_w" -v sh="$screen_h" -v w="$outer_w" -v h="$outer_h" \
    'function round(v) { return v < 0 ? int(v - 0.5) : int(v + 0.5) }
     BEGIN { print round((sw - w) / 2), round(((sh - h) * 15 / 2 - 500) / 15) }')
(( (frame_x - want_x) ** 2 <= 1 && (frame_y - want_y) ** 2 <= 1 )) ||
    fail "frame at $frame_x,$frame_y; expected $want_x,$want_y"

# press KEY MESSAGE: presses KEY in the window; one box must appear with the caption, and with
# MESSAGE as its text where the probe can read it; Enter dismisses it.
press() {
    xdotool windowactivate --sync "$window" key --clearmodifiers "$1"
    wait_for 10 ours_are 2 || fail "no message box appeared for: $2"
    if [ -n "$probe" ]; then
        box=$($run "$probe" box | tr -d '\r')
        [ "$box" = "Generate ORBSKIN"$'\n'"$2" ] || fail "the box showed: $box; expected: $2"
    fi
    xdotool key --clearmodifiers Return
    wait_for 10 ours_are 1 || fail "the box for \"$2\" was not dismissed"
}
# type_in_last_field TEXT: from the button, Shift+Tab to Text25, replaces its text, Tab back.
type_in_last_field() {
    xdotool windowactivate --sync "$window" key --clearmodifiers shift+Tab End shift+Home BackSpace
    xdotool type "$1"
    xdotool key --clearmodifiers Tab
}

press Return "Finish!"
cmp ORBSKIN.000 "$work/expected/ORBSKIN.000" || fail "the skin differs from orbskin-cli's"
ls | grep -q '\.tmp-' && fail "a temporary file was left"
mv game.bmp "$work/"
press Return "game.bmp not found!"
mv "$work/game.bmp" .
type_in_last_field 256
press Return 'Main menu text offset, Y: "256" is not a number from 0 to 255'
cmp ORBSKIN.000 "$work/expected/ORBSKIN.000" || fail "a failed run changed the skin"

if [ -n "$probe" ]; then
    expected="$(printf 'Text%d ' $(seq 1 23))Check1 Text24 Text25 Command3 "
    order=""
    for _ in $(seq 27); do
        xdotool key --clearmodifiers Tab
        order+="$($run "$probe" focus | tr -d '\r') "
    done
    [ "$order" = "$expected" ] || fail "Tab order: $order"
fi

# Every field to its own byte: from the button, Tab into each field (which selects its text), type
# its number, and clear "Show hint" on the way.
xdotool windowactivate --sync "$window" key --clearmodifiers Tab
for n in $(seq 25); do
    xdotool type $((n * 9 + 2)) && xdotool key --clearmodifiers Tab
    [ "$n" != 23 ] || xdotool key --clearmodifiers space Tab
done
press Return "Finish!"
cmp ORBSKIN.000 "$work/typed/ORBSKIN.000" || fail "the typed fields do not give orbskin-cli's skin"

# The close box: openbox closes the active window on Alt+F4 as from its title bar.
xdotool windowactivate --sync "$window" key --clearmodifiers alt+F4
wait_for 10 eval "! kill -0 $app" || fail "orbskin did not exit after its window was closed"
wait "$app" || fail "orbskin exited with status $?"
echo "orbskin smoke test passed on display $DISPLAY"
