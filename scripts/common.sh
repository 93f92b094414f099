# Shared by the scripts: where things are, and installing what a fresh machine lacks.
# shellcheck shell=bash

PLUME_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PLUME_JOBS=$(nproc 2>/dev/null || echo 2)

BUILD_PACKAGES="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libpng-dev libwebp-dev libx11-dev"
HEADLESS_PACKAGES="xvfb xauth x11-utils imagemagick"
TEST_PACKAGES="libgtest-dev libbenchmark-dev clang libclang-rt-dev valgrind libxres-dev"
# The browser build: Emscripten, whose optimizer needs Debian's acorn; its test adds a browser.
WEB_PACKAGES="cmake make emscripten node-acorn"
# The browser test and profiler drive Chromium through Playwright, from the npm registry, with
# Node and npm (Debian's, where the machine has no Node of its own that brings npm).
BROWSER_PACKAGES="chromium"
NODE_PACKAGES="nodejs npm"
# The Windows build: MinGW-w64 (64-bit only), what unpacks Debian's source packages, and
# icotool for the program's icon; its test runs the programs under Wine.
WINDOWS_PACKAGES="cmake make dpkg-dev g++-mingw-w64-x86-64 icoutils"
WINE_PACKAGES="wine wine64 xvfb xauth x11-utils"
# The downloads' checks: the Debian package's dependencies and lint, its menu entry and metadata,
# the Windows program's resources.
PACKAGE_PACKAGES="dpkg-dev lintian desktop-file-utils appstream icoutils binutils"

# Installs the Debian packages that are missing: with apt-get as root, else it prints the line
# to run and stops. Elsewhere (no dpkg) it assumes the tools are there and lets CMake say if not.
ensure_packages() {
    command -v dpkg-query >/dev/null 2>&1 || return 0
    local missing=() package
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "plume needs these packages; install them, then run this again:" >&2
        echo "  sudo apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]}" >&2
    apt-get update -qq >&2
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >&2
}

# Installs the pinned Playwright client of tests/web/ from its lockfile, once per lockfile.
ensure_browser_client() {
    local client="$PLUME_ROOT/tests/web"
    local stamp="$client/node_modules/.installed-from-lock"
    # shellcheck disable=SC2086
    command -v npm >/dev/null 2>&1 || ensure_packages $NODE_PACKAGES
    if ! cmp -s "$client/package-lock.json" "$stamp"; then
        (cd "$client" && npm ci --no-audit --no-fund --loglevel=error >&2)
        cp "$client/package-lock.json" "$stamp"
    fi
}

# pinned_snapshots PLUME_SNAPSHOT DIR FRAME...: each frame, named SECONDS-STEP_MS, drawn by the
# snapshot tool into DIR/FRAME.png, for the page checks to judge against.
pinned_snapshots() {
    local snapshot=$1 dir=$2 frame
    shift 2
    for frame in "$@"; do
        "$snapshot" --data "$PLUME_ROOT/data" --time "${frame%-*}" --step-ms "${frame#*-}" \
            --out "$dir/$frame.png"
    done
}

# A private X server for the command. -noreset: by default the server resets whenever its last
# client leaves, and a test that connects during the reset fails to open the display.
under_xvfb() {
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
}

# configure_and_build BUILD_DIR [CMAKE_ARGS...]
configure_and_build() {
    local build_dir=$1
    shift
    cmake -S "$PLUME_ROOT" -B "$build_dir" "$@" >/dev/null
    cmake --build "$build_dir" -j "$PLUME_JOBS"
}
