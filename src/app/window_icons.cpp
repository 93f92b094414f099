#include "app/window_icons.h"

#include "texture/targa.h"

#include <cstdio>

namespace {

constexpr int ICON_BYTES_PER_PIXEL = 4;

// One icon's width, height and pixels, appended to `cardinals`; nothing if it does not read.
void appendIcon(const EmbeddedFile& file, std::vector<unsigned long>& cardinals) {
    // The Targa reader reads a stream; this one reads the bytes compiled into the program.
    const FileHandle stream(fmemopen(const_cast<unsigned char*>(file.bytes), file.size, "rb"));
    TgaHeader header;
    if (!stream || !readTgaHeader(stream.get(), header) ||
        header.bitsPerPixel != ICON_BYTES_PER_PIXEL * 8) {
        return;
    }
    const PixelBuffer pixels =
        readTgaPixels(stream.get(), header.width * header.height, ICON_BYTES_PER_PIXEL);
    if (!pixels) {
        return;
    }
    cardinals.reserve(cardinals.size() + 2 +
                      static_cast<std::size_t>(header.width) * header.height);
    cardinals.push_back(static_cast<unsigned long>(header.width));
    cardinals.push_back(static_cast<unsigned long>(header.height));
    // The file's first row is the icon's bottom one; the property's is its top one.
    for (int row = header.height - 1; row >= 0; --row) {
        const unsigned char* pixel =
            &pixels[static_cast<std::size_t>(row) * header.width * ICON_BYTES_PER_PIXEL];
        for (int column = 0; column < header.width; ++column, pixel += ICON_BYTES_PER_PIXEL) {
            cardinals.push_back(static_cast<unsigned long>(pixel[3]) << 24 |
                                static_cast<unsigned long>(pixel[0]) << 16 |
                                static_cast<unsigned long>(pixel[1]) << 8 | pixel[2]);
        }
    }
}

} // namespace

std::vector<unsigned long> windowIconCardinals() {
    std::vector<unsigned long> cardinals;
    for (std::size_t i = 0; i < WINDOW_ICON_FILE_COUNT; ++i) {
        appendIcon(WINDOW_ICON_FILES[i], cardinals);
    }
    return cardinals;
}
