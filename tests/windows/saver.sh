# Sourced by tests/windows/run: the screen saver's checks under Wine.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $win, $build, the screen and the limits are run's
END_MS=1000     # how soon the saver ends once asked to
STAY_MS=2000    # how long it goes on when it is not
BOX_END_MS=3000 # Wine takes a managed window down by waiting 2 s for a window manager
# Wine on Xvfb gives no refresh rate: the preview takes 60 Hz (unpaced 180-201), 0% unseen.
MAX_RATE_HZ=75
UNSEEN_PERCENT=5

# saver_copy IMAGES: a copy of Plume.scr in a folder of its own, with the images if IMAGES is yes.
saver_copy() {
    mkdir -p "$work/$1"
    cp "$win/Plume.scr" "$work/$1/"
    [ "$1" = no ] || cp "$PLUME_ROOT"/data/*.tga "$work/$1/"
    echo "$work/$1/Plume.scr"
}

# screen_frame SHOT SAVER: SAVER /s covers the screen ($screen, else the check's), grabbed in SHOT.
screen_frame() {
    start wine "$2" /s
    at_frame "${screen:-$SCREEN+0+0}" "$1" root
}

# ends MS [STATUS]: $pid ends within MS milliseconds with STATUS (0); stays: it goes on.
ends() {
    ends_within "$1" "$pid" "${2:-0}" || { echo "  $verdict"; return 1; }
    echo "  $verdict"
}

stays() {
    ends_within "$STAY_MS" "$pid" || true
    echo "  $verdict"
    [[ "$verdict" == still* ]]
}

# The manifest's DPI awareness (per monitor; renamed, none) as Wine 8 scales nothing; /s shows the
# moving scene, white without images: 1 px stays, 20 (scr_command_line_test's) or a click ends it.
saver() {
    sed 's/dpiAware/dpiAwarX/g' "$win/Plume.scr" >"$work/renamed.scr"
    echo "awareness: '$(awareness "$win/Plume.scr")', renamed '$(awareness "$work/renamed.scr")'"
    [ "$(awareness "$win/Plume.scr")" = "PerMonitorV2, PerMonitor|true/pm" ]
    [ "$(awareness "$work/renamed.scr")" = "|" ]
    xdotool mousemove 400 300
    screen_frame "$work/white.png" "$(saver_copy no)"
    xdotool mousemove_relative -- -1 1
    stays
    xdotool mousemove_relative 20 0
    ends "$END_MS"
    screen_frame "$work/saver.png" "$(saver_copy yes)"
    grab root "$work/later.png"
    xdotool click 1
    ends "$END_MS"
    scene "$work/saver.png" "$work/white.png"
    echo "it moves: the screen a moment later is another frame"
    refuse "$build/plume-compare" "$work/saver.png" "$work/later.png"
}

# awareness FILE: "DPI_AWARENESS|DPI_AWARE" as FILE's manifest declares them, or "|".
awareness() {
    wrestool -x --raw --type=24 --name=1 "$1" 2>/dev/null | tr -d '\r\n' |
        sed 's/.*<dpiAware [^>]*>\([^<]*\)<.*<dpiAwareness [^>]*>\([^<]*\)<.*/\2|\1/;t;s/.*/|/'
}

# Xephyr's two screens, two monitors to Wine: each half of the window the scene (measured 0.8-3.5%)
# where one view over both, cut in two, is not (19-48%); its clock may start seconds late.
saver_monitors() {
    # shellcheck disable=SC2034 # the limits shows_scene (judge.sh) reads, for this check alone
    local half SCENE_LIMIT_PERCENT=10 LATE_SECONDS=4 wide=$((2 * SCREEN_WIDTH))x$SCREEN_HEIGHT
    extra_server Xvfb -screen 0 2600x1100x24
    DISPLAY=$extra_display extra_server Xephyr +xinerama -screen "$SCREEN" -screen "$SCREEN" \
        -extension RANDR
    export DISPLAY=$extra_display
    screen=$wide+0+0 screen_frame "$work/monitors.png" "$(saver_copy yes)"
    "$build/plume-snapshot" --data "$PLUME_ROOT/data" --time "$(plus "$age" -0.5)" \
        --step-ms 16 --size "$wide" --out "$work/spanning.png" >/dev/null
    for half in 0+0 "$SCREEN_WIDTH+0"; do
        convert "$work/monitors.png" -crop "$SCREEN+$half" "PNG24:$work/half.png"
        convert "$work/spanning.png" -crop "$SCREEN+$half" "PNG24:$work/spanning-half.png"
        scene "$work/half.png" "$work/spanning-half.png"
    done
}

# start_parent: preview_parent.cpp's window ($handle, X $window), process $parent, input $to_parent.
start_parent() {
    mkfifo "$work/parent.in"
    (exec wine "$win/preview-parent.exe" <"$work/parent.in" >"$work/parent.out" 2>/dev/null) &
    parent=$!
    positive_pid "$parent" || return 1
    pids+=("$parent")
    exec {to_parent}>"$work/parent.in"
    wait_until "$LIMIT" shown preview 320x240
    handle=$(head -n 1 "$work/parent.out" | tr -d '\r')
}

# preview_surface: the parent-sized window the preview draws in ($surface); preview_counts: rate.
preview_surface() {
    surface=$(xwininfo -root -tree | awk 'index($0, "(has no name): ()  320x240+0+0 ") {
        print $1; exit }')
    [ -n "$surface" ]
}

preview_counts() {
    echo caption >&"$to_parent"
    [[ "$(tail -n 1 "$work/parent.out")" == *FPS:* ]]
}

# The preview draws at the display's rate while its parent is shown, not hidden or minimised (hidden
# first: minimised stays so); deaf to input, it ends with its parent's window, not its process.
preview() {
    local seen_now state share rate shown_at
    start_parent
    grab "$window" "$work/parent.png"
    start wine "$(saver_copy yes)" /p "$handle"
    wait_until "$LIMIT" preview_surface
    shown_at=$(date +%s.%N)
    new_frames "$surface" "$work/preview.png" 2
    age=$(since "$shown_at")
    wait_until "$LIMIT" preview_counts
    # Grabbed through its 1-pixel holder, the surface may lose a row and a column.
    convert "$work/parent.png" -crop "$(identify -format %wx%h "$work/preview.png")+0+0" \
        "PNG24:$work/parent.png"
    scene "$work/preview.png" "$work/parent.png"
    rate=$(tail -n 1 "$work/parent.out" | sed -n 's/.*FPS:\([0-9]*\).*/\1/p')
    echo "the preview's rate: $rate a second"
    ((${rate:-999} <= MAX_RATE_HZ))
    while read -r seen_now state; do
        echo "$state" >&"$to_parent"
        sleep 1 # for the parent's state to reach the saver before its share is taken
        share=$(cpu_share "$pid" 3)
        echo "parent told to $state: $share% of a processor"
        (((share >= UNSEEN_PERCENT) == seen_now))
    done <<<$'1 show\n0 hide\n1 show\n0 minimise\n0 hide\n1 show'
    xdotool mousemove 260 220 click 1 key space
    stays
    "$build/plume-close-window" "$parent" >/dev/null
    ends "$END_MS"
    [ -e "/proc/$parent" ]
}

# Each box owned by the window given, or by none, going on until its OK is clicked.
settings() {
    local parent_window owner arguments transient box
    start_parent
    parent_window=$window
    while read -r owner arguments; do
        # shellcheck disable=SC2086 # the row's words are the arguments
        start wine "$(saver_copy no)" ${arguments/HANDLE/$handle}
        wait_until "$LIMIT" shown Plume ''
        box=${seen%%+*}
        transient=$(xprop -id "$window" WM_TRANSIENT_FOR | sed -n 's/.*# //p')
        echo "'$arguments': box $window $box, owned by ${transient:-no window}"
        [ "${transient:-none}" = "${owner/parent/$parent_window}" ]
        stays
        # OK, the box's one button, centred 20 pixels above its foot.
        xdotool mousemove --window "$window" $((${box%x*} / 2)) $((${box#*x} - 20)) click 1
        ends "$BOX_END_MS"
    done <<<$'parent /c:HANDLE\nnone'
}

# Rows: status, arguments, display (the check's; none; noglx: no GLX), the debug line's failure;
# a bad command line ends with 2 and the usage, silent to a debugger.
arguments() {
    local expected arguments where says display said served=unset
    extra_server Xvfb -screen 0 640x480x24 -extension GLX
    while IFS='|' read -r expected arguments where says; do
        case "$where" in none) display= ;; noglx) display=$extra_display ;; *) display=$DISPLAY ;; esac
        # Wine's desktop lives as long as its server, on the display it began on.
        [ "$display" = "$served" ] || wineserver -w
        served=$display
        # shellcheck disable=SC2086 # the row's words are the arguments
        DISPLAY=$display WINEDEBUG=warn+seh start wine "$(saver_copy no)" $arguments
        ends_within $((LIMIT * 1000)) "$pid" "$expected" || verdict="FAILED: $verdict"
        # Wine 8 logs OutputDebugStringW's line as an exception's, on its seh channel.
        said=$(sed -n 's/.*OutputDebugString.*"\(Plume.scr: .*\)\\n"$/\1/p' "$work/wine.log")
        echo "'$arguments' $where: $verdict${said:+, saying $said}"
        [[ "$verdict" != FAILED* && "$said" == "${says:+Plume.scr: could not $says (}"* ]]
        [[ -n "$says" || -z "$said" ]]
        [ "$expected" -ne 2 ] || grep -q '^usage: Plume.scr' "$work/wine.log"
    done <<'EOF'
2|/s extra
3|/p 999999999||find the window /p names
5|/s|none|create its window
6|/s|noglx|choose a GL pixel format
EOF
}
