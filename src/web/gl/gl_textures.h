// The texture calls of OpenGL 1.1 and GLU, checked against what WebGL 1 can do and passed to the
// kept textures below.
#pragma once

// The name glBindTexture last bound.
unsigned boundTextureName();
