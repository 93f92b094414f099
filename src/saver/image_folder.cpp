#include "saver/image_folder.h"

#include "scene/scene_textures.h"

#include <system_error>

namespace {

bool holdsImages(const std::filesystem::path& folder) {
    for (const SceneTextureFile& file : SCENE_TEXTURE_FILES) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(folder / file.fileName, error)) {
            return false;
        }
    }
    return true;
}

} // namespace

const std::filesystem::path* firstImageFolder(const std::filesystem::path* candidates, int count) {
    for (int i = 0; i < count; ++i) {
        if (!candidates[i].empty() && holdsImages(candidates[i])) {
            return &candidates[i];
        }
    }
    return nullptr;
}
