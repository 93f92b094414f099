#include "web/gl/draws.h"
#include "platform.h"
#include "web/gl/report.h"
#include "web/gl/textures.h"
#include "web/gl/vertices.h"
#include "web/gl/webgl.h"

#include <cstring>

namespace {

// plume's frame makes 7; a record this long covers any frame the layer batches well.
constexpr int MAX_FRAME_DRAWS = 64;

LayerDraw frameDraws[MAX_FRAME_DRAWS];
int frameDrawCount = 0;
int uploadedVertexCount = 0; // the frame's vertices already in the WebGL buffer
bool lost = false;

// What WebGL was last told, so that a draw sends only what changed.
DrawState applied{};
Matrix4 appliedProjection{};
bool appliedKnown = false;

void applyBlend(const DrawState& state) {
    if (!appliedKnown || state.blend != applied.blend) {
        webglSetCapability(GL_BLEND, state.blend);
    }
    if (!appliedKnown || state.blendSource != applied.blendSource ||
        state.blendDestination != applied.blendDestination) {
        webglBlendFunc(state.blendSource, state.blendDestination);
    }
}

void applyState(const LayerDraw& draw) {
    const DrawState& state = draw.state;
    if (!appliedKnown || state.depthTest != applied.depthTest) {
        webglSetCapability(GL_DEPTH_TEST, state.depthTest);
    }
    applyBlend(state);
    if (!appliedKnown || state.textured != applied.textured) {
        webglSetTextured(state.textured);
    }
    if (state.textured) {
        bindTextureForDraw(state.texture);
    }
    if (!appliedKnown || std::memcmp(&draw.projection, &appliedProjection, sizeof(Matrix4)) != 0) {
        webglSetProjection(draw.projection.m);
        appliedProjection = draw.projection;
    }
    applied = state;
    appliedKnown = true;
}

void upload(int firstVertex, int vertexCount, int firstIndex, int indexCount) {
    if (lost) {
        return;
    }
    webglUpload(firstVertex, vertexCount, firstIndex, indexCount, gatheredVertices(),
                gatheredIndices());
}

void draw(const LayerDraw& draw) {
    if (lost) {
        return;
    }
    applyState(draw);
    webglDrawTriangles(draw.firstIndex, draw.indexCount);
}

} // namespace

void startDraws() {
    webglCreatePipeline();
    appliedKnown = false;
}

void setContextLost(bool isLost) {
    lost = isLost;
}

bool contextIsLost() {
    return lost;
}

void sendDraw(const LayerDraw& batch) {
    if (frameDrawCount < MAX_FRAME_DRAWS) {
        frameDraws[frameDrawCount++] = batch;
    } else {
        reportUnsupported("more draws in a frame than a restored context draws again");
    }
    upload(uploadedVertexCount, gatheredVertexCount() - uploadedVertexCount, batch.firstIndex,
           batch.indexCount);
    uploadedVertexCount = gatheredVertexCount();
    draw(batch);
}

void forgetDraws() {
    frameDrawCount = 0;
    uploadedVertexCount = 0;
}

void replayDraws() {
    upload(0, gatheredVertexCount(), 0, gatheredIndexCount());
    uploadedVertexCount = gatheredVertexCount();
    for (int i = 0; i < frameDrawCount; ++i) {
        draw(frameDraws[i]);
    }
}
