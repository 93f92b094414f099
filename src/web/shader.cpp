// The one WebGL program behind every draw, with the buffers the gathered frame goes into. The
// vertices arrive in eye coordinates, so the vertex shader applies the projection alone; the
// fragment shader is GL_MODULATE: texture colour times vertex colour, or the colour alone.
#include "platform.h"
#include "web/layer.h"
#include "web/vertices.h"

#include <webgl/webgl1.h>

#include <cstddef>
#include <cstring>

namespace {

const char* const VERTEX_SHADER = R"(
attribute vec3 position;
attribute vec2 texCoord;
attribute vec3 color;
uniform mat4 projection;
varying vec2 fragmentTexCoord;
varying vec3 fragmentColor;
void main() {
    fragmentTexCoord = texCoord;
    fragmentColor = color;
    gl_Position = projection * vec4(position, 1.0);
})";

const char* const FRAGMENT_SHADER = R"(
#ifdef GL_FRAGMENT_PRECISION_HIGH
precision highp float;
#else
precision mediump float;
#endif
uniform sampler2D image;
uniform float textured;
varying vec2 fragmentTexCoord;
varying vec3 fragmentColor;
void main() {
    vec4 texel = mix(vec4(1.0), texture2D(image, fragmentTexCoord), textured);
    gl_FragColor = vec4(fragmentColor, 1.0) * texel;
})";

enum Attribute : GLuint { POSITION, TEX_COORD, COLOR };

GLuint program = 0;
GLint projectionUniform = -1;
GLint texturedUniform = -1;
// What WebGL was last told, so that a draw sends only what changed.
DrawState applied{};
Matrix4 appliedProjection{};
bool appliedKnown = false;

GLuint compiled(GLenum kind, const char* source) {
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

void makeProgram() {
    program = emscripten_glCreateProgram();
    emscripten_glAttachShader(program, compiled(GL_VERTEX_SHADER, VERTEX_SHADER));
    emscripten_glAttachShader(program, compiled(GL_FRAGMENT_SHADER, FRAGMENT_SHADER));
    emscripten_glBindAttribLocation(program, POSITION, "position");
    emscripten_glBindAttribLocation(program, TEX_COORD, "texCoord");
    emscripten_glBindAttribLocation(program, COLOR, "color");
    emscripten_glLinkProgram(program);
    emscripten_glUseProgram(program);
    projectionUniform = emscripten_glGetUniformLocation(program, "projection");
    texturedUniform = emscripten_glGetUniformLocation(program, "textured");
}

void pointAttribute(Attribute attribute, int components, std::size_t offset) {
    emscripten_glEnableVertexAttribArray(attribute);
    emscripten_glVertexAttribPointer(attribute, components, GL_FLOAT, GL_FALSE,
                                     sizeof(GatheredVertex), reinterpret_cast<void*>(offset));
}

// Sized once for the fullest frame; draws then only write into them.
void makeBuffers() {
    GLuint buffers[2];
    emscripten_glGenBuffers(2, buffers);
    emscripten_glBindBuffer(GL_ARRAY_BUFFER, buffers[0]);
    emscripten_glBufferData(GL_ARRAY_BUFFER, sizeof(GatheredVertex) * MAX_FRAME_VERTICES, nullptr,
                            GL_DYNAMIC_DRAW);
    emscripten_glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, buffers[1]);
    emscripten_glBufferData(GL_ELEMENT_ARRAY_BUFFER, sizeof(unsigned short) * MAX_FRAME_INDICES,
                            nullptr, GL_DYNAMIC_DRAW);
    pointAttribute(POSITION, 3, offsetof(GatheredVertex, x));
    pointAttribute(TEX_COORD, 2, offsetof(GatheredVertex, s));
    pointAttribute(COLOR, 3, offsetof(GatheredVertex, r));
}

void setCapability(GLenum cap, bool on) {
    if (on) {
        emscripten_glEnable(cap);
    } else {
        emscripten_glDisable(cap);
    }
}

void applyBlend(const DrawState& state) {
    if (!appliedKnown || state.blend != applied.blend) {
        setCapability(GL_BLEND, state.blend);
    }
    if (!appliedKnown || state.blendSource != applied.blendSource ||
        state.blendDestination != applied.blendDestination) {
        emscripten_glBlendFunc(state.blendSource, state.blendDestination);
    }
}

void applyState(const LayerDraw& draw) {
    const DrawState& state = draw.state;
    if (!appliedKnown || state.depthTest != applied.depthTest) {
        setCapability(GL_DEPTH_TEST, state.depthTest);
    }
    applyBlend(state);
    if (!appliedKnown || state.textured != applied.textured) {
        emscripten_glUniform1f(texturedUniform, state.textured ? 1.0f : 0.0f);
    }
    if (state.textured) {
        bindLayerTexture(state.texture);
    }
    if (!appliedKnown || std::memcmp(&draw.projection, &appliedProjection, sizeof(Matrix4)) != 0) {
        emscripten_glUniformMatrix4fv(projectionUniform, 1, GL_FALSE, draw.projection.m);
        appliedProjection = draw.projection;
    }
    applied = state;
    appliedKnown = true;
}

} // namespace

void createPipeline() {
    makeProgram();
    makeBuffers();
    appliedKnown = false;
}

void uploadGathered(int firstVertex, int vertexCount, int firstIndex, int indexCount) {
    if (contextIsLost()) {
        return;
    }
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, sizeof(GatheredVertex) * firstVertex,
                               sizeof(GatheredVertex) * vertexCount,
                               gatheredVertices() + firstVertex);
    emscripten_glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, sizeof(unsigned short) * firstIndex,
                               sizeof(unsigned short) * indexCount, gatheredIndices() + firstIndex);
}

void drawGathered(const LayerDraw& draw) {
    if (contextIsLost()) {
        return;
    }
    applyState(draw);
    emscripten_glDrawElements(GL_TRIANGLES, draw.indexCount, GL_UNSIGNED_SHORT,
                              reinterpret_cast<void*>(sizeof(unsigned short) * draw.firstIndex));
}

bool sameDrawState(const DrawState& a, const DrawState& b) {
    return a.texture == b.texture && a.textured == b.textured && a.blend == b.blend &&
           a.blendSource == b.blendSource && a.blendDestination == b.blendDestination &&
           a.depthTest == b.depthTest;
}
