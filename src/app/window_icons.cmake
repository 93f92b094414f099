# The X11 window's icon, compiled into the program from the Targa icons of data/icons/ (see
# window_icons.h). Sizes: the powers of two, which the Targa reader takes, up to 128 pixels, so
# that _NET_WM_ICON stays within one plain X request (256 KB); a desktop that shows the window
# larger finds the menu entry's icons through the window's class.
# Run as a script (cmake -DOUTPUT=FILE.cpp "-DICONS=A.tga;B.tga" -P window_icons.cmake), it
# writes the C++ file that holds them.
set(PLUME_WINDOW_ICON_SIZES 16 32 64 128)

if(CMAKE_SCRIPT_MODE_FILE)
  set(arrays "")
  set(files "")
  set(index 0)
  foreach(icon IN LISTS ICONS)
    file(READ ${icon} bytes HEX)
    string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${bytes}")
    string(REGEX REPLACE "((0x..,){20})" "\\1\n" bytes "${bytes}")
    cmake_path(GET icon FILENAME name)
    string(APPEND arrays "// ${name}\nconst unsigned char ICON_${index}[] = {\n${bytes}};\n")
    string(APPEND files "    {ICON_${index}, sizeof ICON_${index}},\n")
    math(EXPR index "${index} + 1")
  endforeach()
  file(WRITE ${OUTPUT} "// Written by src/app/window_icons.cmake from data/icons/.\n"
    "#include \"app/window_icons.h\"\n\n#include <iterator>\n\nnamespace {\n\n${arrays}\n"
    "} // namespace\n\nconst EmbeddedFile WINDOW_ICON_FILES[] = {\n${files}};\n"
    "const std::size_t WINDOW_ICON_FILE_COUNT = std::size(WINDOW_ICON_FILES);\n")
  return()
endif()

find_package(X11 REQUIRED)
set(PLUME_WINDOW_ICONS ${PLUME_WINDOW_ICON_SIZES})
list(TRANSFORM PLUME_WINDOW_ICONS PREPEND ${PROJECT_SOURCE_DIR}/data/icons/plume-)
list(TRANSFORM PLUME_WINDOW_ICONS APPEND .tga)
set(PLUME_WINDOW_ICON_SOURCE ${CMAKE_CURRENT_BINARY_DIR}/window_icon_files.cpp)
add_custom_command(OUTPUT ${PLUME_WINDOW_ICON_SOURCE}
  COMMAND ${CMAKE_COMMAND} -DOUTPUT=${PLUME_WINDOW_ICON_SOURCE} "-DICONS=${PLUME_WINDOW_ICONS}"
    -P ${CMAKE_CURRENT_LIST_FILE}
  DEPENDS ${PLUME_WINDOW_ICONS} ${CMAKE_CURRENT_LIST_FILE}
  COMMENT "Compiling the window's icons into the program" VERBATIM)
target_sources(plume_glut PRIVATE src/app/window_icons.cpp ${PLUME_WINDOW_ICON_SOURCE})
target_link_libraries(plume_glut PUBLIC X11::X11)
