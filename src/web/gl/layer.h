// The browser's fixed-function layer: OpenGL 1.1 and GLU, as far as plume calls them, over
// WebGL. The program makes its immediate-mode calls as on the desktop; the layer gathers the
// primitives into a few large draws. Its files call one way, down this list (each calls only
// those named after it):
//   gl_vertices.cpp  glBegin/glEnd and the vertex calls        gl_state gl_matrices batch
//   gl_state.cpp     enable, blending, clear, viewport, swap  gl_textures textures batch restore
//   gl_textures.cpp  the texture calls and gluBuild2DMipmaps   batch textures
//   gl_matrices.cpp  the matrix calls and gluPerspective       batch
//   batch.cpp        primitives under one state gathered into one draw   draws
//   restore.cpp      clear colour, viewport, clear; a lost context given all back  draws textures
//   draws.cpp        uploads, draws and what state each sends; the frame's record  textures
//   textures.cpp     each texture's parameters and image, its pixels kept  webgl
//   webgl.cpp        the WebGL calls themselves (the desktop's tests record them instead)
// matrices.cpp, vertices.cpp and report.cpp (reportUnsupported) stand beneath them all and call
// none of them. Beside the layer, context.cpp passes the page's context events to restore.cpp;
// it, and webgl.cpp for shaders the browser would not compile or link, show the page's message
// through web_page.h. scripts/calls-one-way checks the order.
#pragma once

// Installs the context's event handlers and makes the WebGL program; after the window opens.
void startGlLayer();
