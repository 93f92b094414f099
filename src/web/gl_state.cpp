// Textures and the rest of the fixed-function state. The layer keeps each texture's image and
// parameters and the state it passed on, so that a restored context gets all of it back.
#include "platform.h"
#include "web/layer.h"

#include <webgl/webgl1.h>

#include <vector>

namespace {

struct LayerTexture {
    GLuint webgl = 0; // 0 until the texture is first given parameters or an image
    GLint minFilter = GL_NEAREST_MIPMAP_LINEAR;
    GLint magFilter = GL_LINEAR;
    GLint wrapS = GL_REPEAT;
    GLint wrapT = GL_REPEAT;
    bool hasImage = false;
    bool mipmapped = false;
    GLenum format = GL_RGBA;
    GLsizei width = 0, height = 0;
    GLint alignment = 4;
    std::vector<unsigned char> pixels; // as the program gave them, to upload again
};

// Index 0 is the default texture, as in OpenGL; the program's names follow.
std::vector<LayerTexture> textures(1);
GLuint boundName = 0;
GLuint boundWebGl = 0;
bool texturing = false;
bool blending = false;
bool depthTesting = false;
GLenum blendSource = GL_ONE;
GLenum blendDestination = GL_ZERO;
GLint unpackAlignment = 4;
GLfloat clearColor[4] = {0, 0, 0, 0};
GLint viewport[4] = {0, 0, 0, 0};
bool viewportSet = false;
GLbitfield lastClear = 0;

bool bytesPerPixel(GLenum format, int& bytes) {
    switch (format) {
    case GL_RGBA:
        bytes = 4;
        return true;
    case GL_RGB:
        bytes = 3;
        return true;
    case GL_LUMINANCE_ALPHA:
        bytes = 2;
        return true;
    case GL_LUMINANCE:
    case GL_ALPHA:
        bytes = 1;
        return true;
    default:
        return false;
    }
}

// OpenGL 1.1 also names an internal format by its count of components; WebGL 1 wants the
// format itself.
GLenum internalAsFormat(GLint internalFormat) {
    static const GLenum BY_COMPONENTS[] = {GL_LUMINANCE, GL_LUMINANCE_ALPHA, GL_RGB, GL_RGBA};
    return internalFormat >= 1 && internalFormat <= 4 ? BY_COMPONENTS[internalFormat - 1]
                                                      : static_cast<GLenum>(internalFormat);
}

bool powerOfTwo(GLsizei side) {
    return side > 0 && (side & (side - 1)) == 0;
}

bool complete(const LayerTexture& texture) {
    const bool needsLevels = texture.minFilter != GL_NEAREST && texture.minFilter != GL_LINEAR;
    return texture.hasImage && (texture.mipmapped || !needsLevels);
}

LayerTexture& boundTexture() {
    return textures[boundName];
}

void uploadImage(const LayerTexture& texture) {
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, texture.alignment);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(texture.format), texture.width,
                            texture.height, 0, texture.format, GL_UNSIGNED_BYTE,
                            texture.pixels.empty() ? nullptr : texture.pixels.data());
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    if (texture.mipmapped) {
        emscripten_glGenerateMipmap(GL_TEXTURE_2D);
    }
}

void sendParameters(const LayerTexture& texture) {
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, texture.minFilter);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, texture.magFilter);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, texture.wrapS);
    emscripten_glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, texture.wrapT);
}

GLint* textureParameter(LayerTexture& texture, GLenum name) {
    switch (name) {
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

bool* capability(GLenum cap) {
    switch (cap) {
    case GL_TEXTURE_2D:
        return &texturing;
    case GL_BLEND:
        return &blending;
    case GL_DEPTH_TEST:
        return &depthTesting;
    default:
        reportUnsupported("glEnable/glDisable: only GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST");
        return nullptr;
    }
}

// Depth test and blending are WebGL's own state too; the draws set them as each needs.
void setCapability(GLenum cap, bool on) {
    if (bool* flag = capability(cap)) {
        *flag = on;
    }
}

} // namespace

DrawState currentDrawState() {
    return {boundName,        texturing && complete(boundTexture()),
            blending,         blendSource,
            blendDestination, depthTesting};
}

void bindLayerTexture(unsigned name) {
    LayerTexture& texture = textures[name];
    if (texture.webgl == 0) {
        emscripten_glGenTextures(1, &texture.webgl);
    }
    if (texture.webgl != boundWebGl) {
        emscripten_glBindTexture(GL_TEXTURE_2D, texture.webgl);
        boundWebGl = texture.webgl;
    }
}

void rebuildTexturesAndState() {
    boundWebGl = 0;
    for (unsigned name = 0; name < textures.size(); ++name) {
        LayerTexture& texture = textures[name];
        if (texture.webgl == 0) {
            continue;
        }
        texture.webgl = 0;
        bindLayerTexture(name);
        sendParameters(texture);
        if (texture.hasImage) {
            uploadImage(texture);
        }
    }
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    emscripten_glClearColor(clearColor[0], clearColor[1], clearColor[2], clearColor[3]);
    if (viewportSet) {
        emscripten_glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
    }
    emscripten_glClear(lastClear);
}

void glEnable(GLenum cap) {
    setCapability(cap, true);
}

void glDisable(GLenum cap) {
    setCapability(cap, false);
}

void glBlendFunc(GLenum source, GLenum destination) {
    blendSource = source;
    blendDestination = destination;
}

void glGenTextures(GLsizei count, GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        names[i] = static_cast<GLuint>(textures.size());
        textures.emplace_back();
    }
}

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D) {
        reportUnsupported("glBindTexture: only GL_TEXTURE_2D");
        return;
    }
    if (name >= textures.size()) {
        reportUnsupported("glBindTexture: only names from glGenTextures");
        return;
    }
    boundName = name;
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    GLint* parameter = textureParameter(boundTexture(), name);
    if (target != GL_TEXTURE_2D || parameter == nullptr || value == GL_CLAMP) {
        reportUnsupported("glTexParameteri: only filters and GL_REPEAT or GL_CLAMP_TO_EDGE");
        return;
    }
    if (*parameter == value) {
        return;
    }
    if (gatheredUnderTexture(boundName)) {
        flushGathered();
    }
    *parameter = value;
    bindLayerTexture(boundName);
    emscripten_glTexParameteri(GL_TEXTURE_2D, name, value);
}

// The shader multiplies the texture's colour by the vertex colour, which is GL_MODULATE.
void glTexEnvf(GLenum target, GLenum name, GLfloat value) {
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE ||
        value != static_cast<GLfloat>(GL_MODULATE)) {
        reportUnsupported("glTexEnvf: only GL_MODULATE");
    }
}

void glPixelStorei(GLenum name, GLint value) {
    if (name != GL_UNPACK_ALIGNMENT || (value != 1 && value != 2 && value != 4 && value != 8)) {
        reportUnsupported("glPixelStorei: only GL_UNPACK_ALIGNMENT");
        return;
    }
    unpackAlignment = value;
    emscripten_glPixelStorei(name, value);
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    int bytes = 0;
    if (target != GL_TEXTURE_2D || level != 0 || border != 0 || type != GL_UNSIGNED_BYTE ||
        !bytesPerPixel(format, bytes) || internalAsFormat(internalFormat) != format ||
        !powerOfTwo(width) || !powerOfTwo(height)) {
        reportUnsupported("glTexImage2D: only level 0 of power-of-two bytes, format as stored");
        return;
    }
    if (gatheredUnderTexture(boundName)) {
        flushGathered();
    }
    LayerTexture& texture = boundTexture();
    const std::size_t row = static_cast<std::size_t>(width) * bytes;
    const std::size_t stride = (row + unpackAlignment - 1) / unpackAlignment * unpackAlignment;
    const auto* first = static_cast<const unsigned char*>(pixels);
    if (first) {
        texture.pixels.assign(first, first + stride * (height - 1) + row);
    } else {
        texture.pixels.clear();
    }
    texture.hasImage = true;
    texture.mipmapped = false;
    texture.format = format;
    texture.width = width;
    texture.height = height;
    texture.alignment = unpackAlignment;
    bindLayerTexture(boundName);
    uploadImage(texture);
}

// WebGL makes the levels itself from level 0.
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    glTexImage2D(target, 0, internalFormat, width, height, 0, format, type, data);
    LayerTexture& texture = boundTexture();
    if (texture.hasImage && texture.width == width && texture.height == height) {
        texture.mipmapped = true;
        emscripten_glGenerateMipmap(GL_TEXTURE_2D);
    }
    return 0;
}

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    clearColor[0] = red;
    clearColor[1] = green;
    clearColor[2] = blue;
    clearColor[3] = alpha;
    emscripten_glClearColor(red, green, blue, alpha);
}

void glClear(GLbitfield mask) {
    forgetFrame();
    lastClear = mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (lastClear != mask) {
        reportUnsupported("glClear: only the colour and depth buffers");
    }
    emscripten_glClear(lastClear);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    flushGathered();
    viewport[0] = x;
    viewport[1] = y;
    viewport[2] = width;
    viewport[3] = height;
    viewportSet = true;
    emscripten_glViewport(x, y, width, height);
}

// The browser shows the canvas when the frame's callback returns; what has gathered goes now.
void glutSwapBuffers() {
    flushGathered();
}
