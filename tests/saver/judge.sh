# Sourced by tests/saver/run: a grab of the hack's window, and the judge of whether it shows
# plume's scene, against this tree's plume-snapshot and plume-compare.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $build and the limits are run's

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
    best=$(nearest_frame "$1" "$size" "$(awk -v s="$2" 'BEGIN { print s - 1.5 }')" \
        "$(awk -v s="$2" 'BEGIN { print s + 0.25 }')")
    [ -z "$best" ] || read -r levels nearest share <<<"$best"
    if [ -z "$best" ] || ! awk -v share="$share" -v limit="$SCENE_LIMIT_PERCENT" \
        'BEGIN { exit !(share < limit) }'; then
        best=$( (echo "$best"; nearest_frame "$1" "$size" \
            "$(awk -v s="$2" -v late="$LATE_SECONDS" 'BEGIN { print s - 1.5 - late }')" \
            "$(awk -v s="$2" 'BEGIN { print s - 1.6 }')") | grep . | sort -n -k 3 | head -n 1)
    fi
    [ -n "$best" ] || { echo "no frame to compare with $1 ($size)"; return 1; }
    read -r levels nearest share <<<"$best"
    echo "${1##*/} ($size) against plume-snapshot's nearest frame, at $nearest s: $share% of" \
        "values more than 12 levels apart (limit $SCENE_LIMIT_PERCENT%), $levels levels on the mean"
    awk -v share="$share" -v limit="$SCENE_LIMIT_PERCENT" 'BEGIN { exit !(share < limit) }'
}
