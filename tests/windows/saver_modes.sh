# The screen saver's other modes under Wine, for tests/windows/run after saver.sh (whose
# helpers they use): the preview in a parent window, the settings box, refused command lines.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $windows_tools and the helpers' variables: run's and saver.sh's

PREVIEW_SIZE=320x240 # tests/windows/preview_parent.cpp's window
# The settings box, once OK is pressed: Wine takes a window it manages down by waiting up to 2 s
# for the window manager, of which the checks' X server has none.
BOX_END_MS=3000
# Wine on Xvfb reports no refresh rate, so the saver takes 60 Hz; the caption's mean of each
# frame's own rate runs above it as gaps vary: measured 57-64, and 180-201 with no pacing.
MAX_RATE_HZ=75
SAMPLE_SECONDS=3
UNSEEN_PERCENT=5 # of a processor: measured 0% unseen, 14-24% seen (the control)

# start_parent: tests/windows/preview_parent.cpp's window; its handle in $parent_handle, its
# process in $parent_pid, its X window in $parent_window, and its input (parent_says) open.
start_parent() {
    rm -f "$work/parent.in"
    mkfifo "$work/parent.in"
    (exec wine "$windows_tools/preview-parent.exe" <"$work/parent.in" >"$work/parent.out" \
        2>/dev/null) &
    parent_pid=$!
    positive_pid "$parent_pid" || return 1
    exec {parent_input}>"$work/parent.in"
    for _ in $(seq $((START_SECONDS * 10))); do
        [ ! -s "$work/parent.out" ] || break
        sleep 0.1
    done
    parent_handle=$(head -n 1 "$work/parent.out" | tr -d '\r\n')
    sleep 1
    parent_window=$(xwininfo -root -children | awk '/"preview parent"/ { print $1; exit }')
    if [ -z "$parent_handle" ] || [ -z "$parent_window" ]; then
        echo "no preview parent (handle '$parent_handle')"
        return 1
    fi
}

# parent_says COMMAND: one of the parent's commands (minimise, hide, show, caption).
parent_says() {
    positive_pid "$parent_pid" && kill -0 "$parent_pid" 2>/dev/null && echo "$1" >&"$parent_input"
}

stop_parent() {
    [ -z "${parent_input:-}" ] || exec {parent_input}>&-
    positive_pid "$parent_pid" || return 0
    "$tools/plume-close-window" "$parent_pid" >/dev/null 2>&1 || true
    kill "$parent_pid" 2>/dev/null || true
    wait "$parent_pid" 2>/dev/null || true
}

# The preview's GL surface: Wine draws a child window of another process's window off the
# screen, into a window of the parent's client size under a 1-pixel holder.
preview_surface() {
    xwininfo -root -tree | awk -v line="(has no name): ()  $PREVIEW_SIZE+0+0 " 'index($0, line) {
        print $1; exit }'
}

preview() {
    mkdir -p "$SHOTS"
    start_parent || { stop_parent; return 1; }
    import -window "$parent_window" "$SHOTS/parent-alone.png"
    ! sky "$SHOTS/parent-alone.png" ||
        { echo "control: the parent alone passed as the sky"; stop_parent; return 1; }
    start_saver "$(saver_folder yes)" /p "$parent_handle"
    local surface='' status=0
    for _ in $(seq $((START_SECONDS * 5))); do
        surface=$(preview_surface)
        [ -z "$surface" ] || break
        sleep 0.2
    done
    sleep 2
    if [ -z "$surface" ]; then
        echo "no preview surface of $PREVIEW_SIZE"
        status=1
    elif ! import -window "$surface" "$SHOTS/preview.png" || ! sky "$SHOTS/preview.png"; then
        status=1
    fi
    preview_shares || status=1
    # The control of the ending: with its parent there, the preview goes on, deaf to input.
    xdotool mousemove 260 220 click 1 key space
    positive_pid "$saver_pid" && positive_pid "$parent_pid" || return 1
    ! ends_within "$STAY_MS" "$saver_pid" || status=1
    echo "parent kept, clicked and typed at: $verdict"
    "$tools/plume-close-window" "$parent_pid" >/dev/null || { echo "the parent could not be closed"; status=1; }
    ends_within "$END_MS" "$saver_pid" || status=1
    echo "parent closed: $verdict"
    if kill -0 "$parent_pid" 2>/dev/null; then
        echo "the parent's process still runs: the preview ended for its window"
    else
        echo "the parent's process ended before the preview did"
        status=1
    fi
    stop_saver
    stop_parent
    return "$status"
}

# The preview with its parent shown: at most the display's rate by its caption, and over
# UNSEEN_PERCENT of a processor, the control of the parent minimised, then hidden: under it.
preview_shares() {
    local state share rate status=0
    for state in show minimise hide; do
        parent_says "$state" || return 1
        sleep 1
        share=$(cpu_share "$saver_pid" "$SAMPLE_SECONDS")
        if [ "$state" = show ]; then
            parent_says caption
            sleep 0.5
            rate=$(tail -n 1 "$work/parent.out" | sed -n 's/.*FPS:\([0-9]*\).*/\1/p')
            echo "parent told to show: ${share}% of a processor, ${rate:-no} frames a second"
            [ "$share" -ge "$UNSEEN_PERCENT" ] && [ -n "$rate" ] && [ "$rate" -le "$MAX_RATE_HZ" ] ||
                status=1
        else
            echo "parent told to $state: ${share}% of a processor"
            [ "$share" -lt "$UNSEEN_PERCENT" ] || status=1
        fi
    done
    parent_says show
    return "$status"
}

# start_box ARGUMENTS...: Plume.scr's settings box started; its X window in $box, once shown.
start_box() {
    box=''
    start_saver "$(saver_folder no)" "$@"
    for _ in $(seq $((START_SECONDS * 5))); do
        box=$(xwininfo -root -children | awk '/"Plume": \("plume.scr"/ { print $1; exit }')
        [ -z "$box" ] || { sleep 1; return 0; }
        sleep 0.2
    done
    return 1
}

# settings_box OWNER ARGUMENTS...: Plume.scr's box; true if it is shown, owned by OWNER's X
# window (or by none), goes on until OK, and ends with 0 within END_MS of it.
settings_box() {
    local owner=$1 box transient status=0
    shift
    start_box "$@" || { echo "$*: no box"; stop_saver; return 1; }
    local shot=${1:-none}
    import -window "$box" "$SHOTS/settings-${shot//[^a-zA-Z0-9]/_}.png"
    transient=$(xprop -id "$box" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
    echo "$*: box $box $(xwininfo -id "$box" | awk '/Width:/ { w = $2 } /Height:/ { print w "x" $2 }'), owned by ${transient:-no window}"
    [ "${transient:-none}" = "$owner" ] || status=1
    ! ends_within "$STAY_MS" "$saver_pid" || status=1
    echo "  before OK: $verdict"
    # OK, the box's one button, centred 20 pixels above its foot.
    local width height
    read -r width height < <(xwininfo -id "$box" | awk '/Width:/ { w = $2 } /Height:/ { print w, $2 }')
    xdotool mousemove --window "$box" $((width / 2)) $((height - 20)) click 1
    ends_within "$BOX_END_MS" "$saver_pid" || status=1
    echo "  OK: $verdict"
    stop_saver
    return "$status"
}

settings() {
    local status=0
    start_parent || { stop_parent; return 1; }
    settings_box "$parent_window" "/c:$parent_handle" || status=1
    settings_box "$parent_window" -C "$parent_handle" || status=1
    settings_box none || status=1
    # The control: a box with no owner is not judged the parent's.
    ! settings_box "$parent_window" /c >/dev/null || { echo "control: /c's box judged the parent's"; status=1; }
    echo "control: /c's box, owned by no window, is not judged the parent's"
    stop_parent
    return "$status"
}

# manifest_awareness FILE: "DPI_AWARENESS|DPI_AWARE" as FILE's application manifest (resource 1
# of type 24) declares them; "|" for none, which Windows scales as a program of 96 DPI.
manifest_awareness() {
    local awareness
    awareness=$(wrestool -x --raw --type=24 --name=1 "$1" 2>/dev/null | tr -d '\r\n' |
        sed -n 's/.*<dpiAware [^>]*>\([^<]*\)<.*<dpiAwareness [^>]*>\([^<]*\)<.*/\2|\1/p')
    echo "${awareness:-|}"
}

# box_size: the settings box's size, which Windows lays out at the screen's DPI.
box_size() {
    local box
    ! start_box /c || window_state "$box" | cut -d ' ' -f 1
    stop_saver
}

# log_pixels [DPI]: the prefix's screen DPI, as winecfg sets it; without DPI, Wine's own (96).
log_pixels() {
    if [ -n "${1:-}" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f
    else
        wine reg delete 'HKCU\Control Panel\Desktop' /v LogPixels /f
    fi >/dev/null 2>&1
    # Read as a process starts; the desktop's process keeps its own until the server ends.
    wineserver -w
}

# The manifest declares per-monitor awareness (v2, then the older forms), where plume.exe and a
# copy with the declarations renamed (the controls) declare none; at 144 DPI the window covers
# the screen in its pixels. Wine 8 scales no program (the copy's window covers it too), so the
# settings box, larger at 144 than at 96, is the control that the prefix's DPI took.
saver_dpi() {
    local copy="$work/Plume-renamed.scr" file expected awareness box_96 box_144 window status=0
    sed 's/dpiAware/dpiAwarX/g' "$windows_tools/Plume.scr" >"$copy"
    while IFS=: read -r file expected; do
        awareness=$(manifest_awareness "$file")
        echo "${file##*/}: the manifest's awareness '$awareness'"
        [ "$awareness" = "$expected" ] || status=1
    done <<EOF
$windows_tools/Plume.scr:PerMonitorV2, PerMonitor|true/pm
$windows_tools/plume.exe:|
$copy:|
EOF
    # Wine's default first, should an earlier run have been stopped at 144.
    log_pixels
    box_96=$(box_size)
    log_pixels 144
    box_144=$(box_size)
    start_saver "$(saver_folder no)" /s
    window=$(wait_for_screen) || status=1
    echo "at 144 DPI, /s: ${window:+$(window_state "$window") at +0+0}"
    stop_saver
    log_pixels
    echo "the settings box at 96 DPI ${box_96:-not seen}, at 144 DPI ${box_144:-not seen}"
    [ -n "$box_96" ] && [ -n "$box_144" ] && [ "${box_144%x*}" -gt "${box_96%x*}" ] &&
        [ "${box_144#*x}" -gt "${box_96#*x}" ] || status=1
    return "$status"
}

# Rows: the status, the arguments, the display (the check's; none; noglx, an Xvfb without GLX),
# what the debug line says could not be done. A bad command line ends with 2 and the usage line
# and says nothing to a debugger (the lines' control); each failure ends with its own status and
# line; the last rows, which Windows may pass, end with 0.
arguments() {
    local folder arguments status expected where display says said failed=0 served=unset
    folder=$(saver_folder no)
    trap stop_extra_servers EXIT
    extra_server Xvfb -screen 0 640x480x24 -extension GLX || return 1
    while IFS='|' read -r expected arguments where says; do
        status=0
        case "$where" in
        none) display= ;;
        noglx) display=$extra_display ;;
        *) display=$DISPLAY ;;
        esac
        # Wine's desktop lives as long as its wineserver, on the display it began on: a row on
        # another display waits for that server to end, so that its own begins there.
        [ "$display" = "$served" ] || wineserver -w
        served=$display
        # shellcheck disable=SC2086 # the row's words are the arguments
        (cd "$work/elsewhere" && DISPLAY=$display WINEDEBUG=warn+seh exec timeout 30 \
            wine "$folder/Plume.scr" $arguments >"$work/saver.log" 2>&1) || status=$?
        # Wine 8 logs OutputDebugStringW's line as an exception's, on its seh channel.
        said=$(sed -n 's/.*OutputDebugString.*"\(Plume.scr: .*\)\\n"$/\1/p' "$work/saver.log")
        echo "'$arguments'${where:+ ($where)}: status $status$(grep -q usage "$work/saver.log" &&
            echo ", usage line")${said:+, debug line: $said}"
        if [ "$status" -ne "$expected" ] || [[ "$said" != "${says:+Plume.scr: could not $says (}"* ]] ||
            { [ -z "$says" ] && [ -n "$said" ]; } ||
            { [ "$expected" -eq 2 ] && ! grep -q '^usage: Plume.scr' "$work/saver.log"; }; then
            failed=1
            echo "  expected: status $expected${says:+, a line that it could not $says}"
        fi
    done <<'EOF'
2|/x
2|s
2|/
2|/s extra
2|/s5
2|/p
2|/p 0
2|/p abc
2|/p 12abc
2|/p 0x10
2|/p 18446744073709551616
2|/p 5 6
2|/c::5
2|/c: 5
2|--c
3|/p 999999999||find the window /p names
5|/s|none|create its window
6|/s|noglx|choose a GL pixel format
0|/a 5
0|-A:77
EOF
    return "$failed"
}
