#include "scene_images.h"

#include "feather_image.h"
#include "icon_image.h"
#include "png_image.h"
#include "scene/scene_textures.h"
#include "sky_image.h"
#include "texture/targa.h"

#include <algorithm>
#include <iterator>

bool writeSceneImages(const std::string& directory) {
    const std::string prefix = directory.empty() ? std::string() : directory + "/";
    for (const SkyFace& face : SKY_FACES) {
        const char* name = sceneTextureFileName(face.texture);
        const std::vector<unsigned char> pixels = makeSkyFace(face);
        if (name == nullptr ||
            !writeTga(prefix + name, SKY_FACE_TEXELS, SKY_FACE_TEXELS, 24, pixels.data())) {
            return false;
        }
    }
    const char* name = sceneTextureFileName(&featherTexture);
    const std::vector<unsigned char> pixels = makeFeather();
    return name != nullptr &&
           writeTga(prefix + name, FEATHER_WIDTH_TEXELS, FEATHER_HEIGHT_TEXELS, 32, pixels.data());
}

namespace {

// Plain images need no detail: the smallest side the loader takes, filtered to one colour.
constexpr int PLAIN_IMAGE_TEXELS = 2;
constexpr unsigned char PLAIN_BLACK = 0;
constexpr unsigned char PLAIN_WHITE = 255;

bool writePlainImage(const std::string& path, unsigned char level) {
    const std::vector<unsigned char> pixels(PLAIN_IMAGE_TEXELS * PLAIN_IMAGE_TEXELS * 3, level);
    return writeTga(path, PLAIN_IMAGE_TEXELS, PLAIN_IMAGE_TEXELS, 24, pixels.data());
}

// A Targa file stores its bottom row first, as the icon's viewers expect of it.
bool writeIconTga(const std::string& path, int size, const std::vector<unsigned char>& rgba) {
    const std::size_t rowBytes = static_cast<std::size_t>(size) * 4;
    std::vector<unsigned char> bottomFirst(rgba.size());
    for (int row = 0; row < size; ++row) {
        std::copy_n(&rgba[row * rowBytes], rowBytes, &bottomFirst[(size - 1 - row) * rowBytes]);
    }
    return writeTga(path, size, size, 32, bottomFirst.data());
}

} // namespace

bool writePlainSceneImages(const std::string& directory) {
    const std::string prefix = directory.empty() ? std::string() : directory + "/";
    for (const SkyFace& face : SKY_FACES) {
        const char* name = sceneTextureFileName(face.texture);
        if (name == nullptr || !writePlainImage(prefix + name, PLAIN_BLACK)) {
            return false;
        }
    }
    const char* name = sceneTextureFileName(&featherTexture);
    return name != nullptr && writePlainImage(prefix + name, PLAIN_WHITE);
}

bool writeIconImages(const std::string& directory) {
    for (int size : ICON_SIZES_PIXELS) {
        const std::string path = directory + "/plume-" + std::to_string(size);
        const std::vector<unsigned char> rgba = makeIcon(size);
        const bool windowSize =
            std::find(std::begin(WINDOW_ICON_SIZES_PIXELS), std::end(WINDOW_ICON_SIZES_PIXELS),
                      size) != std::end(WINDOW_ICON_SIZES_PIXELS);
        if (!writeRgbaPng(path + ".png", size, size, rgba) ||
            (windowSize && !writeIconTga(path + ".tga", size, rgba))) {
            return false;
        }
    }
    return true;
}
