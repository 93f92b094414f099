// The only place that knows where each platform keeps its OpenGL, GLU and GLUT headers.
#pragma once

#if defined(__APPLE__)
// macOS marks its GLUT framework and fixed-function OpenGL deprecated; they still work.
#define GL_SILENCE_DEPRECATION
#include <GLUT/glut.h>
#include <OpenGL/gl.h>
#include <OpenGL/glu.h>
#elif defined(_WIN32)
#define WIN32_LEAN_AND_MEAN
// MinGW's C++ library defines it already.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <windows.h>
#elif defined(__EMSCRIPTEN__)
// The browser: Emscripten's GLUT header, whose calls src/web/glut.js answers on the page or in a
// Worker; plume's layer in src/web/ supplies the OpenGL 1.1 and GLU calls, over WebGL.
#include <GL/gl.h>
#include <GL/glu.h>
#include <GL/glut.h>
#else
#include <GL/freeglut.h>
#include <GL/gl.h>
#include <GL/glu.h>
#endif

// OpenGL 1.1 headers (Windows ships no newer) lack the 1.2 edge clamp.
#ifndef GL_CLAMP_TO_EDGE
#define GL_CLAMP_TO_EDGE 0x812F
#endif
