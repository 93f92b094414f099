# The screen saver's checks under Wine, for tests/windows/run (whose variables and helpers they
# use): Plume.scr saving the screen (its other modes: saver_modes.sh), driven as Windows and a
# user would drive it, with xdotool for the user. Each check runs its controls, whose failure it
# asserts.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $tools and $windows_tools: tests/windows/run's
# shellcheck source=../saver/judge.sh
source "$(dirname "${BASH_SOURCE[0]}")/../saver/judge.sh"

SCREEN_SIZE=1280x1024 # start_x_server's screen
# A picture shows the sky, not white faces (0.999 without images) nor nothing (black), when its
# mean level and each corner's lie between these; the sky measures 0.3-0.7.
DARKEST_SKY=0.05
LIGHTEST_SKY=0.95
END_MS=1000   # how soon the saver must end once it is asked to
STAY_MS=2000  # how long it must go on when it is not
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

# /s on Xephyr's two screens side by side (in an Xvfb of its own), which Wine reports at 0,0 and
# 1280,0: each half of its window judged the scene at 1280x1024 by the hack's judge
# (tests/saver/judge.sh), aged from the window's showing. The halves measured 0.8-3.5%, the
# control, one view over both (a 2560x1024 frame cut in two), 19-48%: the limit is 10% here. A
# loaded machine may start the saver's clock seconds after its window shows: 4 s more looked back.
saver_monitors() {
    local build=$tools SCENE_LIMIT_PERCENT=10 LATE_SECONDS=4 window shown seconds half status=0
    trap stop_extra_servers EXIT
    extra_server Xvfb -screen 0 2600x1100x24 || return 1
    DISPLAY=$extra_display extra_server Xephyr +xinerama -screen 1280x1024 -screen 1280x1024 \
        -extension RANDR || return 1
    export DISPLAY=$extra_display
    start_saver "$(saver_folder yes)" /s
    window=$(SCREEN_SIZE=2560x1024 wait_for_screen) || { stop_saver; return 1; }
    shown=$(date +%s.%N)
    echo "window $window: 2560x1024 at +0+0"
    sleep 2
    seconds=$(plus "$(date +%s.%N)" "-$shown")
    import -window root "PNG24:$SHOTS/monitors.png"
    stop_saver
    "$tools/plume-snapshot" --data "$PLUME_ROOT/data" --time "$(plus "$seconds" -0.5)" \
        --step-ms 16 --size 2560x1024 --out "$work/spanning.png" >/dev/null || return 1
    for half in 0 1; do
        convert "$SHOTS/monitors.png" -crop "1280x1024+$((half * 1280))+0" +repage \
            "PNG24:$SHOTS/monitor-$half.png"
        shows_scene "$SHOTS/monitor-$half.png" "$seconds" || status=1
        convert "$work/spanning.png" -crop "1280x1024+$((half * 1280))+0" +repage \
            "PNG24:$work/spanning-$half.png"
        # The control's own time is known: no later start to look back for.
        ! LATE_SECONDS=0 shows_scene "$work/spanning-$half.png" "$seconds" || status=1
    done
    return "$status"
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
