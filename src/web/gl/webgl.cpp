// The layer's calls on the page's WebGL context. Behind every draw stands one program: the
// vertices arrive in eye coordinates, so the vertex shader applies the projection alone; the
// fragment shader is GL_MODULATE: texture colour times vertex colour, or the colour alone.
#include "web/gl/webgl.h"
#include "web/web_page.h"

#include <emscripten/html5_webgl.h>
#include <webgl/webgl1.h>

#include <cstddef>
#include <cstdio>

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

GLint projectionUniform = -1;
GLint texturedUniform = -1;

// Enough of a browser's info log to say what failed; a longer one is cut short.
constexpr int MAX_INFO_LOG_BYTES = 1024;

GLuint compiled(GLenum kind, const char* source) {
    const GLuint shader = emscripten_glCreateShader(kind);
    emscripten_glShaderSource(shader, 1, &source, nullptr);
    emscripten_glCompileShader(shader);
    return shader;
}

// A lost context answers false to every question: no fault of the shaders, and the restored
// context compiles and links them again.
bool contextLost() {
    return emscripten_is_webgl_context_lost(emscripten_webgl_get_current_context());
}

// A shader's or the program's status, and the info log that says why it failed.
using ReadStatus = void (*)(GLuint, GLenum, GLint*);
using ReadInfoLog = void (*)(GLuint, GLsizei, GLsizei*, GLchar*);

// Whether `object` reached `status`; if not, the page says so, with the browser's reason, in
// place of a picture that would draw nothing.
bool reached(GLuint object, GLenum status, ReadStatus readStatus, ReadInfoLog readInfoLog,
             const char* what) {
    GLint value = GL_FALSE;
    readStatus(object, status, &value);
    if (value == GL_TRUE || contextLost()) {
        return true;
    }
    char infoLog[MAX_INFO_LOG_BYTES] = "";
    readInfoLog(object, MAX_INFO_LOG_BYTES, nullptr, infoLog);
    char message[MAX_INFO_LOG_BYTES + 64];
    std::snprintf(message, sizeof message, "plume could not %s: %s", what,
                  infoLog[0] != '\0' ? infoLog : "the browser gave no reason.");
    showPageMessage(message);
    return false;
}

// The statuses are read once all is linked, so that the browser may compile while it goes on;
// the first failure alone is said, as the others follow from it.
void makeProgram() {
    const GLuint program = emscripten_glCreateProgram();
    const GLuint vertexShader = compiled(GL_VERTEX_SHADER, VERTEX_SHADER);
    const GLuint fragmentShader = compiled(GL_FRAGMENT_SHADER, FRAGMENT_SHADER);
    emscripten_glAttachShader(program, vertexShader);
    emscripten_glAttachShader(program, fragmentShader);
    emscripten_glBindAttribLocation(program, POSITION, "position");
    emscripten_glBindAttribLocation(program, TEX_COORD, "texCoord");
    emscripten_glBindAttribLocation(program, COLOR, "color");
    emscripten_glLinkProgram(program);
    const auto shaderCompiled = [](GLuint shader, const char* what) {
        return reached(shader, GL_COMPILE_STATUS, emscripten_glGetShaderiv,
                       emscripten_glGetShaderInfoLog, what);
    };
    if (shaderCompiled(vertexShader, "compile its vertex shader") &&
        shaderCompiled(fragmentShader, "compile its fragment shader")) {
        reached(program, GL_LINK_STATUS, emscripten_glGetProgramiv, emscripten_glGetProgramInfoLog,
                "link its shaders");
    }
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

} // namespace

void webglCreatePipeline() {
    makeProgram();
    makeBuffers();
}

unsigned webglCreateTexture() {
    GLuint texture = 0;
    emscripten_glGenTextures(1, &texture);
    return texture;
}

void webglBindTexture(unsigned texture) {
    emscripten_glBindTexture(GL_TEXTURE_2D, texture);
}

void webglTexParameter(unsigned parameter, int value) {
    emscripten_glTexParameteri(GL_TEXTURE_2D, parameter, value);
}

void webglTexImage(unsigned format, int width, int height, int alignment,
                   const unsigned char* pixels) {
    emscripten_glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    emscripten_glTexImage2D(GL_TEXTURE_2D, 0, static_cast<GLint>(format), width, height, 0, format,
                            GL_UNSIGNED_BYTE, pixels);
}

void webglGenerateMipmap() {
    emscripten_glGenerateMipmap(GL_TEXTURE_2D);
}

void webglSetCapability(unsigned capability, bool on) {
    if (on) {
        emscripten_glEnable(capability);
    } else {
        emscripten_glDisable(capability);
    }
}

void webglBlendFunc(unsigned source, unsigned destination) {
    emscripten_glBlendFunc(source, destination);
}

void webglSetTextured(bool textured) {
    emscripten_glUniform1f(texturedUniform, textured ? 1.0f : 0.0f);
}

void webglSetProjection(const float projection[16]) {
    emscripten_glUniformMatrix4fv(projectionUniform, 1, GL_FALSE, projection);
}

void webglUpload(int firstVertex, int vertexCount, int firstIndex, int indexCount,
                 const GatheredVertex* frameVertices, const unsigned short* frameIndices) {
    emscripten_glBufferSubData(GL_ARRAY_BUFFER, sizeof(GatheredVertex) * firstVertex,
                               sizeof(GatheredVertex) * vertexCount, frameVertices + firstVertex);
    emscripten_glBufferSubData(GL_ELEMENT_ARRAY_BUFFER, sizeof(unsigned short) * firstIndex,
                               sizeof(unsigned short) * indexCount, frameIndices + firstIndex);
}

void webglDrawTriangles(int firstIndex, int indexCount) {
    emscripten_glDrawElements(GL_TRIANGLES, indexCount, GL_UNSIGNED_SHORT,
                              reinterpret_cast<void*>(sizeof(unsigned short) * firstIndex));
}

void webglClear(unsigned mask, const float colour[4]) {
    emscripten_glClearColor(colour[0], colour[1], colour[2], colour[3]);
    emscripten_glClear(mask);
}

void webglViewport(int x, int y, int width, int height) {
    emscripten_glViewport(x, y, width, height);
}
