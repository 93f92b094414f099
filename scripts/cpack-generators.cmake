# Read by CPack for each generator: whether an archive holds a top folder.
if(CPACK_GENERATOR STREQUAL "ZIP")
  # Unpacked, plume.exe stands in the folder the user chose, with its images.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  # Unpacked, one folder plume-VERSION-linux-ARCH holds the installed tree, and beside it the
  # link `plume` to the launcher.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
  set(CPACK_COMPONENTS_ALL program tarball)
elseif(CPACK_GENERATOR STREQUAL "NSIS")
  include(${CMAKE_CURRENT_LIST_DIR}/cpack-nsis.cmake)
endif()
