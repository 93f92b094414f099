// Consecutive primitives under the same state gather into one batch, sent as one draw when the
// state or the projection changes, when a texture the batch samples changes, at a clear, or at
// the swap.
#pragma once

#include "web/gl/draws.h"

// At glBegin: the primitive joins the open batch if that was gathered under the same state,
// else the batch goes and a new one opens under this state and projection.
void gatherUnder(const DrawState& state, const Matrix4& projection);
// Sends what has gathered as one draw; a change that the gathered primitives must not see
// calls it first.
void flushBatch();
bool batchSamples(unsigned texture);
// At a clear: what gathered goes, then the frame starts again.
void startFrame();
