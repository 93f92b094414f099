# The Windows installer, read by CPack for its NSIS generator (makensis, which Debian's nsis runs
# on Linux). Set here rather than with the others because CPack reads this file as it packs:
# each NSIS line is written once, as NSIS reads it, with CMake's escapes only.
#
# Per machine, into Program Files\plume, with a Start-menu shortcut and an entry in Apps &
# features; `/S` installs and uninstalls it silently.
set(CPACK_PACKAGE_INSTALL_DIRECTORY plume)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY plume)
set(CPACK_NSIS_PACKAGE_NAME plume)
set(CPACK_NSIS_DISPLAY_NAME plume)
# A 64-bit installer for the 64-bit program: Program Files rather than Program Files (x86), and
# the registry's own view rather than the 32-bit programs' copy.
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
set(CPACK_NSIS_INSTALLER_ICON_CODE "Target amd64-unicode")
set(CPACK_NSIS_INSTALLED_ICON_NAME plume.exe) # DisplayIcon: the program's own icon
set(CPACK_NSIS_MODIFY_PATH OFF)
# A new version replaces an installed one instead of landing beside it.
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
# The program is always installed; the one choice, on the components page, is the screen
# saver, which is off unless chosen. Its section (named saver, as its component) puts Plume.scr
# beside the program; the commands below copy it into System32 and make it the user's saver.
set(CPACK_COMPONENT_PROGRAM_DISPLAY_NAME plume)
set(CPACK_COMPONENT_PROGRAM_REQUIRED ON)
set(CPACK_COMPONENT_PROGRAM_HIDDEN ON)
set(CPACK_COMPONENT_SAVER_DISPLAY_NAME "Use plume as the screen saver")
set(CPACK_COMPONENT_SAVER_DESCRIPTION
  "Installs Plume.scr into Windows' System32 folder and makes it your screen saver.")
set(CPACK_COMPONENT_SAVER_DISABLED ON)

# The shortcut starts plume in its folder, where it reads its images by bare name, and shows
# the icon inside plume.exe. CreateShortCut takes the working folder from SetOutPath.
set(CPACK_NSIS_CREATE_ICONS_EXTRA "
  SetOutPath '$INSTDIR'
  CreateShortCut '$SMPROGRAMS\\$STARTMENU_FOLDER\\plume.lnk' '$INSTDIR\\plume.exe' '' '$INSTDIR\\plume.exe' 0")
set(CPACK_NSIS_DELETE_ICONS_EXTRA "
  Delete '$SMPROGRAMS\\$MUI_TEMP\\plume.lnk'")

# Apps & features shows the size the uninstall key gives, in KiB; CMake 3.25's template writes
# none. With the saver chosen, the 64-bit saver goes into the real System32 (a 32-bit installer
# would be sent to SysWOW64 without the redirection turned off) and becomes the user's saver.
set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "
  !include FileFunc.nsh
  \${GetSize} '$INSTDIR' '/S=0K' $0 $1 $2
  IntFmt $0 '0x%08X' $0
  WriteRegDWORD SHCTX 'Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\plume' 'EstimatedSize' $0

  !include LogicLib.nsh
  !include x64.nsh
  \${If} \${SectionIsSelected} \${saver}
    \${DisableX64FSRedirection}
    CopyFiles /SILENT '$INSTDIR\\Plume.scr' '$SYSDIR'
    \${EnableX64FSRedirection}
    WriteRegStr HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE' '$SYSDIR\\Plume.scr'
  \${EndIf}")
# Display settings lists the savers in System32, and Windows runs the one SCRNSAVE.EXE names
# (the installing user's): the uninstaller takes the file away, and the setting only if it still
# names that file (NSIS compares without regard to case), so that a saver chosen since stays.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  !include LogicLib.nsh
  !include x64.nsh
  \${DisableX64FSRedirection}
  Delete '$SYSDIR\\Plume.scr'
  \${EnableX64FSRedirection}
  ReadRegStr $0 HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE'
  \${If} $0 == '$SYSDIR\\Plume.scr'
    DeleteRegValue HKCU 'Control Panel\\Desktop' 'SCRNSAVE.EXE'
  \${EndIf}")
