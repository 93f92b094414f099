// Where each platform keeps its GLUT header: for the GLUT program, the page, and the tools and
// checks that open the program's window. The core does without it.
#pragma once

#include "platform.h"

#if defined(__APPLE__)
#include <GLUT/glut.h>
#elif defined(__EMSCRIPTEN__)
// Emscripten's GLUT header, whose calls src/web/glut.js answers on the page or in a Worker.
#include <GL/glut.h>
#else
#include <GL/freeglut.h>
#endif
