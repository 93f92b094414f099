// The loader's Targa files, shared with the checks that run them through Windows' C runtime.
#pragma once

#include "platform.h"

#include <fstream>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A Targa file byte by byte, so that each header field can be set to anything.
inline Bytes targa(int type, int width, int height, int depth, Bytes pixels,
                   const std::string& id = "", int colourMap = 0, int descriptor = 0) {
    Bytes file = {static_cast<unsigned char>(id.size()), static_cast<unsigned char>(colourMap),
                  static_cast<unsigned char>(type)};
    file.resize(18, 0);
    file[12] = width & 0xFF, file[13] = width >> 8, file[14] = height & 0xFF;
    file[15] = height >> 8, file[16] = static_cast<unsigned char>(depth);
    file[17] = static_cast<unsigned char>(descriptor);
    file.insert(file.end(), id.begin(), id.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

// Writes `bytes` to `path`, replacing what was there.
inline void writeBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}

// 2x2 pixels, every byte distinct, so a swap, a row order or a row alignment mistake shows.
inline const Bytes BGR = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
                   RGB = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
inline const Bytes BGRA = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
inline const Bytes RGBA = {3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16};
inline const Bytes GOOD = targa(2, 2, 2, 24, BGR);
// Carriage return, line feed and end-of-file bytes, which Windows' text mode would lose or stop at.
inline const Bytes TEXT_BYTES = {13, 10, 26, 13};

// name, file, format, texels as read back: the depth alone decides the format; what follows the
// pixels and the origin bits are ignored; the grey one's identification field is skipped.
inline const std::tuple<const char*, Bytes, GLenum, Bytes> GOOD_FILES[] = {
    {"rgb24", GOOD, GL_RGB, RGB},
    {"rgba32", targa(2, 2, 2, 32, BGRA), GL_RGBA, RGBA},
    {"truecolour8", targa(2, 2, 2, 8, TEXT_BYTES), GL_LUMINANCE, TEXT_BYTES},
    {"grey24", targa(3, 2, 2, 24, BGR), GL_RGB, RGB},
    {"footer_and_top_origin_bit",
     targa(2, 2, 2, 24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 0xEE}, "", 0, 0x20), GL_RGB, RGB},
    {"text_mode_bytes", targa(3, 2, 2, 8, TEXT_BYTES, "\r\n"), GL_LUMINANCE, TEXT_BYTES}};

// One file for each reason the reader refuses one.
inline const std::pair<const char*, Bytes> BAD_FILES[] = {
    {"colour_map", targa(2, 2, 2, 24, BGR, "", 1)},
    {"run_length", targa(10, 2, 2, 24, BGR)},
    {"width_0", targa(2, 0, 2, 24, {})},
    {"height_1", targa(2, 2, 1, 24, Bytes(2 * 3))},
    {"height_1024", targa(2, 2, 1024, 24, Bytes(2 * 1024 * 3))},
    {"depth_16", targa(2, 2, 2, 16, Bytes(2 * 2 * 2))},
    {"short_24", targa(2, 2, 2, 24, Bytes(11))},
    {"header_17", Bytes(GOOD.begin(), GOOD.begin() + 17)}};
