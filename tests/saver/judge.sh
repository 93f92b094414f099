# Sourced by the saver, Windows and package checks: plume-compare's judge, grabs, shares, waits.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work and $build are the sourcing check's

# A hack's frame is 1-3% from plume-snapshot's nearest; stretched 40%, white or empty more.
SCENE_LIMIT_PERCENT=15
LATE_SECONDS=2       # how much further back a frame is looked for on a loaded machine
FRAME_SECONDS=30     # the longest wait for a drawing program's next frames
FIRST_STEP_SECONDS=1 # the clock's longest step (MAX_FRAME_STEP_MS), which the first frame may take
SERVER_SECONDS=30    # for an X server to start

# grab WINDOW FILE: the window's pixels as 24-bit PNG; a copy in PLUME_SAVER_SHOTS, a folder.
grab() {
    import -window "$1" "PNG24:$2"
    [ -z "${PLUME_SAVER_SHOTS:-}" ] || cp "$2" "$PLUME_SAVER_SHOTS/"
}

# within LIMIT A B: under LIMIT% of values 12+ levels apart (in $share); 2 if not comparable.
within() {
    share=$("$build/plume-compare" "$2" "$3" | sed -n 's/.*levels, \([0-9.]*\)% of values.*/\1/p') ||
        true
    [ -n "$share" ] || return 2
    [ "${share/./}" -lt "$(($1 * 1000))" ]
}

# spawn COMMAND...: COMMAND in the background, its process in $pid and among $pids.
spawn() {
    "$@" &
    pid=$!
    positive_pid "$pid" || return 1
    pids+=("$pid")
}

# refuse COMMAND...: a control, which must fail.
refuse() {
    if "$@"; then echo "the control passed: $*"; return 1; fi
}

# shows_scene SHOT AGE: SHOT within SCENE_LIMIT_PERCENT of plume-snapshot's frame ($scene_frame) at
# 0.1 s steps back from AGE over 1.5 s + LATE_SECONDS; frames cached per tool and images' sum.
shows_scene() {
    local size time frames nearest='' least=''
    size=$(identify -format '%wx%h' "$1")
    frames="$build/scene-frames-$(cat "$build/plume-snapshot" "$PLUME_ROOT"/data/*.tga | cksum | tr ' ' -)"
    mkdir -p "$frames" && touch "$frames"
    find "$build" -maxdepth 1 -name 'scene-frames-*' ! -name "${frames##*/}" -mmin +60 -exec rm -rf {} +
    while read -r time; do
        scene_frame="$frames/$size-$time.png"
        # Named once whole: the checks beside this one read the folder.
        [ -e "$scene_frame" ] || { "$build/plume-snapshot" --data "$PLUME_ROOT/data" --time "$time" \
            --step-ms 16 --size "$size" --out "$scene_frame.$$.png" >/dev/null &&
            mv "$scene_frame.$$.png" "$scene_frame"; }
        if within "$SCENE_LIMIT_PERCENT" "$1" "$scene_frame"; then
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

# first_grab WINDOW: WINDOW's pixels before a program starts drawing into it, for new_frames.
first_grab() {
    scene_zero=$(plus "$(date +%s.%N)" "-$FIRST_STEP_SECONDS")
    grab "$1" "$work/first.png"
    seen_before=$(identify -format '%#' "$work/first.png")
}

# new_frames WINDOW SHOT COUNT: true once WINDOW's grabs (from first_grab's) changed COUNT times,
# the last in SHOT; $scene_zero, the last grab that saw no frame less FIRST_STEP_SECONDS.
# shellcheck disable=SC2034 # $scene_zero is the caller's
new_frames() {
    local seen last=${seen_before:-} changes=-1 deadline=$((SECONDS + FRAME_SECONDS)) at
    [ -z "$last" ] || changes=0
    seen_before=''
    while [ "$changes" -lt "$3" ]; do
        [ "$SECONDS" -lt "$deadline" ] || { echo "$1: $changes new frames in $FRAME_SECONDS s"; return 1; }
        at=$(date +%s.%N)
        grab "$1" "$2" && seen=$(identify -format '%#' "$2")
        [ "$seen" = "$last" ] || changes=$((changes + 1)) last=$seen
        [ "$changes" -gt 0 ] || scene_zero=$(plus "$at" "-$FIRST_STEP_SECONDS")
    done
}

# since TIME: the seconds from TIME (date +%s.%N) to now; plus SECONDS TERMS: their sum.
since() { plus "$(date +%s.%N)" "-$1"; }
plus() { awk "BEGIN { printf \"%.3f\\n\", $1 + $2 }"; }

# cpu_share PID SECONDS [PID...]: each PID's percent of a processor over the same SECONDS.
cpu_share() {
    local pid seconds=$2 before=()
    for pid in "$1" "${@:3}"; do before+=("$(cpu_ticks "$pid")"); done
    sleep "$seconds"
    for pid in "$1" "${@:3}"; do
        echo $((($(cpu_ticks "$pid") - before[0]) * 100 / ($(getconf CLK_TCK) * seconds)))
        before=("${before[@]:1}")
    done
}

cpu_ticks() { sed 's/^.*) //' "/proc/$1/stat" | awk '{ print $12 + $13 }'; }

# wait_until SECONDS COMMAND...: COMMAND, tried every 0.1 s until it succeeds, for SECONDS.
wait_until() {
    local deadline=$((SECONDS + $1))
    shift
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.1
    done
}

gone() { ! kill -0 "$1" 2>/dev/null; }

# ends_within MS PID [STATUS]: PID, a child, ends within MS ms with STATUS (0), seen in $verdict.
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

stop_processes() {
    local pid
    for pid in "$@"; do
        positive_pid "$pid" || return 1
        { kill "$pid"; wait "$pid"; } 2>/dev/null || true
    done
}

# extra_server SERVER ARGUMENT...: another X server on a display it picks, in $extra_display once
# written whole; stop_extra_servers ends them, last first, once Wine's programs have ended.
extra_servers=()
extra_server() {
    local ready="$work/display-$RANDOM"
    "$@" -displayfd 3 -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
    positive_pid "$!" && extra_servers=("$!" "${extra_servers[@]}") || return 1
    wait_until "$SERVER_SECONDS" whole_line "$ready" || { echo "$1 did not start"; return 1; }
    # shellcheck disable=SC2034 # read by the checks that start the server
    extra_display=":$(cat "$ready")"
}

whole_line() { [ "$(tail -c 1 "$1" | wc -l)" -eq 1 ]; }

stop_extra_servers() {
    [ -z "${WINEPREFIX:-}" ] || wineserver -w 2>/dev/null || true
    stop_processes "${extra_servers[@]}" || true
    extra_servers=()
}
