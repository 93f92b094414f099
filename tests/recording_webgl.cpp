#include "recording_webgl.h"
#include "platform.h"
#include "web/gl/webgl.h"

#include <cstdio>
#include <map>

namespace {

struct RecordedTexture {
    std::map<unsigned, int> parameters = {{GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_LINEAR},
                                          {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                          {GL_TEXTURE_WRAP_S, GL_REPEAT},
                                          {GL_TEXTURE_WRAP_T, GL_REPEAT}};
    bool hasImage = false;
    bool mipmapped = false;
    int width = 0, height = 0;
    std::vector<unsigned char> rows; // without the padding of the rows given
};

struct Context {
    bool lost = false;
    bool pipeline = false;
    std::map<unsigned, RecordedTexture> textures;
    unsigned nextTexture = 1;
    unsigned bound = 0;
    bool depth = false, blend = false, textured = false;
    unsigned source = GL_ONE, destination = GL_ZERO;
    float projection[16] = {};
    std::vector<GatheredVertex> vertices = std::vector<GatheredVertex>(MAX_FRAME_VERTICES);
    std::vector<unsigned short> indices = std::vector<unsigned short>(MAX_FRAME_INDICES);
    float clearColor[4] = {};
    int viewport[4] = {-1, -1, -1, -1}; // the canvas's size, which the layer must set itself
};

Context context;
RecordedFrame frame;
std::vector<std::string> calls;

template <typename... Values> std::string format(const char* pattern, Values... values) {
    char text[256];
    std::snprintf(text, sizeof text, pattern, values...);
    return text;
}

// Writes the call down; false while the context is lost, when it must do nothing.
bool heard(const std::string& call) {
    calls.push_back(context.lost ? "lost: " + call : call);
    return !context.lost;
}

int bytesPerPixel(unsigned format) {
    return format == GL_RGBA ? 4 : format == GL_RGB ? 3 : format == GL_LUMINANCE_ALPHA ? 2 : 1;
}

// As WebGL samples it: a texture without an image or without the levels its filter reads is
// incomplete and samples black.
std::string describeTexture(std::string& detail) {
    const auto found = context.textures.find(context.bound);
    if (found == context.textures.end()) {
        return "a texture this context does not have";
    }
    RecordedTexture& texture = found->second;
    const int min = texture.parameters[GL_TEXTURE_MIN_FILTER];
    if (!texture.hasImage || (min != GL_NEAREST && min != GL_LINEAR && !texture.mipmapped)) {
        return "an incomplete texture";
    }
    int sum = 0;
    for (unsigned char byte : texture.rows) {
        sum += byte;
        detail += format(" %02x", byte);
    }
    detail += format(" wrap %d %d%s", texture.parameters[GL_TEXTURE_WRAP_S],
                     texture.parameters[GL_TEXTURE_WRAP_T], texture.mipmapped ? " mipmapped" : "");
    return format("texture %dx%d #%d min %d mag %d", texture.width, texture.height, sum, min,
                  texture.parameters[GL_TEXTURE_MAG_FILTER]);
}

RecordedDraw describeDraw(int firstIndex, int indexCount) {
    RecordedDraw draw;
    draw.summary = format("%d triangles", indexCount / 3);
    if (context.depth) {
        draw.summary += " depth";
    }
    if (context.blend) {
        draw.summary += format(" blend %u/%u", context.source, context.destination);
    }
    if (context.textured) {
        draw.summary += " " + describeTexture(draw.detail);
    }
    const float* m = context.projection;
    if (m[0] != 1 || m[5] != 1 || m[10] != 1 || m[15] != 1) {
        draw.summary += format(" projection %g", m[0]);
    }
    for (int i = 0; i < 16; ++i) {
        draw.detail += format(" %g", m[i]);
    }
    for (int i = firstIndex; i < firstIndex + indexCount; ++i) {
        draw.corners.push_back(describeCorner(context.vertices[context.indices[i]]));
    }
    return draw;
}

} // namespace

const RecordedFrame& recordedFrame() {
    return frame;
}

std::vector<std::string> recordedSummaries() {
    std::vector<std::string> summaries;
    for (const RecordedDraw& draw : frame.draws) {
        summaries.push_back(draw.summary);
    }
    return summaries;
}

std::vector<std::string> recordedCorners() {
    std::vector<std::string> corners;
    for (const RecordedDraw& draw : frame.draws) {
        corners.insert(corners.end(), draw.corners.begin(), draw.corners.end());
    }
    return corners;
}

const std::vector<std::string>& recordedCalls() {
    return calls;
}

std::string describeCorner(const GatheredVertex& c) {
    return format("%g,%g,%g %g,%g %g,%g,%g", c.x, c.y, c.z, c.s, c.t, c.r, c.g, c.b);
}

void freshRecordedContext() {
    context = Context();
    frame = RecordedFrame();
    calls.clear();
}

void loseRecordedContext() {
    context.lost = true;
}

void webglCreatePipeline() {
    context.pipeline = heard("createPipeline") || context.pipeline;
}

unsigned webglCreateTexture() {
    if (!heard("createTexture")) {
        return 0;
    }
    context.textures[context.nextTexture] = RecordedTexture();
    return context.nextTexture++;
}

void webglBindTexture(unsigned texture) {
    if (heard(format("bindTexture %u", texture))) {
        context.bound = texture;
    }
}

void webglTexParameter(unsigned parameter, int value) {
    if (heard(format("texParameter %u %d", parameter, value))) {
        context.textures[context.bound].parameters[parameter] = value;
    }
}

void webglTexImage(unsigned format, int width, int height, int alignment,
                   const unsigned char* pixels) {
    if (!heard(::format("texImage %u %dx%d alignment %d", format, width, height, alignment))) {
        return;
    }
    RecordedTexture& texture = context.textures[context.bound];
    const int row = width * bytesPerPixel(format);
    const int stride = (row + alignment - 1) / alignment * alignment;
    texture.rows.assign(static_cast<std::size_t>(row) * height, 0);
    for (int y = 0; pixels && y < height; ++y) {
        std::copy(pixels + y * stride, pixels + y * stride + row, texture.rows.begin() + y * row);
    }
    texture.hasImage = true;
    texture.mipmapped = false;
    texture.width = width;
    texture.height = height;
}

void webglGenerateMipmap() {
    if (heard("generateMipmap")) {
        RecordedTexture& texture = context.textures[context.bound];
        texture.mipmapped = texture.hasImage;
    }
}

void webglSetCapability(unsigned capability, bool on) {
    if (heard(format("%s %u", on ? "enable" : "disable", capability))) {
        (capability == GL_BLEND ? context.blend : context.depth) = on;
    }
}

void webglBlendFunc(unsigned source, unsigned destination) {
    if (heard(format("blendFunc %u %u", source, destination))) {
        context.source = source;
        context.destination = destination;
    }
}

void webglSetTextured(bool textured) {
    if (heard(format("textured %d", textured))) {
        context.textured = textured;
    }
}

void webglSetProjection(const float projection[16]) {
    if (heard("projection")) {
        std::copy(projection, projection + 16, context.projection);
    }
}

void webglUploadVertices(int first, int count, const GatheredVertex* frameVertices) {
    if (heard(format("uploadVertices %d %d", first, count))) {
        std::copy(frameVertices + first, frameVertices + first + count,
                  context.vertices.begin() + first);
    }
}

void webglUploadIndices(int first, int count, const unsigned short* frameIndices) {
    if (heard(format("uploadIndices %d %d", first, count))) {
        std::copy(frameIndices + first, frameIndices + first + count,
                  context.indices.begin() + first);
    }
}

void webglDrawTriangles(int firstIndex, int indexCount) {
    if (!heard(format("drawTriangles %d %d", firstIndex, indexCount))) {
        return;
    }
    if (!context.pipeline) {
        frame.draws.push_back({"a draw without a program", "", {}});
        return;
    }
    frame.draws.push_back(describeDraw(firstIndex, indexCount));
}

void webglClearColor(float red, float green, float blue, float alpha) {
    if (heard("clearColor")) {
        const float colour[4] = {red, green, blue, alpha};
        std::copy(colour, colour + 4, context.clearColor);
    }
}

void webglClear(unsigned mask) {
    if (!heard(format("clear %u", mask))) {
        return;
    }
    const float* c = context.clearColor;
    const int* v = context.viewport;
    frame.clear = format("clear %u to %g %g %g %g, viewport %d %d %d %d", mask, c[0], c[1], c[2],
                         c[3], v[0], v[1], v[2], v[3]);
    frame.draws.clear();
}

void webglViewport(int x, int y, int width, int height) {
    if (heard(format("viewport %d %d %d %d", x, y, width, height))) {
        const int viewport[4] = {x, y, width, height};
        std::copy(viewport, viewport + 4, context.viewport);
    }
}
