#include "web/gl/batch.h"
#include "web/gl/vertices.h"

namespace {

LayerDraw batch; // the state and projection of what is gathering
bool batchOpen = false;

bool sameDrawState(const DrawState& a, const DrawState& b) {
    return a.texture == b.texture && a.textured == b.textured && a.blend == b.blend &&
           a.blendSource == b.blendSource && a.blendDestination == b.blendDestination &&
           a.depthTest == b.depthTest;
}

} // namespace

void gatherUnder(const DrawState& state, const Matrix4& projection) {
    if (batchOpen && !sameDrawState(state, batch.state)) {
        flushBatch();
    }
    if (!batchOpen) {
        batch.state = state;
        batch.projection = projection;
        batch.firstIndex = gatheredIndexCount();
        batchOpen = true;
    }
}

void flushBatch() {
    if (!batchOpen) {
        return;
    }
    batchOpen = false;
    batch.indexCount = gatheredIndexCount() - batch.firstIndex;
    if (batch.indexCount > 0) {
        sendDraw(batch);
    }
}

bool batchSamples(unsigned texture) {
    return batchOpen && batch.state.textured && batch.state.texture == texture;
}

void startFrame() {
    flushBatch();
    clearGathered();
    forgetDraws();
}
