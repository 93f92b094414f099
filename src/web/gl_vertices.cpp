// glBegin/glEnd and the calls between them. Consecutive primitives under the same state gather
// into one batch, sent as one draw when the state changes, at a clear or at the swap. Each
// draw is also noted in the frame's record, which a restored context draws again.
#include "platform.h"
#include "web/layer.h"
#include "web/vertices.h"

namespace {

// plume's frame makes 7; a record this long covers any frame the layer batches well.
constexpr int MAX_FRAME_DRAWS = 64;

LayerDraw frameDraws[MAX_FRAME_DRAWS];
int frameDrawCount = 0;

LayerDraw batch; // the state and projection of what is gathering
bool batchOpen = false;
int uploadedVertexCount = 0; // the frame's vertices already in the WebGL buffer

bool inPrimitive = false;
bool primitiveSupported = false;
PrimitiveShape shape = PrimitiveShape::Quads;
float texCoord[2] = {0.0f, 0.0f};
float color[3] = {1.0f, 1.0f, 1.0f};

void openBatch(const DrawState& state) {
    batch.state = state;
    batch.projection = projectionMatrix();
    batch.firstIndex = gatheredIndexCount();
    batchOpen = true;
}

void noteDraw(const LayerDraw& draw) {
    if (frameDrawCount < MAX_FRAME_DRAWS) {
        frameDraws[frameDrawCount++] = draw;
    } else {
        reportUnsupported("more draws in a frame than a restored context draws again");
    }
}

bool supportedShape(GLenum mode) {
    if (mode == GL_QUADS || mode == GL_TRIANGLE_STRIP) {
        shape = mode == GL_QUADS ? PrimitiveShape::Quads : PrimitiveShape::TriangleStrip;
        return true;
    }
    reportUnsupported("glBegin: only GL_QUADS and GL_TRIANGLE_STRIP");
    return false;
}

} // namespace

void flushGathered() {
    if (!batchOpen) {
        return;
    }
    batchOpen = false;
    batch.indexCount = gatheredIndexCount() - batch.firstIndex;
    if (batch.indexCount == 0) {
        return;
    }
    noteDraw(batch);
    uploadGathered(uploadedVertexCount, gatheredVertexCount() - uploadedVertexCount,
                   batch.firstIndex, batch.indexCount);
    uploadedVertexCount = gatheredVertexCount();
    drawGathered(batch);
}

bool gatheredUnderTexture(unsigned name) {
    return batchOpen && batch.state.textured && batch.state.texture == name;
}

void forgetFrame() {
    flushGathered();
    clearGathered();
    frameDrawCount = 0;
    uploadedVertexCount = 0;
}

void replayFrame() {
    uploadGathered(0, gatheredVertexCount(), 0, gatheredIndexCount());
    uploadedVertexCount = gatheredVertexCount();
    for (int i = 0; i < frameDrawCount; ++i) {
        drawGathered(frameDraws[i]);
    }
}

void glBegin(GLenum mode) {
    inPrimitive = true;
    primitiveSupported = supportedShape(mode);
    if (!primitiveSupported) {
        return;
    }
    const DrawState state = currentDrawState();
    if (batchOpen && !sameDrawState(state, batch.state)) {
        flushGathered();
    }
    if (!batchOpen) {
        openBatch(state);
    }
    beginGathering();
}

void glEnd() {
    if (inPrimitive && primitiveSupported && !endGathering(shape)) {
        reportUnsupported("more vertices in a frame than the layer gathers");
    }
    inPrimitive = false;
}

void glTexCoord2f(GLfloat s, GLfloat t) {
    texCoord[0] = s;
    texCoord[1] = t;
}

void glColor3f(GLfloat red, GLfloat green, GLfloat blue) {
    color[0] = red;
    color[1] = green;
    color[2] = blue;
}

void glVertex3f(GLfloat x, GLfloat y, GLfloat z) {
    if (!inPrimitive || !primitiveSupported) {
        return;
    }
    GatheredVertex vertex{0, 0, 0, texCoord[0], texCoord[1], color[0], color[1], color[2]};
    float eye[3];
    transformPoint(modelViewMatrix(), x, y, z, eye);
    vertex.x = eye[0];
    vertex.y = eye[1];
    vertex.z = eye[2];
    gatherVertex(vertex);
}
