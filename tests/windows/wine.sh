# A private X server with Wine on it, and a program's run on it from start to close: for the
# Windows checks and the tests of the downloads.
# shellcheck shell=bash
# Needs PLUME_ROOT (scripts/common.sh); run_program needs PLUME_CLOSE_WINDOW, the Linux tool.

# A prefix of the build's own, made once (its first creation takes a quarter of a minute); no
# offer to install Mono or Gecko, which nothing here uses.
export WINEPREFIX="$PLUME_ROOT/build-windows/wine-prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="

start_wine_display() {
    local display_file
    display_file=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$display_file" \
        >/dev/null 2>&1 &
    wine_xvfb=$!
    for _ in {1..100}; do
        [ -s "$display_file" ] && break
        sleep 0.1
    done
    DISPLAY=":$(cat "$display_file")"
    export DISPLAY
    rm -f "$display_file"
    command -v wine >/dev/null || return 0
    if [ ! -e "$WINEPREFIX/system.reg" ]; then
        echo "Creating the Wine prefix $WINEPREFIX" >&2
        wineboot --init >/dev/null 2>&1
    fi
    wineserver -w
}

# Wine's server outlives its last program by a few seconds; it must be gone before the display.
stop_wine_display() {
    ! command -v wineserver >/dev/null || wineserver -w 2>/dev/null || true
    if [ -n "${wine_xvfb:-}" ]; then
        kill "$wine_xvfb" 2>/dev/null || true
        wait "$wine_xvfb" 2>/dev/null || true
    fi
}

# window_with NAME_PATTERN: the id of the first top-level window whose name matches.
window_with() {
    xwininfo -root -children | awk -v pattern="$1" '$2 ~ pattern { print $1; exit }'
}

# run_program FOLDER SECONDS COMMAND...: starts COMMAND in FOLDER; true if within SECONDS its
# 640x480 window opens, sets an FPS caption, and the program ends with status 0 after the close
# request. With PLUME_EXPECTED_FOLDER set, the program must also be running in that folder.
# With PLUME_SCREENSHOT set, saves the window there once it shows its caption.
run_program() {
    local folder=$1 deadline=$((SECONDS + $2)) window='' status=0 size caption place=
    shift 2
    (cd "$folder" && exec "$@" 2>/dev/null) &
    local pid=$!
    while [ -z "$window" ] && [ $SECONDS -lt $deadline ] && kill -0 $pid 2>/dev/null; do
        sleep 0.5
        window=$(window_with '^"plume')
    done
    size=$([ -n "$window" ] && xwininfo -id "$window" |
        awk '/Width:/ { w = $2 } /Height:/ { h = $2 } END { print w "x" h }') || true
    [ -z "${PLUME_EXPECTED_FOLDER:-}" ] || place=$(readlink "/proc/$pid/cwd") || true
    echo "      window ${window:-none}, ${size:-no size}${place:+, running in $place}"
    while [ -n "$window" ] && [ $SECONDS -lt $deadline ] &&
        ! xprop -id "$window" WM_NAME | grep -q 'FPS:'; do
        sleep 0.5
    done
    caption=$([ -n "$window" ] && xprop -id "$window" WM_NAME | sed 's/^[^"]*//') || true
    echo "      caption: ${caption:-none}"
    [ -z "${PLUME_SCREENSHOT:-}" ] || [ -z "$window" ] ||
        import -window "$window" "$PLUME_SCREENSHOT" || true
    "$PLUME_CLOSE_WINDOW" >/dev/null 2>&1 || true
    while kill -0 $pid 2>/dev/null && [ $SECONDS -lt $deadline ]; do
        sleep 0.2
    done
    kill -0 $pid 2>/dev/null && { kill $pid; status=124; }
    wait $pid || status=$?
    echo "      exit status $status"
    [ "$size" = 640x480 ] && [[ "$caption" == *FPS:* ]] && [ "$status" -eq 0 ] &&
        [ "$place" = "${PLUME_EXPECTED_FOLDER:-}" ]
}
