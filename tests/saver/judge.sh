# Sourced by tests/saver/run, tests/windows/run and tests/package/check: what the savers' checks share. A grab of
# a saver's window and the one judge of a picture, plume-compare against this tree's
# plume-snapshot; the measure of a processor share; waits on an event with one outer limit, and
# the ending of a process within a limit; X servers beside the check's own.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work and $build are the sourcing check's

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

# within LIMIT A B: plume-compare's verdict that picture A is picture B within LIMIT: under LIMIT
# percent of their values more than its 12 levels apart. The share it saw is left in $share;
# status 2, $share empty, where it could not compare them (unreadable, or of other sizes).
within() {
    share=$("$build/plume-compare" "$2" "$3" | sed -n 's/.*levels, \([0-9.]*\)% of values.*/\1/p') ||
        true
    [ -n "$share" ] || return 2
    [ "${share/./}" -lt "$(($1 * 1000))" ]
}

# shows_scene SHOT SECONDS: SHOT must be plume's scene at SHOT's size as plume-snapshot draws it
# within SCENE_LIMIT_PERCENT, at one of the times 0.1 s apart from just after SECONDS (the hack's
# age when grabbed: its clock starts once its images are read) back to 1.5 s before, newest
# first. A machine loaded by other checks may start the hack slowly or pause its clock over a
# frame of more than a second, so the search goes on through the LATE_SECONDS before that.
shows_scene() {
    local size time frame nearest='' least=''
    size=$(identify -format '%wx%h' "$1")
    while read -r time; do
        frame="$work/scene-$size-$time.png"
        [ -e "$frame" ] || "$build/plume-snapshot" --data "$PLUME_ROOT/data" --time "$time" \
            --step-ms 16 --size "$size" --out "$frame" >/dev/null
        if within "$SCENE_LIMIT_PERCENT" "$1" "$frame"; then
            echo "${1##*/} ($size) is plume-snapshot's frame at $time s: $share% of values more" \
                "than 12 levels apart (limit $SCENE_LIMIT_PERCENT%)"
            return 0
        fi
        [ -z "$share" ] || { [ -n "$least" ] && [ "${share/./}" -ge "${least/./}" ]; } ||
            { least=$share nearest=$time; }
    done < <(awk -v now="$2" -v late="$LATE_SECONDS" 'BEGIN {
        for (t = now + 0.2; t >= now - 1.5 - late; t -= 0.1) if (t > 0) printf "%.1f\n", t }')
    echo "${1##*/} ($size) is no plume-snapshot frame within $SCENE_LIMIT_PERCENT%; the nearest," \
        "at ${nearest:-no} s, has ${least:-?}% of values more than 12 levels apart"
    return 1
}

# plus SECONDS TERMS: SECONDS with TERMS added ("-1.5", "-1.5 - 2").
plus() {
    awk "BEGIN { print $1 + $2 }"
}

# cpu_ticks PID: the processor time PID has taken so far, in clock ticks.
cpu_ticks() {
    sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'
}

# cpu_share PID SECONDS [PID...]: the share of one processor, in percent, that each PID took over
# the same SECONDS, one a line.
cpu_share() {
    local pid seconds=$2 before=()
    for pid in "$1" "${@:3}"; do before+=("$(cpu_ticks "$pid")"); done
    sleep "$seconds"
    for pid in "$1" "${@:3}"; do
        echo $((($(cpu_ticks "$pid") - before[0]) * 100 / ($(getconf CLK_TCK) * seconds)))
        before=("${before[@]:1}")
    done
}

# wait_until SECONDS COMMAND...: COMMAND, tried every 0.1 s until it succeeds; false, having
# tried for SECONDS, where it never does.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

# gone PID: true once process PID has ended.
gone() {
    ! kill -0 "$1" 2>/dev/null
}

# ends_within MS PID [STATUS]: true if PID, a child of this shell, ends within MS milliseconds
# from now with STATUS (0 unless given); what it saw in $verdict. One still running is left so.
# shellcheck disable=SC2034 # $verdict is the caller's to report
ends_within() {
    local started took status=0
    positive_pid "$2" || return 1
    started=$(date +%s%3N)
    while ! gone "$2" && [ $(($(date +%s%3N) - started)) -le "$1" ]; do
        sleep 0.02
    done
    took=$(($(date +%s%3N) - started))
    gone "$2" || { verdict="still running after $took ms"; return 1; }
    wait "$2" || status=$?
    verdict="ended with status $status within $took ms"
    [ "$status" -eq "${3:-0}" ] && [ "$took" -le "$1" ]
}

# whole_line FILE: true once FILE holds a whole line, as a server writes its display's number.
whole_line() {
    [ "$(tail -c 1 "$1" | wc -l)" -eq 1 ]
}

stop_process() {
    positive_pid "$1" || return 1
    kill "$1" 2>/dev/null || true
    wait "$1" 2>/dev/null || true
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
    wait_until "$EXTRA_SERVER_SECONDS" whole_line "$ready" || { echo "$1 did not start"; return 1; }
    # shellcheck disable=SC2034 # read by the checks that start the server
    extra_display=":$(cat "$ready")"
}

stop_extra_servers() {
    local pid
    [ -z "${WINEPREFIX:-}" ] || wineserver -w 2>/dev/null || true
    for pid in "${extra_servers[@]}"; do
        stop_process "$pid" || true
    done
    extra_servers=()
}
