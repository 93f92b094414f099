#include "scene/skybox.h"

#include "scene/scene_textures.h"

#include <cstdio>
#include <cstring>

namespace {

const char* const ES_VERSION_PREFIX = "OpenGL ES ";

} // namespace

const SkyFace SKY_FACES[SKY_FACE_COUNT] = {
    {&skyFront, {{1, 0, -1, -1, -1}, {0, 0, 1, -1, -1}, {0, 1, 1, 1, -1}, {1, 1, -1, 1, -1}}},
    {&skyUp, {{1, 0, -1, 1, -1}, {0, 0, 1, 1, -1}, {0, 1, 1, 1, 1}, {1, 1, -1, 1, 1}}},
    {&skyLeft, {{1, 1, -1, 1, 1}, {0, 1, -1, 1, -1}, {0, 0, -1, -1, -1}, {1, 0, -1, -1, 1}}},
    {&skyRight, {{0, 1, 1, 1, 1}, {1, 1, 1, 1, -1}, {1, 0, 1, -1, -1}, {0, 0, 1, -1, 1}}},
    {&skyDown, {{1, 1, -1, -1, -1}, {0, 1, 1, -1, -1}, {0, 0, 1, -1, 1}, {1, 0, -1, -1, 1}}},
    {&skyBack, {{0, 0, -1, -1, 1}, {1, 0, 1, -1, 1}, {1, 1, 1, 1, 1}, {0, 1, -1, 1, 1}}},
};

GLint skyWrapModeFor(const char* version) {
    // OpenGL ES, and WebGL through it, names itself before its number ("OpenGL ES 2.0 ...") and
    // has the edge clamp in every version.
    if (version != nullptr &&
        std::strncmp(version, ES_VERSION_PREFIX, std::strlen(ES_VERSION_PREFIX)) == 0) {
        return GL_CLAMP_TO_EDGE;
    }
    int major = 1;
    int minor = 0;
    if (version == nullptr || std::sscanf(version, "%d.%d", &major, &minor) != 2) {
        return GL_CLAMP;
    }
    const bool hasEdgeClamp = major > 1 || (major == 1 && minor >= 2);
    return hasEdgeClamp ? GL_CLAMP_TO_EDGE : GL_CLAMP;
}

GLint skyWrapMode() {
    return skyWrapModeFor(reinterpret_cast<const char*>(glGetString(GL_VERSION)));
}

void drawSkybox() {
    // GL_CLAMP would blend the black border into each face's outermost texels, drawing a dark
    // line along every edge of the cube; the edge clamp keeps the faces seamless.
    static const GLint wrapMode = skyWrapMode();

    glEnable(GL_TEXTURE_2D);
    for (const SkyFace& face : SKY_FACES) {
        face.texture->bind();
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapMode);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapMode);
        glBegin(GL_QUADS);
        for (const SkyCorner& corner : face.corners) {
            glTexCoord2f(corner.s, corner.t);
            glVertex3f(corner.x, corner.y, corner.z);
        }
        glEnd();
    }
}
