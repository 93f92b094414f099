# Read by CPack for each generator: whether an archive holds a top folder.
if(CPACK_GENERATOR STREQUAL "ZIP")
  # Unpacked, plume.exe stands in the folder the user chose, with its images.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY OFF)
elseif(CPACK_GENERATOR STREQUAL "TGZ")
  # Unpacked, one folder plume-VERSION-linux-ARCH holds the installed tree.
  set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
endif()
