# Sourced by tests/saver/run: how the hack ends, on a signal or on a failure, each failure with
# one line that says why.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $saver, $window_pid, $test_window and the limits are run's
END_MS=1000 # the longest a signal or a failure may take to end the hack

# ends_on SIGNAL COMMAND...: COMMAND, sent SIGNAL after DRAW_SECONDS, must end with status 0
# within END_MS.
ends_on() {
    local signal=$1 pid status=0
    shift
    "$@" &
    pid=$!
    positive_pid "$pid" || return 2
    sleep "$DRAW_SECONDS"
    kill "-$signal" "$pid"
    ends_within "$END_MS" "$pid" || status=1
    echo "SIG$signal: $verdict"
    gone "$pid" || { kill -s KILL "$pid"; wait "$pid" 2>/dev/null || true; }
    return "$status"
}

# ends_on for the hack on a test window of its own.
saver_ends_on() {
    open_test_window 640 480 || return 2
    local status=0
    XSCREENSAVER_WINDOW=$test_window ends_on "$1" "$saver" || status=$?
    stop_process "$window_pid"
    return "$status"
}

sigterm_checks() {
    check "SIGTERM ends it with 0 within $END_MS ms" saver_ends_on TERM
    check "SIGINT the same" saver_ends_on INT
    check "control: a process that ignores SIGTERM is judged failed" \
        expect_status 1 ends_on TERM bash -c 'trap "" TERM; exec sleep 30'
    check "control: SIGKILL's status 137 is judged failed" expect_status 1 saver_ends_on KILL
}

# ends_saying TEXT PID: PID, whose standard error goes to $work/stderr, must end within END_MS
# from now with status 1 and one line on standard error that holds TEXT.
ends_saying() {
    local status=0
    positive_pid "$2" || return 2
    ends_within "$END_MS" "$2" 1 || status=1
    gone "$2" || stop_process "$2"
    echo "$verdict: $(cat "$work/stderr")"
    [ "$status" -eq 0 ] && [ "$(wc -l <"$work/stderr")" -eq 1 ] && grep -qF "$1" "$work/stderr"
}

# fails_saying TEXT COMMAND...: ends_saying for COMMAND, from its start.
fails_saying() {
    "${@:2}" 2>"$work/stderr" &
    ends_saying "$1" "$!"
}

no_display() {
    DISPLAY=:$((RANDOM + 1000)) fails_saying "cannot open display" "$saver"
}

# The hack, with ARGUMENTS, on a display whose X server has no GLX.
without_glx() {
    local status=0
    extra_server Xvfb -extension GLX || return 2
    DISPLAY=$extra_display fails_saying "no OpenGL visual" "$saver" "$@" || status=$?
    stop_extra_servers
    return "$status"
}

# The window handed over goes, its owner ended, while the hack draws into it: the hack ends
# within END_MS of it, saying so.
window_destroyed() {
    open_test_window 640 480 || return 2
    XSCREENSAVER_WINDOW=$test_window "$saver" 2>"$work/stderr" &
    local pid=$!
    positive_pid "$pid" || return 2
    sleep "$DRAW_SECONDS"
    stop_process "$window_pid"
    ends_saying "window $test_window" "$pid"
}

failures_checks() {
    check "no display" no_display
    check "a window id that names no window" fails_saying "does not exist" "$saver" \
        -window-id 0x7ffff0
    check "no GL visual: a window of its own" without_glx
    check "no GL visual: the root" without_glx --root
    check "the window destroyed while it draws" window_destroyed
    check "control: a hack stopped by SIGINT is judged no failure" expect_status 1 \
        fails_saying "" timeout --preserve-status -s INT 0.5 "$saver"
}
