// The sky's six faces, computed rather than drawn: a clear sky with a low sun, a layer of
// clouds overhead and mist below the horizon.
#pragma once

#include "image_maths.h"
#include "scene/skybox.h"

#include <vector>

constexpr int SKY_FACE_TEXELS = 512; // width and height of each sky face

// The unit direction from the centre of the cube through the centre of one texel of `face`.
SkyDirection skyTexelDirection(const SkyFace& face, int column, int row);

// The colour of the sky seen along a unit direction, as R,G,B bytes.
void skyColour(const SkyDirection& direction, unsigned char rgb[3]);

// The unit direction toward the sun's centre.
SkyDirection skySunDirection();

// The sky along a unit direction without its clouds and mist: its gradient and the sun.
Colour cloudlessSkyColour(const SkyDirection& direction);

// One face as R,G,B bytes, row 0 first: SKY_FACE_TEXELS squared texels.
std::vector<unsigned char> makeSkyFace(const SkyFace& face);
