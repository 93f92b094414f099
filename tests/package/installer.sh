# The Windows installer under Wine, for tests/package/check (whose helpers it uses):
#   installer EXE VERSION         installer-saver EXE VERSION (the screen saver's component)
# In a fresh Wine prefix: a silent install (/S) into Program Files with its Start-menu shortcut
# and uninstall key, plume started from that shortcut showing its sky, then a silent uninstall
# that must leave the prefix as it found it. Controls: neither shortcut nor key before the
# install, and the installed program started outside its folder judged white.
# shellcheck shell=bash

# In the installer's own words: the uninstall key and the Start-menu folder's name.
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\plume'
# Windows' shell link header: its flags at byte 20, and the flag that the link names an icon.
LINK_FLAGS_OFFSET=20
LINK_HAS_ICON_LOCATION=64

# The files of the prefix's C: drive, but for the temporary folders (an uninstaller runs from a
# copy there, which Windows removes at the next start).
drive_files() {
    (cd "$WINEPREFIX/drive_c" && find . -path '*/Temp' -prune -o -print | sort)
}

# shortcut LINK: the Start-menu link exists, names plume.exe and an icon.
shortcut() {
    [ -f "$1" ] || { echo "no ${1#"$WINEPREFIX"/}"; return 1; }
    local flags
    flags=$(od -An -tu1 -j "$LINK_FLAGS_OFFSET" -N1 "$1" | tr -d ' ')
    echo "${1#"$WINEPREFIX"/}: $(wc -c <"$1") bytes, flags $flags, names: $(strings -el "$1" | sort -u | tr '\n' ' ')"
    ((flags & LINK_HAS_ICON_LOCATION)) || { echo "the link names no icon"; return 1; }
    strings -el "$1" | grep -qi 'Program Files\\plume\\plume\.exe' || { echo "the link names no plume.exe"; return 1; }
}

# uninstall_key VERSION FOLDER: the Apps & features entry, with its five values.
uninstall_key() {
    local values size_kib folder_kib
    values=$(wine reg query "$UNINSTALL_KEY" 2>/dev/null | tr -d '\r') || { echo "no key $UNINSTALL_KEY"; return 1; }
    grep -E '^ +(DisplayName|DisplayIcon|DisplayVersion|Publisher|EstimatedSize) ' <<<"$values"
    grep -qE '^ +DisplayName +REG_SZ +plume$' <<<"$values" || { echo "DisplayName is not plume"; return 1; }
    grep -qE "^ +DisplayVersion +REG_SZ +$1\$" <<<"$values" || { echo "DisplayVersion is not $1"; return 1; }
    grep -qE '^ +Publisher +REG_SZ +.' <<<"$values" || { echo "no Publisher"; return 1; }
    grep -qiE '^ +DisplayIcon +REG_SZ +C:\\Program Files\\plume\\plume\.exe$' <<<"$values" ||
        { echo "DisplayIcon is not the installed plume.exe"; return 1; }
    size_kib=$(($(sed -n 's/^ *EstimatedSize *REG_DWORD *//p' <<<"$values")))
    folder_kib=$(find "$2" -type f -printf '%s\n' | awk '{ bytes += $1 } END { print int(bytes / 1024) }')
    echo "EstimatedSize $size_kib KiB; the folder's files $folder_kib KiB"
    ((size_kib > 0 && size_kib - folder_kib <= 1 && folder_kib - size_kib <= 1)) ||
        { echo "EstimatedSize is not the folder's size"; return 1; }
}

# step WHAT COMMAND...: what COMMAND saw, indented; the check fails, saying WHAT, if it fails.
step() {
    local what=$1 output status=0
    shift
    output=$("$@" 2>&1) || status=$?
    [ -z "$output" ] || indent <<<"$output"
    [ "$status" -eq 0 ] || fail "$what"
}

# fresh_prefix: an X server and a Wine prefix of the check's own for an installer to run in.
# shellcheck disable=SC2154 # $work: the check's own folder, made by tests/package/check
fresh_prefix() {
    start_x_server || fail "no X server"
    start_wine "$work/prefix" || fail "no Wine prefix"
    # The prefix is this check's alone: whatever still runs in it when the check ends is ended.
    trap 'wineserver -k 2>/dev/null; stop_x_server; rm -rf "$work"' EXIT
    # No menu entries on the host for the links the installer makes.
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
}

installer() {
    need_tools wine wineserver strings od
    fresh_prefix
    local folder="$WINEPREFIX/drive_c/Program Files/plume"
    local link="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/plume/plume.lnk"
    ! shortcut "$link" >/dev/null || fail "control: a shortcut before the install"
    ! uninstall_key "$2" "$folder" >/dev/null || fail "control: an uninstall key before the install"
    echo "      control: before the install, no shortcut and no uninstall key"
    drive_files >"$work/before"

    wine "$1" /S || fail "the silent install ended with status $?"
    wineserver -w
    drive_files >"$work/installed"
    # The control of the listing that judges the uninstall: it must see what the install added.
    local added
    added=$(comm -13 "$work/before" "$work/installed" | wc -l)
    [ "$added" -gt 0 ] || fail "control: the listing of the C: drive sees nothing installed"
    echo "      installed $added files and folders: $(cd "$folder" && echo *)"
    step "the Start-menu shortcut" shortcut "$link"
    # The control of installer-saver: without the saver chosen, neither its file nor its setting.
    [ "$(saver_state)" = "SCRNSAVE.EXE: " ] || fail "the default install put the saver in place: $(saver_state)"
    echo "      the default install: no Plume.scr in System32, no SCRNSAVE.EXE"
    step "the uninstall key" uninstall_key "$2" "$folder"
    # From the shortcut, as the Start menu starts it: in plume's folder, among its images. `start`
    # returns once it has opened the link, so the run lasts until the prefix's programs end.
    # shellcheck disable=SC2016 # $1 is the inner shell's: the link
    shows_sky "$work/elsewhere" "$PROGRAM_SECONDS" \
        bash -c 'wine start /unix "$1" && wineserver -w' - "$link" ||
        fail "plume from its Start-menu shortcut"
    white_without_images "$work/elsewhere" "$PROGRAM_SECONDS" wine "$folder/plume.exe"

    wine "$folder/Uninstall.exe" /S || fail "the silent uninstall ended with status $?"
    # The uninstaller goes on in a copy of itself, which the wait outlasts.
    wineserver -w
    drive_files >"$work/after"
    local left
    left=$(diff "$work/before" "$work/after" || true)
    [ -z "$left" ] || fail "the uninstall left the prefix other than it found it:"$'\n'"$left"
    ! uninstall_key "$2" "$folder" >/dev/null || fail "the uninstall key is left"
    ! wine reg query 'HKLM\Software\the plume developers\plume' >/dev/null 2>&1 ||
        fail "the installer's own key is left"
    echo "      uninstalled: the C: drive as before the install, no uninstall key, no key of its own"
    echo "      left in temporary folders: $(cd "$WINEPREFIX/drive_c" &&
        find . -path '*/Temp/*' -newer "$work/before" -exec echo {} +)"
}

# The screen saver's component: where it puts the saver, and the user's setting.
SAVER_KEY='HKCU\Control Panel\Desktop'
SAVER_SETTING='C:\windows\system32\Plume.scr'
COMPONENT_KEY="$UNINSTALL_KEY\\Components\\saver"

# screen_saver_setting: the user's SCRNSAVE.EXE, or nothing.
screen_saver_setting() {
    wine reg query "$SAVER_KEY" /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *SCRNSAVE\.EXE *REG_SZ *//p'
}

# saver_state: where the saver file is and what the setting names, in one line.
saver_state() {
    local file
    for file in system32 syswow64; do
        [ ! -e "$WINEPREFIX/drive_c/windows/$file/Plume.scr" ] || printf "%s" "windows\\$file\\Plume.scr; "
    done
    echo "SCRNSAVE.EXE: $(screen_saver_setting)"
}

# saver_screen: Plume.scr /s from System32, as Windows starts it; the mean level of the screen.
saver_screen() {
    (cd "$work/elsewhere" && exec wine 'C:\windows\system32\Plume.scr' /s >/dev/null 2>&1) &
    local pid=$! window='' mean=''
    positive_pid "$pid" || return 1
    for _ in {1..150}; do
        window=$(plume_window)
        [ -z "$window" ] || [ "$(window_state "$window")" != "1280x1024 IsViewable" ] || break
        sleep 0.2
    done
    sleep 1
    [ -z "$window" ] || mean=$(import -window root png:- | convert - -format '%[fx:mean]' info:)
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    wineserver -w
    echo "${mean:-no window}"
}

# The saver chosen, as the installer reads an earlier installation's choice (CPack's component
# flag under the uninstall key), then a silent install.
install_with_saver() {
    wine reg add "$COMPONENT_KEY" /v Installed /t REG_DWORD /d 1 /f >/dev/null 2>&1
    wine "$1" /S || fail "the silent install with the saver ended with status $?"
    wineserver -w
}

installer-saver() {
    need_tools wine wineserver import convert
    fresh_prefix
    local folder="$WINEPREFIX/drive_c/Program Files/plume" state mean
    [ "$(saver_state)" = "SCRNSAVE.EXE: " ] || fail "control: a saver before the install: $(saver_state)"
    install_with_saver "$1"
    state=$(saver_state)
    echo "      installed with the saver: $state"
    [ "$state" = "windows\\system32\\Plume.scr; SCRNSAVE.EXE: $SAVER_SETTING" ] ||
        fail "the saver's component: not System32's Plume.scr and SCRNSAVE.EXE naming it"
    cmp "$WINEPREFIX/drive_c/windows/system32/Plume.scr" "$folder/Plume.scr" ||
        fail "System32's Plume.scr is not the installed one"
    # Started in System32, the saver finds its images through the installer's key.
    mean=$(saver_screen)
    echo "      Plume.scr /s from System32: the screen's mean level $mean (white: above $WHITE_MEAN_LEVEL)"
    below_white "$mean" || fail "the saver from System32 does not show the sky"
    wine reg delete 'HKLM\Software\the plume developers\plume' /ve /f >/dev/null 2>&1
    mean=$(saver_screen)
    echo "      control: without the installer's folder in the registry: $mean"
    ! below_white "$mean" || fail "control: the saver showed the sky without the installer's key"
    wine "$folder/Uninstall.exe" /S || fail "the silent uninstall ended with status $?"
    wineserver -w
    state=$(saver_state)
    echo "      uninstalled: $state"
    [ "$state" = "SCRNSAVE.EXE: " ] || fail "the uninstall left the saver or its setting"
    # A saver the user chose since is theirs: the uninstaller leaves the setting.
    install_with_saver "$1"
    wine reg add "$SAVER_KEY" /v SCRNSAVE.EXE /d 'C:\windows\system32\other.scr' /f >/dev/null 2>&1
    wine "$folder/Uninstall.exe" /S || fail "the second uninstall ended with status $?"
    wineserver -w
    state=$(saver_state)
    echo "      another saver chosen after the install, then uninstalled: $state"
    [ "$state" = 'SCRNSAVE.EXE: C:\windows\system32\other.scr' ] ||
        fail "the uninstall took away another saver's setting, or left Plume.scr"
}
