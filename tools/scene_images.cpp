#include "scene_images.h"

#include "feather_image.h"
#include "icon_image.h"
#include "png_image.h"
#include "scene/scene_textures.h"
#include "sky_image.h"
#include "texture/targa.h"

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

bool writeIconImages(const std::string& directory) {
    for (int size : ICON_SIZES_PIXELS) {
        const std::string path = directory + "/plume-" + std::to_string(size) + ".png";
        if (!writeRgbaPng(path, size, size, makeIcon(size))) {
            return false;
        }
    }
    return true;
}
