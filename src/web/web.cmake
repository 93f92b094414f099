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

file(GLOB PLUME_IMAGES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/data/*.tga
  ${PROJECT_SOURCE_DIR}/data/icons/*.png)
add_executable(plume src/web/main.cpp)
target_link_libraries(plume PRIVATE plume_core)
# The linked module goes beside the build; the site gets it packed, below.
set(PLUME_MODULE_DIR ${CMAKE_BINARY_DIR}/module)
set_target_properties(plume PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${PLUME_MODULE_DIR})
target_link_options(plume PRIVATE
  -sENVIRONMENT=web
  # The page downloads the images and writes them at the root of the module's file system, its
  # working directory, so that the program opens them by bare name as it does on the desktop.
  -sFORCE_FILESYSTEM=1
  "SHELL:-sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency")

find_program(PLUME_NODE NAMES node nodejs REQUIRED)
set(PLUME_PAGE_FILES ${PROJECT_SOURCE_DIR}/src/web/index.html ${PROJECT_SOURCE_DIR}/src/web/sw.js
  ${PROJECT_SOURCE_DIR}/src/web/pack_site.mjs)
add_custom_command(OUTPUT ${PLUME_WEB_DIR}/index.html ${PLUME_WEB_DIR}/sw.js
  COMMAND ${PLUME_NODE} ${PROJECT_SOURCE_DIR}/src/web/pack_site.mjs ${PLUME_MODULE_DIR}
    ${PROJECT_SOURCE_DIR}/data ${PROJECT_SOURCE_DIR}/src/web ${PLUME_WEB_DIR}
  DEPENDS plume ${PLUME_IMAGES} ${PLUME_PAGE_FILES}
  COMMENT "Packing the page, module and images into ${PLUME_WEB_DIR}")
add_custom_target(plume_site ALL DEPENDS ${PLUME_WEB_DIR}/index.html)
