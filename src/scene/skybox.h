// The cube of six sky faces around the viewer.
#pragma once

#include "texture/texture.h"

struct SkyCorner {
    float s;
    float t;
    float x;
    float y;
    float z;
};

struct SkyFace {
    Texture* texture;
    SkyCorner corners[4];
};

constexpr int SKY_FACE_COUNT = 6;

// In drawing order; t = 0 is the first row of a face's image file.
extern const SkyFace SKY_FACES[SKY_FACE_COUNT];

// Expects a white colour and no depth test; enables texturing and leaves it on for the feathers.
void drawSkybox();

// GL_CLAMP_TO_EDGE where the implementation has it (OpenGL 1.2 on, OpenGL ES), else GL_CLAMP:
// for the current context, and for a GL_VERSION string (null when there is none).
GLint skyWrapMode();
GLint skyWrapModeFor(const char* version);
