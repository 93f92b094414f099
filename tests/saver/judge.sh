# Sourced by tests/saver/run: a grab of the hack's window, and the judge of whether it shows
# plume's scene, against this tree's plume-snapshot and plume-compare.
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
