# Shared by the scripts and the shell tests: where things are, and one helper for each job they
# share: a private X server, Wine, a run of the program, a check's verdict, the pinned snapshots.
# Installing what a fresh machine lacks is install.sh's, sourced below.
# shellcheck shell=bash

PLUME_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Builds and test runs use every core; the presets name the trees, these only the machine.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc 2>/dev/null || echo 2)}
export CTEST_PARALLEL_LEVEL=${CTEST_PARALLEL_LEVEL:-$CMAKE_BUILD_PARALLEL_LEVEL}
# The status of a check whose platform's tools this machine lacks: CTest reports it skipped.
SKIPPED=77

# need_tools TOOL...: ends the check as skipped, saying which, where a tool is not installed.
need_tools() {
    local tool
    for tool in "$@"; do
        command -v "$tool" >/dev/null || { echo "skipped: $tool is not installed"; exit "$SKIPPED"; }
    done
}

# The packages of each job, and installing what is missing.
# shellcheck source=install.sh
source "$PLUME_ROOT/scripts/install.sh"

# build_preset NAME: configures and builds the tree of CMakePresets.json's preset NAME.
build_preset() {
    (cd "$PLUME_ROOT" && cmake --preset "$1" >/dev/null && cmake --build --preset "$1")
}

# set_up_platform_trees TOOLS_DIR: the trees of the other platforms' checks, set up by the
# scripts that install so that the suite itself fetches nothing: the Windows tree (Debian's
# library sources fetched and cross-built once), the arm64 tree, and the page, whose still
# TOOLS_DIR's snapshot tool draws. A platform whose tools are missing is left out, and its
# checks report themselves skipped.
set_up_platform_trees() {
    if command -v x86_64-w64-mingw32-g++-posix >/dev/null; then
        "$PLUME_ROOT/scripts/windows" >/dev/null
    fi
    if command -v aarch64-linux-gnu-g++ >/dev/null; then
        "$PLUME_ROOT/scripts/arm64" >/dev/null
    fi
    if command -v emcc >/dev/null; then
        build_web_site "$1/plume-snapshot" >/dev/null
    fi
}

# build_set_up_tree MARK SCRIPT COMMAND...: a platform check's fixture: COMMAND brings a tree
# up to date, offline, where SCRIPT has set it up (MARK exists); else the check is skipped.
build_set_up_tree() {
    local mark=$1 script=$2
    shift 2
    [ -e "$mark" ] && { "$@"; return; }
    echo "skipped: $script has not set up $mark (scripts/test does)" >&2
    exit "$SKIPPED"
}

# build_web_site PLUME_SNAPSHOT: configures and builds the preset web, whose still that desktop
# snapshot tool draws, on the current display or a private X server.
build_web_site() {
    (cd "$PLUME_ROOT" && cmake --preset web -DPLUME_SNAPSHOT="$1" >/dev/null)
    if [ -n "${DISPLAY:-}" ]; then
        (cd "$PLUME_ROOT" && cmake --build --preset web)
    else
        (cd "$PLUME_ROOT" && with_x_server cmake --build --preset web)
    fi
}

# positive_pid PID: true if PID is a process id, a positive integer; else it says so. kill and
# wait take 0 and negative numbers for process groups, and as root `kill -- -1` signals every
# process on the machine: whatever a helper signals or waits for passes through here first.
positive_pid() {
    [[ "${1-}" =~ ^[1-9][0-9]*$ ]] && return 0
    echo "refused: '${1-}' is not a process id (a positive integer)" >&2
    return 1
}

# start_x_server: a private X server, which it names in DISPLAY; stop_x_server ends it (and
# Wine's server before it) and gives DISPLAY back its former value. The server picks a free display itself and says which once it
# accepts clients (-displayfd), so two starting at once cannot take the same one. -noreset: by
# default the server resets whenever its last client leaves, and a client connecting then fails.
start_x_server() {
    local ready
    ready=$(mktemp)
    PLUME_OUTER_DISPLAY=${DISPLAY-}
    Xvfb -displayfd 3 -screen 0 "${PLUME_SCREEN_SIZE:-1280x1024}x24" -noreset -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
    PLUME_X_SERVER=$!
    positive_pid "$PLUME_X_SERVER" || { PLUME_X_SERVER=; rm -f "$ready"; return 1; }
    for _ in {1..300}; do
        [[ "$(cat "$ready")" == [0-9]* ]] && [ "$(tail -c 1 "$ready" | wc -l)" -eq 1 ] && break
        kill -0 "$PLUME_X_SERVER" 2>/dev/null || break
        sleep 0.1
    done
    local number
    number=$(cat "$ready")
    rm -f "$ready"
    if [ -z "$number" ]; then
        echo "the private X server (Xvfb) did not start within 30 s" >&2
        stop_x_server
        return 1
    fi
    export DISPLAY=":$number"
}

stop_x_server() {
    # Wine's server outlives its last program by a few seconds; it must be gone before the display.
    [ -z "${WINEPREFIX:-}" ] || wineserver -w 2>/dev/null || true
    [ -n "${PLUME_X_SERVER:-}" ] || return 0
    local status=0
    if positive_pid "$PLUME_X_SERVER"; then
        kill "$PLUME_X_SERVER" 2>/dev/null || true
        wait "$PLUME_X_SERVER" 2>/dev/null || true
    else
        status=1
    fi
    PLUME_X_SERVER=
    DISPLAY=${PLUME_OUTER_DISPLAY-}
    [ -n "$DISPLAY" ] || unset DISPLAY
    return "$status"
}

# with_x_server COMMAND...: COMMAND on a private X server; its status.
with_x_server() {
    start_x_server || return 1
    local status=0
    "$@" || status=$?
    stop_x_server
    return "$status"
}

# start_wine [PREFIX]: Wine on the current display, with a prefix of the build's own (or PREFIX),
# made once (its first creation takes a quarter of a minute); no offer to install Mono or Gecko,
# which nothing here uses. One run at a time on the prefix (the checks, the downloads' tests, the
# mutants): its one server would serve programs on two displays, and outlive the one it started on.
start_wine() {
    export WINEPREFIX="${1:-$PLUME_ROOT/build-windows/wine-prefix}" WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree=;mshtml="
    mkdir -p "${WINEPREFIX%/*}"
    exec {PLUME_WINE_LOCK}>"$WINEPREFIX.lock"
    flock -w 900 "$PLUME_WINE_LOCK" || { echo "another run held Wine for 15 minutes" >&2; return 1; }
    if [ ! -e "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX" >&2
        wineboot --init >/dev/null 2>&1 || { echo "wineboot --init failed" >&2; return 1; }
    fi
    wineserver -w
}

# plume_window: the id of the first top-level window whose caption is plume's, or nothing.
plume_window() {
    xwininfo -root -children | awk '$2 ~ /^"plume/ { print $1; exit }'
}

# window_state ID: "WIDTHxHEIGHT MAP_STATE" of window ID.
window_state() {
    xwininfo -id "$1" 2>/dev/null |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } /Map State:/ { m = $3 } END { print w "x" h, m }'
}

# run_plume FOLDER SECONDS COMMAND...: starts plume (COMMAND, native or under Wine) in FOLDER on
# the current display and says what it saw; true if within SECONDS its window is shown at
# 640x480, sets an FPS caption, and the program ends with status 0 after the close request
# (PLUME_CLOSE_WINDOW, the Linux tool). Optional: PLUME_EXPECTED_FOLDER, where the program must
# run; PLUME_KEEP_SECONDS, how long it must run before it is asked to close; PLUME_SCREENSHOT,
# where the window's picture goes; PLUME_LOG, where the program's output goes.
run_plume() {
    local folder=$1 started=$SECONDS deadline=$((SECONDS + $2)) window='' seen='' caption=''
    local place='' status=0 seconds=$2
    shift 2
    (cd "$folder" && exec "$@" >"${PLUME_LOG:-/dev/null}" 2>&1) &
    local pid=$!
    positive_pid "$pid" || return 1
    # Wine names, sizes and maps its window in steps: it counts once it is shown at its size.
    while [ "$seen" != "640x480 IsViewable" ] && [ $SECONDS -lt $deadline ] && kill -0 "$pid" 2>/dev/null; do
        sleep 0.2
        window=$(plume_window)
        [ -z "$window" ] || seen=$(window_state "$window")
    done
    [ -z "${PLUME_EXPECTED_FOLDER:-}" ] || place=$(readlink "/proc/$pid/cwd") || true
    echo "window ${window:-none} after $((SECONDS - started)) s: ${seen:-never seen}${place:+, running in $place}"
    while [ -n "$window" ] && [ $SECONDS -lt $deadline ] && [[ "$caption" != *FPS:* ]]; do
        caption=$(xprop -id "$window" WM_NAME 2>/dev/null | sed 's/^[^"]*//') || true
        [[ "$caption" == *FPS:* ]] || sleep 0.2
    done
    echo "caption after $((SECONDS - started)) s: ${caption:-none}"
    while [ -n "${PLUME_KEEP_SECONDS:-}" ] && kill -0 "$pid" 2>/dev/null &&
        [ $((SECONDS - started)) -le "$PLUME_KEEP_SECONDS" ]; do
        sleep 0.5
    done
    [ -z "${PLUME_SCREENSHOT:-}" ] || [ -z "$window" ] || import -window "$window" "$PLUME_SCREENSHOT"
    local early=no
    kill -0 "$pid" 2>/dev/null || { early=yes; echo "the program ended before it was asked to"; }
    "$PLUME_CLOSE_WINDOW" >/dev/null 2>&1 || true
    while kill -0 "$pid" 2>/dev/null && [ $SECONDS -lt $deadline ]; do
        sleep 0.2
    done
    kill -0 "$pid" 2>/dev/null && { kill "$pid"; echo "still running after $seconds s; killed"; }
    wait "$pid" || status=$?
    echo "exit status $status after $((SECONDS - started)) s"
    [ "$seen" = "640x480 IsViewable" ] && [[ "$caption" == *FPS:* ]] && [ "$status" -eq 0 ] &&
        [ "$early" = no ] && [ "$place" = "${PLUME_EXPECTED_FOLDER:-}" ]
}

# check NAME COMMAND...: one check's verdict, "ok    NAME" or "FAIL  NAME", with what the
# command saw beneath it; checks_passed then says whether every check so far passed.
PLUME_FAILED=()
check() {
    local name=$1 status=0 output
    shift
    output=$("$@" 2>&1) || status=$?
    if [ "$status" -eq 0 ]; then echo "ok    $name"; else echo "FAIL  $name"; PLUME_FAILED+=("$name"); fi
    [ -z "$output" ] || echo "      ${output//$'\n'/$'\n'      }"
    return 0
}

checks_passed() {
    [ ${#PLUME_FAILED[@]} -eq 0 ] && return 0
    printf 'failed: %s\n' "${PLUME_FAILED[@]}"
    return 1
}

# pinned_snapshots PLUME_SNAPSHOT DIR FRAME...: each frame, named SECONDS-STEP_MS, drawn by the
# snapshot tool (a Windows one under Wine, an arm64 one under qemu-user) into DIR/FRAME.png, from
# paths relative to the repository, which both builds read alike.
pinned_snapshots() {
    local snapshot=$1 dir frame runner=()
    dir=$(realpath --relative-to="$PLUME_ROOT" "$2")
    shift 2
    read -ra runner <<<"$(emulator "$snapshot")"
    for frame in "$@"; do
        # Drawn once: a frame and its control may share one (under emulation, seconds of work).
        [ ! -e "$PLUME_ROOT/$dir/$frame.png" ] || continue
        (cd "$PLUME_ROOT" && "${runner[@]}" "$snapshot" --data data --time "${frame%-*}" \
            --step-ms "${frame#*-}" --out "$dir/$frame.png") || return 1
    done
}

# Running other platforms' programs here, and judging their frames.
# shellcheck source=emulation.sh
source "$PLUME_ROOT/scripts/emulation.sh"
