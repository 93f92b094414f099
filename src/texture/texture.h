// A mipmapped 2D texture read from an uncompressed Targa file.
#pragma once

#include "platform.h"

#include <cstdio>
#include <memory>

using PixelBuffer = std::unique_ptr<unsigned char[]>;

// An image read and converted, ready to upload.
struct TgaImage {
    int width = 0;
    int height = 0;
    PixelBuffer pixels;
};

class Texture {
  public:
    GLuint id = 0;
    GLenum format = 0;

    // Asks for a texture name, then loads the file into it; the name stays even on failure.
    bool load(const char* fileName);
    void bind() const;

    // Reads the file, then uploads it into `textureId`.
    bool loadTga(const char* fileName, GLuint textureId);

    // Checks the header and reads the pixels of an open Targa stream; needs no OpenGL.
    bool readTga(std::FILE* file, TgaImage& image);

    static bool isPowerOfTwo(int n);

    PixelBuffer readPixels(std::FILE* file, int pixelCount, int bitsPerPixel);
    PixelBuffer readPixels32(std::FILE* file, int pixelCount);
    PixelBuffer readPixels24(std::FILE* file, int pixelCount);
    PixelBuffer readPixels8(std::FILE* file, int pixelCount);

    // Sets the sampling state and builds the mipmaps from a read image. Public so that reading
    // and uploading can be timed apart.
    void upload(GLuint textureId, const TgaImage& image) const;
};
