#include "texture/texture.h"

#include <new>
#include <utility>

namespace {

constexpr int TGA_HEADER_SIZE = 18;
constexpr int MAX_TEXTURE_SIDE = 512;
constexpr unsigned char TGA_TRUE_COLOUR = 2;
constexpr unsigned char TGA_GREYSCALE = 3;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

int littleEndian16(const unsigned char* bytes) {
    return bytes[0] + 256 * bytes[1];
}

// Reads exactly `count` bytes in one call, or nothing at all.
PixelBuffer readBytes(std::FILE* file, std::size_t count) {
    PixelBuffer buffer(new (std::nothrow) unsigned char[count]);
    if (!buffer || std::fread(buffer.get(), 1, count, file) != count) {
        return nullptr;
    }
    return buffer;
}

// Targa stores blue before red.
void swapRedAndBlue(unsigned char* pixels, int pixelCount, int bytesPerPixel) {
    unsigned char* end = pixels + static_cast<std::size_t>(pixelCount) * bytesPerPixel;
    for (unsigned char* pixel = pixels; pixel != end; pixel += bytesPerPixel) {
        std::swap(pixel[0], pixel[2]);
    }
}

} // namespace

bool Texture::load(const char* fileName) {
    glGenTextures(1, &id);
    return loadTga(fileName, id);
}

void Texture::bind() const {
    glBindTexture(GL_TEXTURE_2D, id);
}

bool Texture::isPowerOfTwo(int n) {
    return n >= 2 && n <= MAX_TEXTURE_SIDE && (n & (n - 1)) == 0;
}

bool Texture::loadTga(const char* fileName, GLuint textureId) {
    // Read-only: the file is never written, and may be installed where it cannot be.
    FileHandle file(std::fopen(fileName, "rb"));
    if (!file) {
        return false;
    }
    TgaImage image;
    if (!readTga(file.get(), image)) {
        return false;
    }
    file.reset();
    upload(textureId, image);
    return true;
}

bool Texture::readTga(std::FILE* file, TgaImage& image) {
    unsigned char header[TGA_HEADER_SIZE];
    if (std::fread(header, 1, TGA_HEADER_SIZE, file) != TGA_HEADER_SIZE) {
        return false;
    }
    const int identificationLength = header[0];
    const int colourMapType = header[1];
    const int imageType = header[2];
    if (colourMapType != 0 || (imageType != TGA_TRUE_COLOUR && imageType != TGA_GREYSCALE)) {
        return false;
    }
    const int width = littleEndian16(header + 12);
    const int height = littleEndian16(header + 14);
    const int bitsPerPixel = header[16];
    if (!isPowerOfTwo(width) || !isPowerOfTwo(height)) {
        return false;
    }
    // The pixels follow the identification field, not the header directly.
    if (identificationLength > 0 && std::fseek(file, identificationLength, SEEK_CUR) != 0) {
        return false;
    }
    PixelBuffer pixels = readPixels(file, width * height, bitsPerPixel);
    if (!pixels) {
        return false;
    }
    image.width = width;
    image.height = height;
    image.pixels = std::move(pixels);
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
    PixelBuffer pixels = readBytes(file, static_cast<std::size_t>(pixelCount) * 4);
    if (pixels) {
        swapRedAndBlue(pixels.get(), pixelCount, 4);
        format = GL_RGBA;
    }
    return pixels;
}

PixelBuffer Texture::readPixels24(std::FILE* file, int pixelCount) {
    PixelBuffer pixels = readBytes(file, static_cast<std::size_t>(pixelCount) * 3);
    if (pixels) {
        swapRedAndBlue(pixels.get(), pixelCount, 3);
        format = GL_RGB;
    }
    return pixels;
}

PixelBuffer Texture::readPixels8(std::FILE* file, int pixelCount) {
    PixelBuffer pixels = readBytes(file, static_cast<std::size_t>(pixelCount));
    if (pixels) {
        format = GL_LUMINANCE;
    }
    return pixels;
}

void Texture::upload(GLuint textureId, const TgaImage& image) const {
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
    gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), image.width, image.height, format,
                      GL_UNSIGNED_BYTE, image.pixels.get());
    // The scene samples level 0 alone.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
}
