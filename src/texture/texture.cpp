#include "texture/texture.h"

bool Texture::load(const char* fileName) {
    glGenTextures(1, &id);
    return loadTga(fileName, id);
}

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, id);
}

bool Texture::loadTga(const char* fileName, GLuint textureId) {
    // Read-only: the file is never written, and may be installed where it cannot be.
    FileHandle file(std::fopen(fileName, "rb"));
    TgaHeader header;
    if (!file || !readTgaHeader(file.get(), header)) {
        return false;
    }
    const PixelBuffer pixels =
        readPixels(file.get(), header.width * header.height, header.bitsPerPixel);
    if (!pixels) {
        return false;
    }
    file.reset();
    upload(textureId, header, pixels.get());
    return true;
}

PixelBuffer Texture::readPixels(std::FILE* file, int pixelCount, int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 32:
        return readPixels32(file, pixelCount);
    case 24:
        return readPixels24(file, pixelCount);
    case 8:
        return readPixels8(file, pixelCount);
    default:
        return nullptr;
    }
}

PixelBuffer Texture::readPixels32(std::FILE* file, int pixelCount) {
    return readPixelsAs(file, pixelCount, 4, GL_RGBA);
}

PixelBuffer Texture::readPixels24(std::FILE* file, int pixelCount) {
    return readPixelsAs(file, pixelCount, 3, GL_RGB);
}

PixelBuffer Texture::readPixels8(std::FILE* file, int pixelCount) {
    return readPixelsAs(file, pixelCount, 1, GL_LUMINANCE);
}

// The format is set only with pixels in hand, so a failed read leaves the texture as it was.
PixelBuffer Texture::readPixelsAs(std::FILE* file, int pixelCount, int bytesPerPixel,
                                  GLenum glFormat) {
    PixelBuffer pixels = readTgaPixels(file, pixelCount, bytesPerPixel);
    if (pixels) {
        format = glFormat;
    }
    return pixels;
}

void Texture::upload(GLuint textureId, const TgaHeader& header, const unsigned char* pixels) const {
    glBindTexture(GL_TEXTURE_2D, textureId);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    // Mesa sizes the storage from the filter in force as level 0 arrives. Under this one it lays
    // out every level at once; under GL_LINEAR, or the default filter, it stores level 0 apart
    // and copies it into a second, full layout at the first draw: about 10 ms more at start-up.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    // The texture's colour is multiplied by the current colour: that is how feathers get tints.
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), header.width, header.height,
                      format, GL_UNSIGNED_BYTE, pixels);
    // The scene samples level 0 alone.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}
