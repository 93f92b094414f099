// Arbitrary bytes through the Targa reader that the texture loader runs before uploading.
#include "texture/targa.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

// Kept in a volatile so that reading every pixel byte cannot be optimised away.
static volatile unsigned sink;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // fmemopen may refuse 0 bytes, as the header read does 1 to 17; it only reads through the cast.
    FileHandle file(size > 0 ? fmemopen(const_cast<std::uint8_t*>(data), size, "rb") : nullptr);
    TgaHeader header;
    if (!file || !readTgaHeader(file.get(), header)) {
        return 0;
    }
    // An accepted header keeps every promise the upload relies on; byte 16 is the depth.
    if (!isPowerOfTwo(header.width) || !isPowerOfTwo(header.height) || size <= 16 ||
        header.bitsPerPixel != data[16] || header.bitsPerPixel % 8 != 0) {
        std::abort();
    }
    const std::size_t count = static_cast<std::size_t>(header.width) * header.height,
                      bytes = count * (header.bitsPerPixel / 8);
    const PixelBuffer pixels =
        readTgaPixels(file.get(), static_cast<int>(count), header.bitsPerPixel / 8);
    unsigned sum = 0;
    for (std::size_t i = 0; pixels && i < bytes; ++i) {
        sum += pixels[i];
    }
    sink = sum;
    return 0;
}
