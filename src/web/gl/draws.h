// The draws as WebGL receives them: each batch's new vertices uploaded and its triangles drawn
// under its state, sending only what changed since the draw before; and the frame's record of
// them, which a restored context draws again.
#pragma once

#include "web/gl/matrices.h"

// What a draw depends on: primitives gathered under equal state go into one draw.
struct DrawState {
    unsigned texture; // the program's texture name
    bool textured;    // texturing on, with a complete texture to sample
    bool blend;
    unsigned blendSource, blendDestination;
    bool depthTest;
};

struct LayerDraw {
    DrawState state;
    Matrix4 projection;
    int firstIndex;
    int indexCount;
};

// On a new or restored context: the program and buffers, and no state known to be set.
void startDraws();
// A lost context is sent no vertices and no draws; what it misses is drawn again on its return.
void setContextLost(bool lost);
bool contextIsLost();

// Notes the draw in the frame's record, uploads what the frame gathered since the draw before,
// and draws.
void sendDraw(const LayerDraw& draw);
// The frame starts again, at a clear: its record and its uploads are forgotten.
void forgetDraws();
// The frame so far uploaded whole and its draws made again, on a restored context.
void replayDraws();
