# Sourced by tests/saver/run: how the hack ends, on a signal or on a failure, each failure with
# one line that says why.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $saver, $window_pid, $test_window and the limits are run's
END_MS=1000 # the longest a signal or a failure may take to end the hack

# ends_on SIGNAL COMMAND...: COMMAND, sent SIGNAL after DRAW_SECONDS, must end with status 0
# within END_MS.
ends_on() {
    local signal=$1 pid started ended status=0
    shift
    "$@" &
    pid=$!
    positive_pid "$pid" || return 2
    sleep "$DRAW_SECONDS"
    started=$(date +%s%3N)
    case "$signal" in
    TERM) kill -s TERM "$pid" ;;
    INT) kill -s INT "$pid" ;;
    KILL) kill -s KILL "$pid" ;;
    esac
    for _ in {1..50}; do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.02
    done
    ended=$(date +%s%3N)
    if kill -0 "$pid" 2>/dev/null; then
        echo "still running $((ended - started)) ms after SIG$signal"
        kill -s KILL "$pid"
        wait "$pid" 2>/dev/null || true
        return 1
    fi
    wait "$pid" || status=$?
    echo "ended with status $status within $((ended - started)) ms of SIG$signal"
    [ "$status" -eq 0 ] && [ $((ended - started)) -le "$END_MS" ]
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

# fails_saying MS TEXT COMMAND...: COMMAND must end within MS with status 1 and one line on
# standard error that holds TEXT.
fails_saying() {
    local limit=$1 text=$2 status=0 started took
    shift 2
    started=$(date +%s%3N)
    timeout --preserve-status 10 "$@" 2>"$work/stderr" || status=$?
    took=$(($(date +%s%3N) - started))
    echo "status $status in $took ms: $(cat "$work/stderr")"
    [ "$status" -eq 1 ] && [ "$(wc -l <"$work/stderr")" -eq 1 ] && grep -qF "$text" "$work/stderr" &&
        [ "$took" -le "$limit" ]
}

no_display() {
    DISPLAY=:$((RANDOM + 1000)) fails_saying "$END_MS" "cannot open display" "$saver"
}

# The hack, with ARGUMENTS, on a display whose X server has no GLX.
without_glx() {
    local status=0
    extra_server Xvfb -extension GLX || return 2
    DISPLAY=$extra_display fails_saying "$END_MS" "no OpenGL visual" "$saver" "$@" || status=$?
    stop_extra_servers
    return "$status"
}

# The window handed over goes, its owner ended, while the hack draws into it: the hack ends
# within END_MS of it, saying so.
window_destroyed() {
    open_test_window 640 480 || return 2
    (sleep "$DRAW_SECONDS" && date +%s%3N >"$work/killed" && stop_process "$window_pid") &
    XSCREENSAVER_WINDOW=$test_window fails_saying 60000 "window $test_window" "$saver" || return 1
    echo "ended $(($(date +%s%3N) - $(cat "$work/killed"))) ms after its window"
    [ $(($(date +%s%3N) - $(cat "$work/killed"))) -le "$END_MS" ]
}

failure_checks() {
    check "no display" no_display
    check "a window id that names no window" fails_saying "$END_MS" "does not exist" "$saver" \
        -window-id 0x7ffff0
    check "no GL visual: a window of its own" without_glx
    check "no GL visual: the root" without_glx --root
    check "the window destroyed while it draws" window_destroyed
    check "control: a hack stopped by SIGINT is judged no failure" expect_status 1 \
        fails_saying "$END_MS" "" timeout --preserve-status -s INT 0.5 "$saver"
}
