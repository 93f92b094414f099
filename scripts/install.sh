# Sourced by common.sh: what a fresh machine lacks, and installing it: the Debian packages
# of each job, for the machine's own architecture unless a name says another, and the npm
# registry's pinned clients.
# shellcheck shell=bash
# shellcheck disable=SC2034 # the *_PACKAGES lists are read by the scripts that source this file

BUILD_PACKAGES="g++ cmake make pkg-config freeglut3-dev libglu1-mesa-dev libgl1-mesa-dri libpng-dev libwebp-dev libx11-dev libxrandr-dev"
HEADLESS_PACKAGES="xvfb xauth x11-utils imagemagick"
TEST_PACKAGES="libgtest-dev libbenchmark-dev clang libclang-rt-dev valgrind libxres-dev"
# The screen-saver hack's checks: XScreenSaver's daemon, and a resize of the window handed over.
SAVER_PACKAGES="xscreensaver xdotool x11-utils imagemagick"
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
    libglu1-mesa-dev:arm64 libgl1-mesa-dri:arm64 libpng-dev:arm64 libx11-dev:arm64 libxrandr-dev:arm64
    libxi-dev:arm64 libxxf86vm-dev:arm64"
# The Windows build: MinGW-w64 (64-bit only), what unpacks Debian's source packages, and
# icotool for the program's icon; its test runs the programs under Wine, and xdotool plays the
# user at the screen saver; Xephyr gives Wine two monitors.
WINDOWS_PACKAGES="cmake make dpkg-dev g++-mingw-w64-x86-64 icoutils"
WINE_PACKAGES="wine wine64 xvfb xauth x11-utils xdotool xserver-xephyr"
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
# the JavaScript checkers (the repository's root), Playwright for the page's benches
# (tools/browser/), Puppeteer for the browser checks in every engine (tests/web/). The scripts
# install them before any check runs, so that the checks themselves fetch nothing.
NPM_CLIENTS=(. tools/browser tests/web)

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
