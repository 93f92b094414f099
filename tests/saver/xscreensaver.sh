# Sourced by tests/saver/run: XScreenSaver's own daemon on the check's X server, with a HOME of
# the check's own whose ~/.xscreensaver names one program, activated at once.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $saver and DRAW_SECONDS are run's

DAEMON_SECONDS=10 # for the daemon to answer xscreensaver-command

# The command words that run a command as the daemon's user, in the check's folder with its HOME:
# as root the daemon blanks the screen but starts no hack, so there it runs as nobody, who may
# not reach the checkout (a private folder) nor so the working directory CTest gives within it.
daemon_user() {
    daemon_as=(env -C "$work" HOME="$work/home")
    [ "$(id -u)" -ne 0 ] || daemon_as=(setpriv --reuid=nobody --regid=nogroup --clear-groups
        "${daemon_as[@]}")
}

# A HOME whose ~/.xscreensaver runs PROGRAM (a `programs` entry) at once when activated, and
# never locks or fades.
daemon_home() {
    rm -rf "${work:?}/home"
    mkdir -p "$work/home"
    printf '%s\n' 'mode: one' 'selected: 0' 'lock: False' 'fade: False' 'unfade: False' \
        'splash: False' 'timeout: 0:30:00' "programs: $1 \\n" >"$work/home/.xscreensaver"
    chmod 755 "$work"
    [ "$(id -u)" -ne 0 ] || chown -R nobody:nogroup "$work/home"
}

# hack_pid: the process of this build's hack (its copy in the check's folder) that the daemon
# started, if one runs.
hack_pid() {
    pgrep -x -f "$hack_copy --root" | head -n 1 || true
}

# xscreensaver_shows PROGRAM: the daemon, with `programs` naming only PROGRAM, activated; the
# screen must show the scene (else 1), drawn by this build's hack run by the daemon (else 3).
xscreensaver_shows() {
    local daemon hack seconds activated status=0 shot="$work/screen-$RANDOM.png"
    daemon_home "$1"
    daemon_user
    "${daemon_as[@]}" test -x "$hack_copy" ||
        { fail_setup "the daemon's user cannot run $hack_copy (is TMPDIR private?)"; return; }
    # A simple command, so that $! is the daemon's own process (setpriv and env exec it).
    "${daemon_as[@]}" xscreensaver -no-splash >"$work/xscreensaver.log" 2>&1 &
    daemon=$!
    positive_pid "$daemon" || return 2
    wait_until "$DAEMON_SECONDS" "${daemon_as[@]}" xscreensaver-command -version >/dev/null 2>&1 || true
    "${daemon_as[@]}" xscreensaver-command -activate >/dev/null 2>&1 || echo "-activate failed"
    activated=$(date +%s.%N)
    sleep "$DRAW_SECONDS"
    hack=$(hack_pid)
    seconds=$(plus "$(date +%s.%N)" "-$activated")
    [ -z "$hack" ] || seconds=$(process_seconds "$hack")
    grab root "$shot"
    stop_process "$daemon"
    if [ -n "$hack" ]; then
        echo "the daemon ran plume-saver (pid $hack): $(tr '\0' ' ' <"/proc/$hack/cmdline")"
    else
        echo "no plume-saver of this build ran; the daemon said:"
        tail -n 5 "$work/xscreensaver.log" | tr -d '\0'
        status=3
    fi
    # The daemon ends its hack with SIGTERM as it exits.
    [ -z "$hack" ] || wait_until 5 gone "$hack" || true
    shows_scene "$shot" "$seconds" || status=1
    return "$status"
}

# The hack and its images laid out as installed in the check's folder, readable by all: the
# daemon's user runs the copy, which finds its images from where it is (../../share/plume).
install_hack_copy() {
    mkdir -p "$work/libexec/xscreensaver" "$work/share/plume"
    cp "$saver" "$work/libexec/xscreensaver/plume"
    cp "$PLUME_ROOT"/data/*.tga "$work/share/plume/"
    chmod -R a+rX "$work/libexec" "$work/share"
    hack_copy=$(readlink -f "$work/libexec/xscreensaver/plume")
}

xscreensaver_checks() {
    install_hack_copy
    check "xscreensaver-command -activate with 'GL: plume --root' only: the scene on the screen" \
        xscreensaver_shows "GL: $hack_copy --root"
    check "control: a programs list naming a missing program: the screen is judged another" \
        expect_status 1 xscreensaver_shows "GL: $hack_copy-missing --root"
}
