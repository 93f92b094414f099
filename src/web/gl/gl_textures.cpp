#include "web/gl/gl_textures.h"
#include "platform.h"
#include "web/gl/batch.h"
#include "web/gl/report.h"
#include "web/gl/textures.h"

namespace {

GLuint boundName = 0;
GLint unpackAlignment = 4;

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

// glTexImage2D's work; false if the layer cannot take the image.
bool specifyImage(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    int bytes = 0;
    if (target != GL_TEXTURE_2D || level != 0 || border != 0 || type != GL_UNSIGNED_BYTE ||
        !bytesPerPixel(format, bytes) || internalAsFormat(internalFormat) != format ||
        !powerOfTwo(width) || !powerOfTwo(height)) {
        reportUnsupported("glTexImage2D: only level 0 of power-of-two bytes, format as stored");
        return false;
    }
    if (batchSamples(boundName)) {
        flushBatch();
    }
    setTextureImage(boundName, {format, width, height, bytes, unpackAlignment}, pixels);
    return true;
}

} // namespace

unsigned boundTextureName() {
    return boundName;
}

void glGenTextures(GLsizei count, GLuint* names) {
    for (GLsizei i = 0; i < count; ++i) {
        names[i] = addTexture();
    }
}

void glBindTexture(GLenum target, GLuint name) {
    if (target != GL_TEXTURE_2D) {
        reportUnsupported("glBindTexture: only GL_TEXTURE_2D");
        return;
    }
    if (!textureExists(name)) {
        reportUnsupported("glBindTexture: only names from glGenTextures");
        return;
    }
    boundName = name;
}

void glTexParameteri(GLenum target, GLenum name, GLint value) {
    const int* parameter = textureParameter(boundName, name);
    if (target != GL_TEXTURE_2D || parameter == nullptr || value == GL_CLAMP) {
        reportUnsupported("glTexParameteri: only filters and GL_REPEAT or GL_CLAMP_TO_EDGE");
        return;
    }
    if (*parameter == value) {
        return;
    }
    if (batchSamples(boundName)) {
        flushBatch();
    }
    setTextureParameter(boundName, name, value);
}

// The shader multiplies the texture's colour by the vertex colour, which is GL_MODULATE.
void glTexEnvf(GLenum target, GLenum name, GLfloat value) {
    if (target != GL_TEXTURE_ENV || name != GL_TEXTURE_ENV_MODE ||
        value != static_cast<GLfloat>(GL_MODULATE)) {
        reportUnsupported("glTexEnvf: only GL_MODULATE");
    }
}

// Each image keeps the alignment it was given with, and is sent with it.
void glPixelStorei(GLenum name, GLint value) {
    if (name != GL_UNPACK_ALIGNMENT || (value != 1 && value != 2 && value != 4 && value != 8)) {
        reportUnsupported("glPixelStorei: only GL_UNPACK_ALIGNMENT");
        return;
    }
    unpackAlignment = value;
}

void glTexImage2D(GLenum target, GLint level, GLint internalFormat, GLsizei width, GLsizei height,
                  GLint border, GLenum format, GLenum type, const void* pixels) {
    specifyImage(target, level, internalFormat, width, height, border, format, type, pixels);
}

// WebGL makes the levels itself from level 0.
GLint gluBuild2DMipmaps(GLenum target, GLint internalFormat, GLsizei width, GLsizei height,
                        GLenum format, GLenum type, const void* data) {
    if (specifyImage(target, 0, internalFormat, width, height, 0, format, type, data)) {
        makeTextureMipmaps(boundName);
    }
    return 0;
}
