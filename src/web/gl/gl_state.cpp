// The fixed-function state outside the textures and matrices: capabilities, blending, clear,
// viewport and the swap.
#include "web/gl/gl_state.h"
#include "platform_glut.h"
#include "web/gl/batch.h"
#include "web/gl/gl_textures.h"
#include "web/gl/report.h"
#include "web/gl/restore.h"
#include "web/gl/textures.h"

namespace {

bool texturing = false;
bool blending = false;
bool depthTesting = false;
GLenum blendSource = GL_ONE;
GLenum blendDestination = GL_ZERO;

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
    const unsigned texture = boundTextureName();
    return {texture,          texturing && textureComplete(texture),
            blending,         blendSource,
            blendDestination, depthTesting};
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

void glClearColor(GLclampf red, GLclampf green, GLclampf blue, GLclampf alpha) {
    keepClearColor(red, green, blue, alpha);
}

void glClear(GLbitfield mask) {
    startFrame();
    const GLbitfield cleared = mask & (GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    if (cleared != mask) {
        reportUnsupported("glClear: only the colour and depth buffers");
    }
    sendClear(cleared);
}

void glViewport(GLint x, GLint y, GLsizei width, GLsizei height) {
    flushBatch();
    sendViewport(x, y, width, height);
}

// The browser shows the canvas when the frame's callback returns; what has gathered goes now.
void glutSwapBuffers() {
    flushBatch();
}
