// The scene's seven images, computed rather than drawn, and the Targa writer that stores them.
#pragma once

#include "scene/skybox.h"

#include <string>
#include <vector>

constexpr int SKY_FACE_TEXELS = 512; // width and height of each sky face
constexpr int FEATHER_WIDTH_TEXELS = 64;
constexpr int FEATHER_HEIGHT_TEXELS = 256;

// Writes an uncompressed Targa file: type 2 for 24 or 32 bits, type 3 for 8-bit grey.
// `pixels` holds R,G,B(,A) or grey bytes, row 0 first; row 0 is marked as the bottom row.
// Returns false on a bad argument or any I/O failure.
bool writeTga(const std::string& path, int width, int height, int bitsPerPixel,
              const unsigned char* pixels, const std::string& identification = "");

struct SkyDirection {
    double x;
    double y; // up
    double z;
};

// The unit direction from the centre of the cube through the centre of one texel of `face`.
SkyDirection skyTexelDirection(const SkyFace& face, int column, int row);

// The colour of the sky seen along a unit direction, as R,G,B bytes.
void skyColour(const SkyDirection& direction, unsigned char rgb[3]);

// One face as R,G,B bytes, row 0 first: SKY_FACE_TEXELS squared texels.
std::vector<unsigned char> makeSkyFace(const SkyFace& face);

// The feather as R,G,B,A bytes, row 0 first: the quill at row 0, the tip at the last row.
std::vector<unsigned char> makeFeather();

// Writes the six sky faces and the feather into `directory`, under the scene's file names.
bool writeSceneImages(const std::string& directory);
