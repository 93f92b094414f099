# The screen saver's checks under Wine, for tests/windows/run (whose variables and helpers they
# use): Plume.scr in each of Windows' modes, driven as Windows and a user would drive it, with
# xdotool for the user. Each check runs its controls, whose failure it asserts.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $tools and $windows_tools: tests/windows/run's

SCREEN_SIZE=1280x1024 # start_x_server's screen
PREVIEW_SIZE=320x240  # tests/windows/preview_parent.cpp's window
# A picture shows the sky, not white faces (0.999 without images) nor nothing (black), when its
# mean level and each corner's lie between these; the sky measures 0.3-0.7.
DARKEST_SKY=0.05
LIGHTEST_SKY=0.95
END_MS=1000   # how soon the saver must end once it is asked to
STAY_MS=2000  # how long it must go on when it is not
# The settings box, once OK is pressed: Wine takes a window it manages down by waiting up to 2 s
# for the window manager, of which the checks' X server has none.
BOX_END_MS=3000
START_SECONDS=30
SHOTS="$PLUME_ROOT/build-windows/saver-shots" # the last run's pictures, to look at

# saver_folder WITH_IMAGES: a folder holding Plume.scr, and the seven images if WITH_IMAGES is yes.
saver_folder() {
    local folder="$work/saver-$1"
    mkdir -p "$folder" "$work/elsewhere" "$SHOTS"
    cp "$windows_tools/Plume.scr" "$folder/"
    [ "$1" != yes ] || cp "$PLUME_ROOT"/data/*.tga "$folder/"
    echo "$folder"
}

# sky PICTURE: true if the picture and its four corners each have a mean level of the sky's.
sky() {
    local means
    means=$(for corner in whole NorthWest NorthEast SouthWest SouthEast; do
        if [ "$corner" = whole ]; then
            convert "$1" -format '%[fx:mean] ' info:
        else
            convert "$1" -gravity "$corner" -crop 25%x25%+0+0 +repage -format '%[fx:mean] ' info:
        fi
    done)
    echo "${1##*/}: mean levels (whole, corners) $means"
    awk -v low="$DARKEST_SKY" -v high="$LIGHTEST_SKY" '{
        for (i = 1; i <= NF; ++i) if ($i <= low || $i >= high) exit 1 }' <<<"$means"
}

# start_saver FOLDER ARGUMENTS...: Plume.scr of FOLDER under Wine, from another folder; its pid
# in $saver_pid.
start_saver() {
    local folder=$1
    shift
    (cd "$work/elsewhere" && exec wine "$folder/Plume.scr" "$@" >"$work/saver.log" 2>&1) &
    saver_pid=$!
    positive_pid "$saver_pid"
}

# wait_for_screen: the saver's window shown over the whole screen at the origin; its id.
wait_for_screen() {
    local window='' geometry=''
    for _ in $(seq $((START_SECONDS * 5))); do
        window=$(plume_window)
        [ -z "$window" ] || geometry=$(xwininfo -id "$window" 2>/dev/null |
            awk '/Absolute upper-left X/ { x = $4 } /Absolute upper-left Y/ { y = $4 }
                 /Width:/ { w = $2 } /Height:/ { h = $2 } /Map State:/ { m = $3 }
                 END { print w "x" h "+" x "+" y, m }')
        [ "$geometry" != "$SCREEN_SIZE+0+0 IsViewable" ] || { echo "$window"; return 0; }
        sleep 0.2
    done
    echo "no window over the screen (last seen: ${window:-none} ${geometry:-})" >&2
    return 1
}

# ends_within MS PID: true if process PID (a child of this shell) ends within MS milliseconds,
# with status 0; what it saw in $verdict.
ends_within() {
    local started deadline status=0
    positive_pid "$2" || return 1
    started=$(date +%s%N)
    deadline=$((started + $1 * 1000000))
    while kill -0 "$2" 2>/dev/null && [ "$(date +%s%N)" -lt "$deadline" ]; do
        sleep 0.02
    done
    if kill -0 "$2" 2>/dev/null; then
        verdict="still running after $1 ms"
        return 1
    fi
    wait "$2" || status=$?
    verdict="ended after $((($(date +%s%N) - started) / 1000000)) ms with status $status"
    [ "$status" -eq 0 ]
}

stop_saver() {
    positive_pid "$saver_pid" || return 0
    ! kill -0 "$saver_pid" 2>/dev/null || kill "$saver_pid" 2>/dev/null || true
    wait "$saver_pid" 2>/dev/null || true
}

# string_one FILE: string 1 of FILE's string table, Windows' name for a saver (block 1 holds
# strings 0 to 15, each counted UTF-16).
string_one() {
    wrestool -x --raw --type=6 --name=1 "$1" 2>/dev/null | strings -el | head -n 1
}

saver() {
    local folder window name
    mkdir -p "$SHOTS"
    name=$(string_one "$windows_tools/Plume.scr")
    echo "Plume.scr's string 1: ${name:-none}; plume.exe's (the control): $(string_one "$windows_tools/plume.exe")"
    [ "$name" = Plume ] && [ -z "$(string_one "$windows_tools/plume.exe")" ] || return 1
    import -window root "$SHOTS/before.png"
    ! sky "$SHOTS/before.png" || { echo "control: the empty screen passed as the sky"; return 1; }
    folder=$(saver_folder yes)
    start_saver "$folder" /s
    window=$(wait_for_screen) || { stop_saver; return 1; }
    echo "window $window: $SCREEN_SIZE at +0+0, $(xprop -id "$window" _NET_WM_STATE)"
    sleep 1
    import -window root "$SHOTS/saver-1.png"
    sleep 1
    import -window root "$SHOTS/saver-2.png"
    echo "caption: $(xprop -id "$window" WM_NAME | sed 's/^[^"]*//')"
    stop_saver
    sky "$SHOTS/saver-1.png" || return 1
    "$tools/plume-compare" "$SHOTS/saver-1.png" "$SHOTS/saver-1.png" >/dev/null ||
        { echo "control: a picture judged another than itself"; return 1; }
    ! "$tools/plume-compare" "$SHOTS/saver-1.png" "$SHOTS/saver-2.png" ||
        { echo "two pictures a second apart show the same frame: nothing moves"; return 1; }
    echo "a second apart: other frames"
    start_saver "$(saver_folder no)" /s
    wait_for_screen >/dev/null || { stop_saver; return 1; }
    sleep 1
    import -window root "$SHOTS/saver-without-images.png"
    stop_saver
    ! sky "$SHOTS/saver-without-images.png" ||
        { echo "control: the saver without its images passed as the sky"; return 1; }
    echo "control: without its images, the empty screen before it: neither judged the sky"
}

# One row of the input table: INPUT (xdotool's words), and whether it ends the saver.
saver_input_row() {
    local status=0
    xdotool mousemove 640 512
    start_saver "$1" /s
    wait_for_screen >/dev/null || { stop_saver; return 1; }
    sleep 1
    # shellcheck disable=SC2086 # xdotool's command and its arguments
    xdotool $2
    if [ "$3" = ends ]; then
        ends_within "$END_MS" "$saver_pid" || status=1
        echo "$2 (must end): $verdict"
    else
        ! ends_within "$STAY_MS" "$saver_pid" || status=1
        echo "$2 (must go on): $verdict"
        xdotool key space
        ends_within "$END_MS" "$saver_pid" || status=1
        echo "  then a key: $verdict"
    fi
    stop_saver
    return "$status"
}

saver_input() {
    local folder status=0
    folder=$(saver_folder yes)
    saver_input_row "$folder" "key Escape" ends || status=1
    saver_input_row "$folder" "click 1" ends || status=1
    saver_input_row "$folder" "click 3" ends || status=1
    saver_input_row "$folder" "mousemove_relative 20 0" ends || status=1
    saver_input_row "$folder" "mousemove_relative -- 0 -20" ends || status=1
    # The controls of the rows above: a jitter, and a move to the threshold, go on.
    saver_input_row "$folder" "mousemove_relative 1 0" stays || status=1
    saver_input_row "$folder" "mousemove_relative -- -1 1" stays || status=1
    saver_input_row "$folder" "mousemove_relative 10 0" stays || status=1
    return "$status"
}

# start_parent: tests/windows/preview_parent.cpp's window; its handle in $parent_handle, its
# process in $parent_pid and its X window in $parent_window.
start_parent() {
    (exec wine "$windows_tools/preview-parent.exe" >"$work/parent.out" 2>/dev/null) &
    parent_pid=$!
    positive_pid "$parent_pid" || return 1
    for _ in $(seq $((START_SECONDS * 10))); do
        [ ! -s "$work/parent.out" ] || break
        sleep 0.1
    done
    parent_handle=$(tr -d '\r\n' <"$work/parent.out")
    sleep 1
    parent_window=$(xwininfo -root -children | awk '/"preview parent"/ { print $1; exit }')
    if [ -z "$parent_handle" ] || [ -z "$parent_window" ]; then
        echo "no preview parent (handle '$parent_handle')"
        return 1
    fi
}

stop_parent() {
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
    start_parent || { stop_parent; return 1; }
    import -window "$parent_window" "$SHOTS/parent-alone.png"
    ! sky "$SHOTS/parent-alone.png" || { echo "control: the parent alone passed as the sky"; return 1; }
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

# settings_box OWNER ARGUMENTS...: Plume.scr's box; true if it is shown, owned by OWNER's X
# window (or by none), goes on until OK, and ends with 0 within END_MS of it.
settings_box() {
    local owner=$1 box='' transient status=0
    shift
    start_saver "$(saver_folder no)" "$@"
    for _ in $(seq $((START_SECONDS * 5))); do
        box=$(xwininfo -root -children | awk '/"Plume": \("plume.scr"/ { print $1; exit }')
        [ -z "$box" ] || break
        sleep 0.2
    done
    [ -n "$box" ] || { echo "$*: no box"; stop_saver; return 1; }
    sleep 1
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

# Each must end with 2 and the usage line; the last rows, which Windows may pass, are the
# controls and must not.
arguments() {
    local folder arguments status expected failed=0
    folder=$(saver_folder no)
    while IFS='|' read -r expected arguments; do
        status=0
        # shellcheck disable=SC2086 # the row's words are the arguments
        (cd "$work/elsewhere" && exec timeout 30 wine "$folder/Plume.scr" $arguments \
            >"$work/saver.log" 2>&1) || status=$?
        echo "'$arguments': status $status$(grep -q usage "$work/saver.log" && echo ", usage line")"
        [ "$status" -eq "$expected" ] || failed=1
        [ "$expected" -ne 2 ] || grep -q '^usage: Plume.scr' "$work/saver.log" || failed=1
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
2|/p 999999999
0|/a 5
0|-A:77
EOF
    return "$failed"
}
