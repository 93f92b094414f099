# The browser layer's files that need no browser: all but webgl.cpp and context.cpp, which the
# browser build adds. The desktop's tests build these against a WebGL that records.
set(PLUME_WEB_LAYER_SOURCES)
foreach(name report matrices vertices textures draws restore batch gl_matrices gl_textures
             gl_state gl_vertices)
  list(APPEND PLUME_WEB_LAYER_SOURCES ${CMAKE_CURRENT_LIST_DIR}/${name}.cpp)
endforeach()
