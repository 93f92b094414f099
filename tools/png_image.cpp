#include "png_image.h"

#include <png.h>

bool writePng(const std::string& path, const RgbImage& image) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(image.width);
    png.height = static_cast<png_uint_32>(image.height);
    png.format = PNG_FORMAT_RGB;
    // Lighter compression: the files are read back by tests, not shipped, and the default
    // effort took about half of a one-frame snapshot's instructions. The pixels are the same.
    png.flags = PNG_IMAGE_FLAG_FAST;
    const bool written =
        png_image_write_to_file(&png, path.c_str(), 0, image.pixels.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return written;
}

bool writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<unsigned char>& rgba) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    png.width = static_cast<png_uint_32>(width);
    png.height = static_cast<png_uint_32>(height);
    png.format = PNG_FORMAT_RGBA;
    const bool written =
        png_image_write_to_file(&png, path.c_str(), 0, rgba.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return written;
}

namespace {

bool readPngAs(const std::string& path, png_uint_32 format, int& width, int& height,
               std::vector<unsigned char>& pixels) {
    png_image png{};
    png.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&png, path.c_str()) == 0) {
        return false;
    }
    png.format = format;
    width = static_cast<int>(png.width);
    height = static_cast<int>(png.height);
    pixels.assign(PNG_IMAGE_SIZE(png), 0);
    const bool read = png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr) != 0;
    png_image_free(&png);
    return read;
}

} // namespace

bool readPng(const std::string& path, RgbImage& image) {
    return readPngAs(path, PNG_FORMAT_RGB, image.width, image.height, image.pixels);
}

bool readRgbaPng(const std::string& path, int& width, int& height,
                 std::vector<unsigned char>& rgba) {
    return readPngAs(path, PNG_FORMAT_RGBA, width, height, rgba);
}
