# The Debian package's checks, for tests/package/check (whose helpers they use):
#   deb-fields DEB   deb-desktop DEB   deb-window-class DEB   deb-apt DEB
# Its fields, files and lintian's report; its desktop entries, metadata and icons; the window's
# class against the entry's; and the package installed with apt-get, run, and purged.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work and the constants: tests/package/check's

# lintian_clean DEB: lintian reports no error and no warning for DEB.
lintian_clean() {
    local report
    report=$(lintian "$1" 2>&1 | grep -v 'running with root privileges' || true)
    indent <<<"${report:-lintian: nothing to report}"
    ! grep -qE '^(E|W):' <<<"$report"
}

deb-fields() {
    need_tools dpkg-deb lintian
    local fields
    fields=$(dpkg-deb -f "$1")
    grep -E '^(Package|Version|Architecture|Section|Depends|Suggests):' <<<"$fields" | indent
    grep -qx 'Section: games' <<<"$fields" || fail "the section is not games"
    local architecture=${1##*_}
    grep -qx "Architecture: ${architecture%.deb}" <<<"$fields" ||
        fail "the package's architecture is not ${architecture%.deb}, as its name says"
    grep -q '^Depends: .*libc6' <<<"$fields" || fail "no dependencies worked out from the program"
    grep -qx 'Suggests: xscreensaver | mate-screensaver' <<<"$fields" ||
        fail "the package does not suggest a screen saver for its hack"
    local files file
    files=$(dpkg-deb -c "$1")
    grep -q ' \./usr/games/plume$' <<<"$files" || fail "no launcher /usr/games/plume"
    for file in $SAVER_FILES; do
        grep -q " \./usr/$file\$" <<<"$files" || fail "no /usr/$file"
    done
    ! grep -E "$TOOLS" <<<"$files" || fail "the package holds a tool"
    lintian_clean "$1" || fail "lintian reports errors or warnings"
    # The control: the same package without its copyright file, which lintian must report.
    dpkg-deb -R "$1" "$work/unpacked"
    rm "$work/unpacked/usr/share/doc/plume/copyright"
    dpkg-deb -b "$work/unpacked" "$work/control.deb" >/dev/null
    ! lintian_clean "$work/control.deb" >/dev/null ||
        fail "control: lintian passed the package without its copyright file"
    echo "      control: without its copyright file, lintian's report is judged unclean"
}

deb-desktop() {
    need_tools dpkg-deb desktop-file-validate appstreamcli identify
    dpkg-deb -x "$1" "$work/root"
    local share="$work/root/usr/share" entry saver size geometry
    entry=$(find "$share/applications" -maxdepth 1 -name '*.desktop')
    desktop-file-validate "$entry" || fail "desktop-file-validate: ${entry##*/}"
    appstreamcli validate --no-net --pedantic "$share"/metainfo/*.metainfo.xml ||
        fail "appstreamcli: the metadata"
    appstreamcli validate-tree --no-net "$work/root" || fail "appstreamcli: the installed tree"
    for size in $ICON_SIZES; do
        geometry=$(identify -format '%wx%h' "$share/icons/hicolor/${size}x$size/apps/plume.png") ||
            fail "no ${size}x$size icon"
        [ "$geometry" = "${size}x$size" ] || fail "the ${size}x$size icon is $geometry"
    done
    grep -qx 'Icon=plume' "$entry" || fail "the desktop entry names another icon"
    echo "      ${entry##*/}, its metadata and $ICON_SIZES pixel icons"
    # MATE's saver lists the entries of its folder by their category, and runs their Exec.
    saver="$share/applications/screensavers/plume.desktop"
    desktop-file-validate "$saver" || fail "desktop-file-validate: screensavers/plume.desktop"
    grep -qx 'Categories=Screensaver;' "$saver" || fail "the hack's entry is not a Screensaver"
    grep -qx 'Exec=/usr/libexec/xscreensaver/plume --root' "$saver" ||
        fail "the hack's entry runs another command"
    grep -q '<screensaver name="plume" _label="Plume" gl="yes">' \
        "$share/xscreensaver/config/plume.xml" || fail "XScreenSaver's entry names another hack"
    echo "      screensavers/plume.desktop and xscreensaver/config/plume.xml"
}

# A desktop matches a window to its entry by StartupWMClass against the window's WM_CLASS: the
# entry may name a class only if the window has it; with none, it must name none, and the
# desktop matches the window by the launcher's process, which the program replaces.
found_window() {
    window=$(plume_window)
    [ -n "$window" ]
}

deb-window-class() {
    need_tools dpkg-deb xprop
    dpkg-deb -x "$1" "$work/root"
    local entry expected window class
    entry=$(find "$work/root/usr/share/applications" -maxdepth 1 -name '*.desktop')
    expected=$(sed -n 's/^StartupWMClass=//p' "$entry")
    (cd "$work/elsewhere" && exec "$work/root/usr/games/plume") &
    local pid=$!
    positive_pid "$pid" || fail "no process id for the program"
    wait_until 30 found_window || fail "no window"
    class=$(xprop -id "$window" WM_CLASS)
    "$PLUME_CLOSE_WINDOW" >/dev/null || true
    wait "$pid" || true
    echo "      xprop: $class; StartupWMClass: ${expected:-none}"
    if [[ "$class" == *"not found"* ]]; then
        [ -z "$expected" ] || fail "the entry names a class the window does not have"
    else
        [[ "$class" == *"\"$expected\""* ]] || fail "StartupWMClass is not the window's class"
    fi
}

deb-apt() {
    [ "$(id -u)" -eq 0 ] || skip "installing a package needs root"
    need_tools apt-get dpkg-query
    ! dpkg-query -W -f='${Status}' plume 2>/dev/null | grep -q 'ok installed' ||
        skip "a package plume is already installed here"
    local apt=(apt-get -o DPkg::Lock::Timeout=300 -y -qq)
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" install "$1" >"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get install"; }
    dpkg-query -L plume | while read -r path; do [ -d "$path" ] || echo "$path"; done \
        >"$work/files"
    echo "      installed $(wc -l <"$work/files") files"
    # From PATH as a Debian user's login sets it, in an empty folder.
    local ran=0
    PATH="/usr/local/bin:/usr/bin:/bin:/usr/games" PLUME_EXPECTED_FOLDER=/usr/share/plume \
        shows_sky "$work/elsewhere" "$PROGRAM_SECONDS" plume || ran=1
    # The hack, as XScreenSaver finds it, with the images it reads from its own place.
    PLUME_EXPECTED_FOLDER='' shows_sky "$work/elsewhere" "$PROGRAM_SECONDS" \
        /usr/libexec/xscreensaver/plume || ran=2
    DEBIAN_FRONTEND=noninteractive "${apt[@]}" remove --purge plume >>"$work/apt.log" 2>&1 ||
        { cat "$work/apt.log"; fail "apt-get remove --purge"; }
    [ "$ran" -ne 1 ] || fail "plume from PATH after apt-get install"
    [ "$ran" -ne 2 ] || fail "the installed hack in a window of its own"
    local left
    left=$(while read -r path; do [ ! -e "$path" ] || echo "$path"; done <"$work/files")
    [ -z "$left" ] || fail "left after purge: $left"
    ! dpkg-query -W plume >/dev/null 2>&1 || fail "dpkg still knows plume"
    echo "      purged: none of its files is left"
}
