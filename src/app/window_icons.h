// plume's icon for its X11 window, compiled into the program: the uncompressed Targa files of
// data/icons/ (which the image generator writes beside the PNGs), so that any installation, the
// tarball's too, shows it with no file to find and no PNG library.
#pragma once

#include <cstddef>
#include <vector>

struct EmbeddedFile {
    const unsigned char* bytes;
    std::size_t size;
};

// Written at build time by window_icons.cmake, smallest icon first.
extern const EmbeddedFile WINDOW_ICON_FILES[];
extern const std::size_t WINDOW_ICON_FILE_COUNT;

// _NET_WM_ICON's value: for each icon its width, its height, then its pixels as 0xAARRGGBB
// (straight alpha), top row first; one long per item, as Xlib takes 32-bit properties. A file
// that does not read as a 32-bit Targa image is left out.
std::vector<unsigned long> windowIconCardinals();
