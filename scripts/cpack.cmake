# The downloads, made by CPack from the install rules: the program's component alone, never the
# tools. Windows: a ZIP of one folder. Linux: a tarball of the installed tree under a folder of
# its own, and a Debian package whose dependencies dpkg-shlibdeps works out.
set(CPACK_PACKAGE_NAME plume)
set(CPACK_PACKAGE_VENDOR "the plume developers")
set(CPACK_PACKAGE_CONTACT "${PLUME_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time OpenGL demo of feathers drifting across a sky")
set(CPACK_PACKAGE_DESCRIPTION "plume is a small real-time OpenGL demonstration. It opens one
640x480 window and draws a textured sky box seen from a slowly turning camera,
and in front of it 512 tinted feathers that tumble and drift in a wind that
changes with time. The caption shows the frame rate every 100 frames.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
# One package of the listed components, named as the project; on Windows the screen saver is
# one of them (in the zip beside the program, and a choice in the installer).
set(CPACK_COMPONENTS_ALL program)
if(WIN32)
  list(APPEND CPACK_COMPONENTS_ALL saver)
endif()
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
# Every file and folder readable by all, whatever the umask of the machine that packs.
set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
  OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_CURRENT_LIST_DIR}/cpack-generators.cmake)
if(WIN32)
  set(CPACK_GENERATOR ZIP NSIS)
  set(CPACK_SYSTEM_NAME windows-x86_64)
  # The installer's own icon and its uninstaller's: plume's, as the build assembles it.
  set(CPACK_NSIS_MUI_ICON ${PLUME_ICO})
  set(CPACK_NSIS_MUI_UNIICON ${PLUME_ICO})
else()
  set(CPACK_GENERATOR TGZ DEB)
  set(CPACK_SYSTEM_NAME linux-${CMAKE_SYSTEM_PROCESSOR})
endif()

# The Debian package is made from a build of its own (scripts/package): the system's freeglut,
# the prefix /usr, and the launcher in /usr/games, as Debian's policy puts games.
set(CPACK_DEBIAN_PACKAGE_NAME plume)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The hack runs under either screen saver, and the program needs neither.
if(TARGET plume-saver)
  set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | mate-screensaver")
endif()
# A cross-built package is for the processor it was built for (CPack would name the build
# machine's): Debian's name for 64-bit Arm.
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()
include(CPack)
