# Sourced by tests/windows/run: the installer and its uninstaller in a Wine prefix of its own.
# shellcheck shell=bash
# shellcheck disable=SC2154 # $work, $exe, $version, $folder and $link are run's
# Apps & features' entry, and the installer's own key, which names plume's folder.
UNINSTALL_KEY='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\plume'
OWN_KEY='HKLM\Software\the plume developers\plume'

# The files of the C: drive but for the temporary folders (where an uninstaller runs a copy).
drive_files() { (cd "$WINEPREFIX/drive_c" && find . -path '*/Temp' -prune -o -print | sort); }

# installed: the Start-menu link names plume.exe and an icon (flag 64 of byte 20); the uninstall
# key names plume, its version, publisher and icon, and the folder's size to a KiB.
installed() {
    local values size_kib folder_kib
    [ -f "$link" ] && values=$(wine reg query "$UNINSTALL_KEY" | tr -d '\r') || return 1
    echo "the link names: $(strings -el "$link" | sort -u | xargs)"
    (($(od -An -tu1 -j 20 -N1 "$link") & 64))
    strings -el "$link" | grep -qi 'Program Files\\plume\\plume\.exe'
    grep -E '^ +(Display|Publisher|EstimatedSize)' <<<"$values"
    grep -qE '^ +DisplayName +REG_SZ +plume$' <<<"$values"
    grep -qE "^ +DisplayVersion +REG_SZ +$version\$" <<<"$values"
    grep -qE '^ +Publisher +REG_SZ +.' <<<"$values"
    grep -qiE '^ +DisplayIcon +REG_SZ +C:\\Program Files\\plume\\plume\.exe$' <<<"$values"
    size_kib=$(($(sed -n 's/^ *EstimatedSize *REG_DWORD *//p' <<<"$values")))
    folder_kib=$((($(find "$folder" -type f -printf '%s+')0) / 1024))
    echo "the folder: $folder_kib KiB"
    ((size_kib > 0 && size_kib - folder_kib <= 1 && folder_kib - size_kib <= 1))
}

# saver_state: the saver's files in the system folders, and the user's setting.
saver_state() {
    (cd "$WINEPREFIX/drive_c/windows" && ls -d sys*/Plume.scr 2>/dev/null) || true
    wine reg query 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE 2>/dev/null | tr -d '\r' |
        sed -n 's/^ *SCRNSAVE\.EXE *REG_SZ *//p'
}

# wine_done COMMAND...: a Windows program and all it started ended, the first with 0.
wine_done() { wine "$@" >/dev/null && wineserver -w; }

# A silent install; plume from its Start-menu link (started in its folder, among its images)
# shows the scene, started elsewhere white faces; a silent uninstall leaves all as before.
installer() {
    refuse installed
    drive_files >"$work/before"
    wine_done "$exe" /S
    echo "installed $(drive_files | comm -13 "$work/before" - | wc -l) files and folders"
    [ -n "$(drive_files | comm -13 "$work/before" -)" ] # the control of the uninstall's listing
    installed
    [ -z "$(saver_state)" ] # the control of installer-saver
    program_frame wine "$folder/plume.exe"
    mv "$work/frame.png" "$work/white.png"
    # shellcheck disable=SC2016 # $1 is the inner shell's: the link
    program_frame bash -c 'wine start /unix "$1" && wineserver -w' - "$link"
    scene "$work/frame.png" "$work/white.png"
    wine_done "$folder/Uninstall.exe" /S
    diff "$work/before" <(drive_files)
    refuse installed
    refuse wine reg query "$OWN_KEY"
}

# The saver chosen (CPack's component flag): in System32 and the user's setting, finding its
# images through the installer's key; uninstalled, neither, but another saver chosen since.
installer_saver() {
    local age_saver
    [ -z "$(saver_state)" ]
    wine_done reg add "$UNINSTALL_KEY\\Components\\saver" /v Installed /t REG_DWORD /d 1 /f
    wine_done "$exe" /S
    echo "installed with the saver: $(saver_state)"
    [ "$(saver_state)" = $'system32/Plume.scr\nC:\\windows\\system32\\Plume.scr' ]
    cmp "$WINEPREFIX/drive_c/windows/system32/Plume.scr" "$folder/Plume.scr"
    screen_frame "$work/saver.png" 'C:\windows\system32\Plume.scr'
    stop_processes "$pid"
    age_saver=$age
    wine_done reg delete "$OWN_KEY" /ve /f
    screen_frame "$work/white.png" 'C:\windows\system32\Plume.scr'
    stop_processes "$pid"
    age=$age_saver scene "$work/saver.png" "$work/white.png"
    wine_done "$folder/Uninstall.exe" /S
    [ -z "$(saver_state)" ]
    wine_done "$exe" /S
    wine_done reg add 'HKCU\Control Panel\Desktop' /v SCRNSAVE.EXE /d 'C:\other.scr' /f
    wine_done "$folder/Uninstall.exe" /S
    echo "another saver chosen, then uninstalled: $(saver_state)"
    [ "$(saver_state)" = 'C:\other.scr' ]
}
