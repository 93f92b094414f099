# Shared by the scripts and the shell tests: where things are, installing what a fresh machine
# lacks, and one helper for each job they share: a private X server, Wine, a run of the program,
# a check's verdict, the pinned snapshots.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the *_PACKAGES lists are read by the scripts that source this file

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

BUILD_PACKAGES="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libpng-dev libwebp-dev libx11-dev"
HEADLESS_PACKAGES="xvfb xauth x11-utils imagemagick"
TEST_PACKAGES="libgtest-dev libbenchmark-dev clang libclang-rt-dev valgrind libxres-dev"
# The browser build: Emscripten, whose optimizer needs Debian's acorn; zopfli packs the files,
# cwebp the still (drawn by a desktop build's snapshot tool); its test adds a browser.
WEB_PACKAGES="cmake make emscripten node-acorn zopfli webp"
# The browser test and profiler drive Chromium through Playwright, from the npm registry, with
# Node and npm (Debian's, where the machine has no Node of its own that brings npm); the same
# checks run in Firefox ESR and in WebKitGTK's MiniBrowser (which its WebDriver brings).
BROWSER_PACKAGES="chromium firefox-esr webkit2gtk-driver"
NODE_PACKAGES="nodejs npm"
# The 64-bit Arm build (a Raspberry Pi's): Debian's cross compilers, the arm64 libraries through
# multiarch (Mesa's among them, which draws under emulation), and qemu-user, which runs its checks.
ARM64_PACKAGES="cmake make dpkg-dev crossbuild-essential-arm64 qemu-user freeglut3-dev:arm64
    libglu1-mesa-dev:arm64 libgl1-mesa-dri:arm64 libpng-dev:arm64 libx11-dev:arm64
    libxi-dev:arm64 libxxf86vm-dev:arm64"
# The Windows build: MinGW-w64 (64-bit only), what unpacks Debian's source packages, and
# icotool for the program's icon; its test runs the programs under Wine.
WINDOWS_PACKAGES="cmake make dpkg-dev g++-mingw-w64-x86-64 icoutils"
WINE_PACKAGES="wine wine64 xvfb xauth x11-utils"
# The downloads and their checks: the Windows installer (makensis), the Debian package's
# dependencies and lint, its menu entry and metadata, the Windows program's resources.
PACKAGE_PACKAGES="nsis dpkg-dev lintian desktop-file-utils appstream icoutils binutils"

# The lint checks' tools: shellcheck, clang-format 14 (the version of the repo's .clang-format) and
# Python for scripts/calls-one-way.
LINT_PACKAGES="shellcheck clang-format-14 python3"

# package_installed NAME[:ARCH]: true if NAME is installed for ARCH, or for the machine's own
# architecture where no ARCH is named, as apt-get reads the same name; a package for every
# architecture ("all") counts for each. One installed only for another architecture does not:
# arm64's libxxf86vm-dev gives the native build no libXxf86vm.so.
package_installed() {
    local name=${1%%:*} arch=${1#*:} installed
    [ "$arch" != "$1" ] || arch=${PLUME_NATIVE_ARCH:=$(dpkg --print-architecture)}
    installed=$(dpkg-query -W -f='${Architecture} ${Status}\n' "$name" 2>/dev/null) || return 1
    grep -qxE "($arch|all) install ok installed" <<<"$installed"
}

# Installs the Debian packages that are missing: with apt-get as root, else it prints the line
# to run and stops. Elsewhere (no dpkg) it assumes the tools are there and lets CMake say if not.
ensure_packages() {
    command -v dpkg-query >/dev/null 2>&1 || return 0
    local missing=() package
    for package in "$@"; do
        package_installed "$package" || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "plume needs these packages; install them, then run this again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    # Another install (a second check, a second tree) holds dpkg's lock: wait for it.
    apt-get -o DPkg::Lock::Timeout=900 update -qq >&2
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq "${missing[@]}" >&2
}

# ensure_architecture ARCH: dpkg takes packages of ARCH too (multiarch), as root; else it prints
# the line to run and stops. ensure_packages then updates apt's lists, as a package is missing.
ensure_architecture() {
    command -v dpkg >/dev/null 2>&1 || return 0
    dpkg --print-foreign-architectures | grep -qx "$1" && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "plume needs Debian's $1 packages; add the architecture, then run this again:" >&2
        echo "  sudo dpkg --add-architecture $1" >&2
        exit 1
    fi
    echo "Adding the architecture $1 to dpkg" >&2
    dpkg --add-architecture "$1"
}

# The npm registry's packages, each folder's pinned by its package.json and package-lock.json:
# the JavaScript checkers (the repository's root), Playwright for the browser checks and the
# page's benches (tools/browser/), Puppeteer for Firefox (tests/web/engines/). The scripts
# install them before any check runs, so that the checks themselves fetch nothing.
NPM_CLIENTS=(. tools/browser tests/web/engines)

# ensure_npm_clients [FOLDER...]: installs the packages of each folder (relative to the
# repository; all of NPM_CLIENTS by default) from its lockfile, once per lockfile, with Node and
# npm (Debian's, where the machine has no npm of its own).
ensure_npm_clients() {
    local folders=("$@") folder
    [ $# -gt 0 ] || folders=("${NPM_CLIENTS[@]}")
    # shellcheck disable=SC2086 # a package list, split into its names
    command -v npm >/dev/null 2>&1 || ensure_packages $NODE_PACKAGES
    for folder in "${folders[@]}"; do
        npm_client_installed "$folder" && continue
        echo "Installing the npm packages of $(npm_client_name "$folder") from its lockfile" >&2
        (cd "$PLUME_ROOT/$folder" && npm ci --no-audit --no-fund --loglevel=error >&2) || return 1
        cp "$PLUME_ROOT/$folder/package-lock.json" \
            "$PLUME_ROOT/$folder/node_modules/.installed-from-lock" || return 1
    done
}

# npm_client_installed FOLDER: whether FOLDER's packages are installed from its lockfile as it is.
npm_client_installed() {
    cmp -s "$PLUME_ROOT/$1/package-lock.json" "$PLUME_ROOT/$1/node_modules/.installed-from-lock"
}

npm_client_name() {
    if [ "$1" = . ]; then echo "the repository's root"; else echo "$1/"; fi
}

# need_npm_clients FOLDER...: ends the check as skipped, saying what to run, where a folder's
# packages are not installed from its lockfile.
need_npm_clients() {
    local folder
    for folder in "$@"; do
        npm_client_installed "$folder" && continue
        echo "skipped: the npm packages of $(npm_client_name "$folder") are not installed from" \
            "its lockfile; scripts/test installs them (or: source scripts/common.sh &&" \
            "ensure_npm_clients $folder)"
        exit "$SKIPPED"
    done
}

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
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -noreset -nolisten tcp 3>"$ready" >/dev/null 2>&1 &
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
source "$PLUME_ROOT/scripts/emulation.sh"
