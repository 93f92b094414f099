// The seven textures of the scene and the files they come from.
#pragma once

#include "texture/texture.h"

#include <string>

extern Texture skyFront;
extern Texture skyBack;
extern Texture skyLeft;
extern Texture skyRight;
extern Texture skyUp;
extern Texture skyDown;
extern Texture featherTexture;

struct SceneTextureFile {
    Texture* texture;
    const char* fileName;
};

constexpr int SCENE_TEXTURE_COUNT = 7;

// In the order they are loaded.
extern const SceneTextureFile SCENE_TEXTURE_FILES[SCENE_TEXTURE_COUNT];

// Where a scene file is looked up: in `directory`, or by bare name in the working directory.
std::string sceneFilePath(const std::string& directory, const char* fileName);

// Loads every texture from `directory` (the working directory when empty). A file that is
// missing or unsuitable leaves its texture without an image, and the scene carries on.
void loadSceneTextures(const std::string& directory);

// The file name a texture of the scene is loaded from, or nullptr for any other texture.
const char* sceneTextureFileName(const Texture* texture);
