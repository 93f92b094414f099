// The only place that knows where each platform keeps its OpenGL and GLU headers. The GLUT
// header, which only the toolkit's hosts need, is platform_glut.h's.
#pragma once

#if defined(__APPLE__)
// macOS marks its fixed-function OpenGL (and its GLUT framework) deprecated; they still work.
#define GL_SILENCE_DEPRECATION
#include <OpenGL/gl.h>
#include <OpenGL/glu.h>
#elif defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
// MinGW's C++ library defines it already.
#ifndef NOMINMAX
#define NOMINMAX
#endif
// Windows' gl.h needs its calling conventions declared first.
#include <windows.h>

#include <GL/gl.h>
#include <GL/glu.h>
#else
// Also the browser's: plume's layer in src/web/ supplies the OpenGL 1.1 and GLU calls there.
#include <GL/gl.h>
#include <GL/glu.h>
#endif

// OpenGL 1.1 headers (Windows ships no newer) lack the 1.2 edge clamp.
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
