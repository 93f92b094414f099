// Arbitrary bytes through the Targa reader that the texture loader runs before uploading.
#include "texture/targa.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::size_t DEPTH_FIELD = 16;

// Kept in a volatile so that reading every pixel byte cannot be optimised away.
volatile unsigned sink;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // fmemopen may refuse a size of 0; inputs of 1 to 17 bytes fail the header read the same way.
    if (size == 0) {
        return 0;
    }
    // fmemopen takes a writable pointer even for "rb"; the bytes are only read.
    FileHandle file(fmemopen(const_cast<std::uint8_t*>(data), size, "rb"));
    TgaHeader header;
    if (!file || !readTgaHeader(file.get(), header)) {
        return 0;
    }
    // An accepted header keeps every promise the upload relies on.
    if (!isPowerOfTwo(header.width) || !isPowerOfTwo(header.height) || size <= DEPTH_FIELD ||
        header.bitsPerPixel != data[DEPTH_FIELD] || header.bitsPerPixel % 8 != 0) {
        std::abort();
    }
    const int bytesPerPixel = header.bitsPerPixel / 8;
    const PixelBuffer pixels =
        readTgaPixels(file.get(), header.width * header.height, bytesPerPixel);
    unsigned sum = 0;
    const std::size_t count =
        static_cast<std::size_t>(header.width) * header.height * bytesPerPixel;
    for (std::size_t i = 0; pixels && i < count; ++i) {
        sum += pixels[i];
    }
    sink = sum;
    return 0;
}
