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
# The page is a GLUT host as the desktop program is, with the page's own GLUT.
add_executable(plume src/web/main.cpp ${PLUME_GLUT_HOST_SOURCES})
target_link_libraries(plume PRIVATE plume_core)
# The linked module goes beside the build; the site gets it packed, below.
set(PLUME_MODULE_DIR ${CMAKE_BINARY_DIR}/module)
set_target_properties(plume PROPERTIES SUFFIX .js RUNTIME_OUTPUT_DIRECTORY ${PLUME_MODULE_DIR}
  LINK_DEPENDS ${PROJECT_SOURCE_DIR}/src/web/glut.js)
# The program runs on the page, or in the downloads' Worker where the browser lets a Worker
# draw; either way with plume's own GLUT, which needs no document.
target_link_options(plume PRIVATE
  -sENVIRONMENT=web,worker
  "SHELL:--js-library ${PROJECT_SOURCE_DIR}/src/web/glut.js"
  # The page downloads the images and writes them at the root of the module's file system, its
  # working directory, so that the program opens them by bare name as it does on the desktop.
  -sFORCE_FILESYSTEM=1
  "SHELL:-sEXPORTED_RUNTIME_METHODS=FS,addRunDependency,removeRunDependency")

# The still the page shows while it loads: the first live frame (the clock at 0), drawn by a
# desktop build's plume-snapshot on an X display, wide enough that, scaled to the window's
# height, it holds what the live frame shows at any aspect up to 5:2, and sent as a small WebP.
set(PLUME_SNAPSHOT "" CACHE FILEPATH "plume-snapshot of a desktop build, which draws the still")
if(NOT EXISTS "${PLUME_SNAPSHOT}")
  message(FATAL_ERROR "PLUME_SNAPSHOT must name a desktop build's plume-snapshot "
    "(scripts/web and tests/web/run build pass it)")
endif()
find_program(PLUME_CWEBP cwebp REQUIRED)
find_program(PLUME_ZOPFLI zopfli REQUIRED)
set(PLUME_STILL_SIZE 1200x480)
set(PLUME_STILL_QUALITY 70)
set(PLUME_STILL ${CMAKE_BINARY_DIR}/still.webp)
add_custom_command(OUTPUT ${PLUME_STILL}
  COMMAND ${PLUME_SNAPSHOT} --data ${PROJECT_SOURCE_DIR}/data --time 0
    --size ${PLUME_STILL_SIZE} --out ${CMAKE_BINARY_DIR}/still.png
  COMMAND ${PLUME_CWEBP} -quiet -q ${PLUME_STILL_QUALITY} -m 6 -metadata none
    ${CMAKE_BINARY_DIR}/still.png -o ${PLUME_STILL}
  DEPENDS ${PLUME_SNAPSHOT} ${PLUME_IMAGES}
  COMMENT "Drawing the page's still")

find_program(PLUME_NODE NAMES node nodejs REQUIRED)
set(PLUME_PAGE_FILES ${PROJECT_SOURCE_DIR}/src/web/index.html ${PROJECT_SOURCE_DIR}/src/web/sw.js
  ${PROJECT_SOURCE_DIR}/src/web/page.js ${PROJECT_SOURCE_DIR}/src/web/controls.js
  ${PROJECT_SOURCE_DIR}/src/web/program.js
  ${PROJECT_SOURCE_DIR}/src/web/unpack.js
  ${PROJECT_SOURCE_DIR}/src/web/pack_site.mjs)
add_custom_command(OUTPUT ${PLUME_WEB_DIR}/index.html ${PLUME_WEB_DIR}/sw.js
  COMMAND ${PLUME_NODE} ${PROJECT_SOURCE_DIR}/src/web/pack_site.mjs ${PLUME_MODULE_DIR}
    ${PROJECT_SOURCE_DIR}/data ${PROJECT_SOURCE_DIR}/src/web ${PLUME_STILL} ${PLUME_WEB_DIR}
  DEPENDS plume ${PLUME_IMAGES} ${PLUME_PAGE_FILES} ${PLUME_STILL}
  COMMENT "Packing the page, module and images into ${PLUME_WEB_DIR}")
add_custom_target(plume_site ALL DEPENDS ${PLUME_WEB_DIR}/index.html)
