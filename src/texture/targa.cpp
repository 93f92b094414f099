#include "texture/targa.h"

#include <new>
#include <utility>
#include <vector>

namespace {

constexpr int TGA_HEADER_SIZE = 18;
constexpr int MAX_SIDE = 512;
constexpr int MAX_WRITTEN_SIDE = 65535;
constexpr std::size_t MAX_IDENTIFICATION_BYTES = 255;
constexpr unsigned char TGA_TRUE_COLOUR = 2;
constexpr unsigned char TGA_GREYSCALE = 3;
constexpr unsigned char TGA_ALPHA_BITS_32 = 8;

int littleEndian16(const unsigned char* bytes) {
    return bytes[0] + 256 * bytes[1];
}

void putLittleEndian16(unsigned char* bytes, int value) {
    bytes[0] = static_cast<unsigned char>(value & 0xff);
    bytes[1] = static_cast<unsigned char>((value >> 8) & 0xff);
}

// Targa stores blue before red; the exchange is its own inverse, for reading and writing.
void swapRedAndBlue(unsigned char* pixels, std::size_t byteCount, int bytesPerPixel) {
    if (bytesPerPixel < 3) {
        return;
    }
    for (std::size_t i = 0; i < byteCount; i += bytesPerPixel) {
        std::swap(pixels[i], pixels[i + 2]);
    }
}

bool isAcceptedDepth(int bitsPerPixel) {
    return bitsPerPixel == 32 || bitsPerPixel == 24 || bitsPerPixel == 8;
}

} // namespace

bool isPowerOfTwo(int n) {
    return n >= 2 && n <= MAX_SIDE && (n & (n - 1)) == 0;
}

bool readTgaHeader(std::FILE* file, TgaHeader& header) {
    unsigned char bytes[TGA_HEADER_SIZE];
    if (std::fread(bytes, 1, TGA_HEADER_SIZE, file) != TGA_HEADER_SIZE) {
        return false;
    }
    const int identificationLength = bytes[0];
    const int colourMapType = bytes[1];
    const int imageType = bytes[2];
    if (colourMapType != 0 || (imageType != TGA_TRUE_COLOUR && imageType != TGA_GREYSCALE)) {
        return false;
    }
    header.width = littleEndian16(bytes + 12);
    header.height = littleEndian16(bytes + 14);
    header.bitsPerPixel = bytes[16];
    if (!isPowerOfTwo(header.width) || !isPowerOfTwo(header.height) ||
        !isAcceptedDepth(header.bitsPerPixel)) {
        return false;
    }
    // The pixels follow the identification field, not the header directly.
    return identificationLength == 0 || std::fseek(file, identificationLength, SEEK_CUR) == 0;
}

PixelBuffer readTgaPixels(std::FILE* file, int pixelCount, int bytesPerPixel) {
    const std::size_t count = static_cast<std::size_t>(pixelCount) * bytesPerPixel;
    PixelBuffer pixels(new (std::nothrow) unsigned char[count]);
    if (!pixels || std::fread(pixels.get(), 1, count, file) != count) {
        return nullptr;
    }
    swapRedAndBlue(pixels.get(), count, bytesPerPixel);
    return pixels;
}

bool readTgaFile(const std::string& path, TgaImage& image) {
    FileHandle file(std::fopen(path.c_str(), "rb"));
    if (!file || !readTgaHeader(file.get(), image.header)) {
        return false;
    }
    image.pixels = readTgaPixels(file.get(), image.header.width * image.header.height,
                                 image.header.bitsPerPixel / 8);
    return image.pixels != nullptr;
}

bool writeTga(const std::string& path, int width, int height, int bitsPerPixel,
              const unsigned char* pixels, const std::string& identification) {
    if (!isAcceptedDepth(bitsPerPixel) || pixels == nullptr || width < 1 || height < 1 ||
        width > MAX_WRITTEN_SIDE || height > MAX_WRITTEN_SIDE ||
        identification.size() > MAX_IDENTIFICATION_BYTES) {
        return false;
    }
    unsigned char header[TGA_HEADER_SIZE] = {};
    header[0] = static_cast<unsigned char>(identification.size());
    header[2] = bitsPerPixel == 8 ? TGA_GREYSCALE : TGA_TRUE_COLOUR;
    putLittleEndian16(header + 12, width);
    putLittleEndian16(header + 14, height);
    header[16] = static_cast<unsigned char>(bitsPerPixel);
    // Origin bits clear: the first row stored is the bottom one, as OpenGL takes it (t = 0), so
    // image viewers show the images the way the scene does.
    header[17] = bitsPerPixel == 32 ? TGA_ALPHA_BITS_32 : 0;

    const std::size_t byteCount = static_cast<std::size_t>(width) * height * (bitsPerPixel / 8);
    std::vector<unsigned char> stored(pixels, pixels + byteCount);
    swapRedAndBlue(stored.data(), byteCount, bitsPerPixel / 8);
    FileHandle file(std::fopen(path.c_str(), "wb"));
    const bool written = file &&
                         std::fwrite(header, 1, TGA_HEADER_SIZE, file.get()) == TGA_HEADER_SIZE &&
                         std::fwrite(identification.data(), 1, identification.size(), file.get()) ==
                             identification.size() &&
                         std::fwrite(stored.data(), 1, byteCount, file.get()) == byteCount;
    // Closing flushes; a full disk may only show here.
    return written && std::fclose(file.release()) == 0;
}
