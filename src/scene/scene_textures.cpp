#include "scene/scene_textures.h"

Texture skyFront;
Texture skyBack;
Texture skyLeft;
Texture skyRight;
Texture skyUp;
Texture skyDown;
Texture featherTexture;

const SceneTextureFile SCENE_TEXTURE_FILES[SCENE_TEXTURE_COUNT] = {
    {&skyFront, "sky_front.tga"},     {&skyBack, "sky_back.tga"}, {&skyLeft, "sky_left.tga"},
    {&skyRight, "sky_right.tga"},     {&skyUp, "sky_up.tga"},     {&skyDown, "sky_down.tga"},
    {&featherTexture, "feather.tga"},
};

std::string sceneFilePath(const std::string& directory, const char* fileName) {
    return directory.empty() ? std::string(fileName) : directory + "/" + fileName;
}

void loadSceneTextures(const std::string& directory) {
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        entry.texture->load(sceneFilePath(directory, entry.fileName).c_str());
    }
}

const char* sceneTextureFileName(const Texture* texture) {
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        if (entry.texture == texture) {
            return entry.fileName;
        }
    }
    return nullptr;
}
