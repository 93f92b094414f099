// Uncompressed Targa images in memory, without OpenGL: the subset the scene accepts is read,
// and any true-colour or greyscale image can be written.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

using PixelBuffer = std::unique_ptr<unsigned char[]>;

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
// An open file, closed on every path out of its scope.
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Width and height of every accepted image: powers of two from 2 to 512.
bool isPowerOfTwo(int n);

struct TgaHeader {
    int width = 0;
    int height = 0;
    int bitsPerPixel = 0; // 32, 24 or 8
};

// Reads and checks the 18-byte header, then skips the identification field, leaving `file` at
// the first pixel. Refuses colour maps, types other than 2 and 3, sides that are not powers of
// two from 2 to 512, depths other than 32, 24 and 8, and a file that ends early.
bool readTgaHeader(std::FILE* file, TgaHeader& header);

// Exactly `pixelCount` pixels of `bytesPerPixel` bytes read in one call, blue and red exchanged
// where there are three or four bytes; nothing if fewer bytes arrive or memory runs out.
PixelBuffer readTgaPixels(std::FILE* file, int pixelCount, int bytesPerPixel);

struct TgaImage {
    TgaHeader header;
    PixelBuffer pixels; // R,G,B(,A) or grey, in file row order
};

// A whole file, header and pixels; false if it cannot be opened or is refused.
bool readTgaFile(const std::string& path, TgaImage& image);

// Writes an uncompressed Targa file: type 2 for 24 or 32 bits, type 3 for 8-bit grey.
// `pixels` holds R,G,B(,A) or grey bytes, row 0 first; row 0 is marked as the bottom row.
// Returns false on a bad argument or any I/O failure.
bool writeTga(const std::string& path, int width, int height, int bitsPerPixel,
              const unsigned char* pixels, const std::string& identification = "");
