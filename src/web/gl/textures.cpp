#include "web/gl/textures.h"
#include "platform.h"
#include "web/gl/webgl.h"

#include <cstddef>
#include <vector>

namespace {

struct KeptTexture {
    unsigned webgl = 0; // 0 until first bound, and while the context is lost
    bool given = false; // parameters or an image, which a restored context must get again
    int minFilter = GL_NEAREST_MIPMAP_LINEAR;
    int magFilter = GL_LINEAR;
    int wrapS = GL_REPEAT;
    int wrapT = GL_REPEAT;
    bool hasImage = false;
    bool mipmapped = false;
    TextureImage image{};
    std::vector<unsigned char> pixels; // as the program gave them, to upload again
};

std::vector<KeptTexture> textures(1);
unsigned boundWebGl = 0;

int* parameterOf(KeptTexture& texture, unsigned parameter) {
    switch (parameter) {
    case GL_TEXTURE_MIN_FILTER:
        return &texture.minFilter;
    case GL_TEXTURE_MAG_FILTER:
        return &texture.magFilter;
    case GL_TEXTURE_WRAP_S:
        return &texture.wrapS;
    case GL_TEXTURE_WRAP_T:
        return &texture.wrapT;
    default:
        return nullptr;
    }
}

void sendParameters(const KeptTexture& texture) {
    webglTexParameter(GL_TEXTURE_MIN_FILTER, texture.minFilter);
    webglTexParameter(GL_TEXTURE_MAG_FILTER, texture.magFilter);
    webglTexParameter(GL_TEXTURE_WRAP_S, texture.wrapS);
    webglTexParameter(GL_TEXTURE_WRAP_T, texture.wrapT);
}

// A WebGL texture is made with every parameter, the same for a new and a restored context.
void bind(KeptTexture& texture) {
    const bool fresh = texture.webgl == 0;
    if (fresh) {
        texture.webgl = webglCreateTexture();
    }
    if (texture.webgl != boundWebGl) {
        webglBindTexture(texture.webgl);
        boundWebGl = texture.webgl;
    }
    if (fresh) {
        sendParameters(texture);
    }
}

void uploadImage(const KeptTexture& texture) {
    const TextureImage& image = texture.image;
    webglTexImage(image.format, image.width, image.height, image.alignment,
                  texture.pixels.empty() ? nullptr : texture.pixels.data());
    if (texture.mipmapped) {
        webglGenerateMipmap();
    }
}

} // namespace

unsigned addTexture() {
    textures.emplace_back();
    return static_cast<unsigned>(textures.size() - 1);
}

bool textureExists(unsigned name) {
    return name < textures.size();
}

const int* textureParameter(unsigned name, unsigned parameter) {
    return parameterOf(textures[name], parameter);
}

void setTextureParameter(unsigned name, unsigned parameter, int value) {
    KeptTexture& texture = textures[name];
    if (int* kept = parameterOf(texture, parameter)) {
        *kept = value;
        texture.given = true;
        const bool fresh = texture.webgl == 0;
        bind(texture);
        if (!fresh) {
            webglTexParameter(parameter, value);
        }
    }
}

void setTextureImage(unsigned name, const TextureImage& image, const void* pixels) {
    KeptTexture& texture = textures[name];
    const std::size_t row = static_cast<std::size_t>(image.width) * image.bytesPerPixel;
    const std::size_t stride = (row + image.alignment - 1) / image.alignment * image.alignment;
    const auto* first = static_cast<const unsigned char*>(pixels);
    if (first) {
        texture.pixels.assign(first, first + stride * (image.height - 1) + row);
    } else {
        texture.pixels.clear();
    }
    texture.given = texture.hasImage = true;
    texture.mipmapped = false;
    texture.image = image;
    bind(texture);
    uploadImage(texture);
}

void makeTextureMipmaps(unsigned name) {
    KeptTexture& texture = textures[name];
    texture.mipmapped = true;
    bind(texture);
    webglGenerateMipmap();
}

bool textureComplete(unsigned name) {
    const KeptTexture& texture = textures[name];
    const bool needsLevels = texture.minFilter != GL_NEAREST && texture.minFilter != GL_LINEAR;
    return texture.hasImage && (texture.mipmapped || !needsLevels);
}

void bindTextureForDraw(unsigned name) {
    bind(textures[name]);
}

void resendTextures() {
    boundWebGl = 0;
    for (KeptTexture& texture : textures) {
        if (!texture.given) {
            continue;
        }
        texture.webgl = 0;
        bind(texture);
        if (texture.hasImage) {
            uploadImage(texture);
        }
    }
}
