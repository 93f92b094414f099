// Arbitrary bytes through the Targa reading code that Texture::loadTga runs before uploading.
#include "texture/texture.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t DEPTH_FIELD = 16;

// Kept in a volatile so that reading every pixel byte cannot be optimised away.
volatile unsigned sink;

GLenum formatFor(int bitsPerPixel) {
    switch (bitsPerPixel) {
    case 8:
        return GL_LUMINANCE;
    case 24:
        return GL_RGB;
    case 32:
        return GL_RGBA;
    default:
        return 0;
    }
}

int bytesPerPixel(GLenum format) {
    return format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // POSIX lets fmemopen refuse a size of 0, and an empty file stops at the header read, which
    // inputs of 1 to 17 bytes reach as well.
    if (size == 0) {
        return 0;
    }
    // fmemopen takes a writable pointer even for "rb"; the bytes are only read.
    std::FILE* file = fmemopen(const_cast<std::uint8_t*>(data), size, "rb");
    if (file == nullptr) {
        return 0;
    }
    Texture texture;
    TgaImage image;
    const bool accepted = texture.readTga(file, image);
    std::fclose(file);
    if (!accepted) {
        return 0;
    }
    // An accepted image keeps every promise the upload relies on.
    if (!Texture::isPowerOfTwo(image.width) || !Texture::isPowerOfTwo(image.height) ||
        image.pixels == nullptr || size <= DEPTH_FIELD ||
        texture.format != formatFor(data[DEPTH_FIELD]) || texture.format == 0) {
        std::abort();
    }
    const std::size_t count =
        static_cast<std::size_t>(image.width) * image.height * bytesPerPixel(texture.format);
    unsigned sum = 0;
    for (std::size_t i = 0; i < count; ++i) {
        sum += image.pixels[i];
    }
    sink = sum;
    return 0;
}
