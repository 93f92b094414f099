# Sourced by tests/saver/run and tests/windows/saver.sh: a grab of a saver's window, the judge of
# whether it shows plume's scene, against this tree's plume-snapshot and plume-compare, the
# measure of a saver's processor share, and X servers beside the check's own.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work and $build are run's

# A frame of the hack against the nearest of plume-snapshot's frames 0.1 s apart: 1 to 3% of its
# values more than plume-compare's 12 levels apart (0.05 s off, and the feathers' steps the
# hack's own); the frame stretched to another aspect 40%, a white sky or an empty screen more.
SCENE_LIMIT_PERCENT=15
LATE_SECONDS=2 # how much further back a frame is looked for on a loaded machine

# grab WINDOW FILE: the window's pixels as the server holds them, as 24-bit PNG; a copy in
# PLUME_SAVER_SHOTS, where that names a folder, to look at.
grab() {
    import -window "$1" "PNG24:$2"
    [ -z "${PLUME_SAVER_SHOTS:-}" ] || cp "$2" "$PLUME_SAVER_SHOTS/"
}

# nearest_frame SHOT SIZE FROM TO: "LEVELS TIME SHARE" of the plume-snapshot frame at SIZE, at
# the times 0.1 s apart from FROM to TO, that SHOT is nearest.
nearest_frame() {
    local times time frame out
    times=$(awk -v from="$3" -v to="$4" 'BEGIN { for (t = from; t <= to; t += 0.1) if (t > 0)
        printf "%.1f\n", t }')
    for time in $times; do
        frame="$work/scene-$2-$time.png"
        [ -e "$frame" ] || "$build/plume-snapshot" --data "$PLUME_ROOT/data" --time "$time" \
            --step-ms 16 --size "$2" --out "$frame" >/dev/null
        out=$("$build/plume-compare" "$1" "$frame" || true)
        sed -n "s/^mean difference \([0-9.]*\) levels, \([0-9.]*\)%.*/\1 $time \2/p" <<<"$out"
    done | sort -n -k 3 | head -n 1
}

# shows_scene SHOT SECONDS: SHOT must be plume's scene at SHOT's size as plume-snapshot draws it
# at one of the times 0.1 s apart in the 1.5 s before SECONDS (the hack's age when grabbed: its
# clock starts once its images are read) or just after; within SCENE_LIMIT_PERCENT. A machine
# loaded by other checks may start the hack slowly or pause its clock over a frame of more than a
# second, so a frame not found there is looked for in the LATE_SECONDS before.
shows_scene() {
    local size best levels nearest share
    size=$(identify -format '%wx%h' "$1")
    best=$(nearest_frame "$1" "$size" "$(plus "$2" -1.5)" "$(plus "$2" 0.25)")
    if ! within_limit "$best"; then
        best=$( (echo "$best"; nearest_frame "$1" "$size" "$(plus "$2" "-1.5 - $LATE_SECONDS")" \
            "$(plus "$2" -1.6)") | grep . | sort -n -k 3 | head -n 1)
    fi
    [ -n "$best" ] || { echo "no frame to compare with $1 ($size)"; return 1; }
    read -r levels nearest share <<<"$best"
    echo "${1##*/} ($size) against plume-snapshot's nearest frame, at $nearest s: $share% of" \
        "values more than 12 levels apart (limit $SCENE_LIMIT_PERCENT%), $levels levels on the mean"
    within_limit "$best"
}

# plus SECONDS TERMS: SECONDS with TERMS added ("-1.5", "-1.5 - 2").
plus() {
    awk "BEGIN { print $1 + $2 }"
}

# within_limit "LEVELS TIME SHARE": true if SHARE is under SCENE_LIMIT_PERCENT; false for nothing.
within_limit() {
    [ -n "$1" ] && awk -v share="${1##* }" -v limit="$SCENE_LIMIT_PERCENT" \
        'BEGIN { exit !(share < limit) }'
}

# cpu_share PID SECONDS: the share of one processor, in percent, that PID took over SECONDS.
cpu_share() {
    local before
    before=$(sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }')
    sleep "$2"
    sed 's/^.*) //' "/proc/$1/stat" | awk -v before="$before" -v ticks="$(getconf CLK_TCK)" \
        -v seconds="$2" '{ printf "%d\n", ($12 + $13 - before) * 100 / (ticks * seconds) }'
}

EXTRA_SERVER_SECONDS=30
# extra_server SERVER ARGUMENT...: another X server (an Xvfb without GLX, a Xephyr) on a display
# it picks itself, named in $extra_display; stop_extra_servers ends them, last first, once
# Wine's programs have ended.
extra_servers=()
extra_server() {
    local ready="$work/display-$RANDOM"
    "$@" -displayfd 3 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
    positive_pid "$!" && extra_servers=("$!" "${extra_servers[@]}") || return 1
    for _ in $(seq $((EXTRA_SERVER_SECONDS * 10))); do
        # shellcheck disable=SC2034 # read by the checks that start the server
        [ "$(tail -c 1 "$ready" | wc -l)" -eq 0 ] || { extra_display=":$(cat "$ready")"; return 0; }
        sleep 0.1
    done
    echo "$1 did not start"
    return 1
}

stop_extra_servers() {
    local pid
    [ -z "${WINEPREFIX:-}" ] || wineserver -w 2>/dev/null || true
    for pid in "${extra_servers[@]}"; do
        positive_pid "$pid" || continue
        kill "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    extra_servers=()
}
