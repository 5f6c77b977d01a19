# Shared by the window's test scripts: an X server with a window manager, as a desktop has.
# Source it after defining `work` (a scratch folder), `pids` (processes to end) and `fail`.

# wait_for SECONDS COMMAND...: retries the command every 0.1 s until it succeeds.
wait_for() {
    local tries=$(($1 * 10)); shift
    until "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ $tries -gt 0 ] || return 1
        sleep 0.1
    done
}

# Starts Xvfb (1024 x 768) and openbox, and points DISPLAY at them.
start_desktop() {
    exec 3>"$work/display"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$work/xvfb.log" 2>&1 &
    pids+=($!)
    wait_for 10 test -s "$work/display" || fail "Xvfb did not start"
    export DISPLAY=:$(head -n1 "$work/display")
    openbox >/dev/null 2>&1 &
    pids+=($!)
    # xprop succeeds even when the property is missing; openbox is ready once it is set.
    wait_for 10 sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK | grep -q "window id"' ||
        fail "openbox did not start"
}
