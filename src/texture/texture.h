// A mipmapped 2D texture read from an uncompressed Targa file.
#pragma once

#include "platform.h"
#include "texture/targa.h"

#include <cstdio>

class Texture {
  public:
    GLuint id = 0;
    GLenum format = 0;

    // Asks for a texture name, then loads the file into it; the name stays even on failure.
    bool load(const char* fileName);
    void bind() const;

    // Reads the file, then uploads it with its mipmaps into `textureId`.
    bool loadTga(const char* fileName, GLuint textureId);

    // The pixels of an open file at its first pixel, by depth; each sets `format` on success.
    PixelBuffer readPixels(std::FILE* file, int pixelCount, int bitsPerPixel);
    PixelBuffer readPixels32(std::FILE* file, int pixelCount);
    PixelBuffer readPixels24(std::FILE* file, int pixelCount);
    PixelBuffer readPixels8(std::FILE* file, int pixelCount);

  private:
    PixelBuffer readPixelsAs(std::FILE* file, int pixelCount, int bytesPerPixel, GLenum glFormat);
    void upload(GLuint textureId, const TgaHeader& header, const unsigned char* pixels) const;
};
