// The browser's fixed-function layer: OpenGL 1.1 and GLU, as far as plume calls them, over
// WebGL. The program makes its immediate-mode calls as on the desktop; the layer gathers the
// primitives into a few large draws. Its files call one way, from the top down:
//   gl_vertices.cpp  glBegin/glEnd and the vertex calls          (gl_state, gl_matrices, batch)
//   gl_state.cpp     capabilities, blending, clear, viewport, swap  (gl_textures, batch, restore)
//   gl_textures.cpp  the texture calls and gluBuild2DMipmaps     (batch, textures)
//   gl_matrices.cpp  the matrix calls and gluPerspective         (batch)
//   batch.cpp        primitives under one state gathered into one draw   (draws)
//   restore.cpp      the clear colour, viewport and clear kept; loss and restore  (draws, textures)
//   draws.cpp        uploads and draws, the state each sends, the frame's record  (textures)
//   textures.cpp     the textures, pixels kept for a restore
//   webgl.cpp        the WebGL calls themselves; the desktop's tests record them instead
// with matrices.cpp, vertices.cpp and report.cpp beneath them all, calling none of them.
// context.cpp, beside, hears the page's context events and passes them to restore.cpp.
#pragma once

// Installs the context's event handlers and makes the WebGL program; after the window opens.
void startGlLayer();
