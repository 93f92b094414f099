# The browser build: the program alone, compiled to WebAssembly, with Emscripten's own GLUT and
# plume's own fixed-function layer over WebGL in place of the desktop's OpenGL and GLU. The page,
# the script, the module and the packed images go to PLUME_WEB_DIR, which a static host serves.
set(PLUME_WEB_DIR ${CMAKE_BINARY_DIR}/site CACHE PATH "Where the page and its files go")

# The program's own sources, as on the desktop, so that the two builds cannot differ in what they
# draw; the Targa module goes in with them, the page's platform lines stand in for swap control
# and the caption, and the layer for OpenGL 1.1 and GLU.
include(src/web/gl/layer.cmake)
add_library(plume_core STATIC
  ${PLUME_PROGRAM_SOURCES} src/texture/targa.cpp src/web/web_platform.cpp
  ${PLUME_WEB_LAYER_SOURCES} src/web/gl/webgl.cpp src/web/gl/context.cpp)
target_include_directories(plume_core PUBLIC src)

file(GLOB PLUME_IMAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.tga)
add_executable(plume src/web/main.cpp)
target_link_libraries(plume PRIVATE plume_core)
set_target_properties(plume PROPERTIES
  SUFFIX .js
  RUNTIME_OUTPUT_DIRECTORY ${PLUME_WEB_DIR}
  LINK_DEPENDS "${PLUME_IMAGES}")
target_link_options(plume PRIVATE
  -sENVIRONMENT=web
  # The images at the root of the module's file system, its working directory, so that the
  # program opens them by bare name as it does on the desktop.
  "SHELL:--preload-file ${PROJECT_SOURCE_DIR}/data@/")

configure_file(src/web/index.html ${PLUME_WEB_DIR}/index.html COPYONLY)
