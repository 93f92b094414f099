// The browser's fixed-function layer: OpenGL 1.1 and GLU, as far as plume calls them, over
// WebGL. The program makes its immediate-mode calls as on the desktop; the layer gathers the
// primitives into a few large draws. What its files share:
//   gl_matrices.cpp  the matrix calls and gluPerspective
//   gl_vertices.cpp  glBegin/glEnd and the vertex calls, batches and the frame's record
//   gl_state.cpp     textures, capabilities, blending, clear, viewport, swap
//   shader.cpp       the WebGL program, buffers and draws
//   context.cpp      a lost context and its restoration
#pragma once

#include "web/matrices.h"

// What a draw depends on: primitives gathered under equal state go into one draw.
struct DrawState {
    unsigned texture; // the program's texture name
    bool textured;    // texturing on, with a complete texture to sample
    bool blend;
    unsigned blendSource, blendDestination;
    bool depthTest;
};

bool sameDrawState(const DrawState& a, const DrawState& b);

struct LayerDraw {
    DrawState state;
    Matrix4 projection;
    int firstIndex;
    int indexCount;
};

// Installs the context's event handlers and makes the WebGL program; after the window opens.
void startGlLayer();

// gl_matrices.cpp
const Matrix4& modelViewMatrix();
const Matrix4& projectionMatrix();

// gl_vertices.cpp: sends what has gathered as one draw; a state change that the gathered
// primitives must not see calls it first.
void flushGathered();
bool gatheredUnderTexture(unsigned name);
void forgetFrame();
void replayFrame();

// gl_state.cpp
DrawState currentDrawState();
void bindLayerTexture(unsigned name);
void rebuildTexturesAndState();

// shader.cpp
void createPipeline();
void uploadGathered(int firstVertex, int vertexCount, int firstIndex, int indexCount);
void drawGathered(const LayerDraw& draw);

// context.cpp
bool contextIsLost();
// Says once on the console that plume asked for something the layer does not do.
void reportUnsupported(const char* what);
