# plume.exe's icon and version information, through the resource compiler (MinGW's windres):
# the icon is assembled at build time from the committed PNGs by icotool (Debian's icoutils),
# the 256-pixel one kept as PNG inside the .ico as Windows Vista and later read it.
enable_language(RC)
find_program(PLUME_ICOTOOL icotool REQUIRED)
set(PLUME_ICON_DIR ${PROJECT_SOURCE_DIR}/data/icons)
set(PLUME_ICO ${CMAKE_CURRENT_BINARY_DIR}/plume.ico)
add_custom_command(OUTPUT ${PLUME_ICO}
  COMMAND ${PLUME_ICOTOOL} -c -o ${PLUME_ICO}
    ${PLUME_ICON_DIR}/plume-16.png ${PLUME_ICON_DIR}/plume-32.png ${PLUME_ICON_DIR}/plume-48.png
    ${PLUME_ICON_DIR}/plume-64.png ${PLUME_ICON_DIR}/plume-128.png
    -r ${PLUME_ICON_DIR}/plume-256.png
  DEPENDS ${PLUME_ICON_DIR}/plume-16.png ${PLUME_ICON_DIR}/plume-32.png
    ${PLUME_ICON_DIR}/plume-48.png ${PLUME_ICON_DIR}/plume-64.png
    ${PLUME_ICON_DIR}/plume-128.png ${PLUME_ICON_DIR}/plume-256.png
  VERBATIM)
configure_file(${CMAKE_CURRENT_LIST_DIR}/plume.rc.in plume.rc @ONLY)
set_source_files_properties(${CMAKE_CURRENT_BINARY_DIR}/plume.rc PROPERTIES OBJECT_DEPENDS ${PLUME_ICO})
target_sources(plume PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/plume.rc)
