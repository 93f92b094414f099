// A WebGL context for the browser layer's tests on the desktop: it keeps what the layer's calls
// would leave in a real one (textures, buffers, state), writes each call down, and describes each
// draw as it was made, so that a test sees what the page would have drawn.
#pragma once

#include "web/gl/vertices.h"

#include <string>
#include <vector>

struct RecordedDraw {
    // "2 triangles depth blend 770/771 texture 2x2 #510 min 9729 mag 9729 projection 2": the
    // blend function only while blending, the texture only while textured, the projection's
    // first element only when it is not the identity.
    std::string summary;
    // The rest: the texture's wrap modes, levels and pixels, the whole projection.
    std::string detail;
    // The triangles' corners through the index buffer, as `describeCorner` writes them.
    std::vector<std::string> corners;
};

// What the canvas shows: the last clear, with the clear colour and viewport it was made under,
// and the draws since.
struct RecordedFrame {
    std::string clear;
    std::vector<RecordedDraw> draws;
};

const RecordedFrame& recordedFrame();
// Its draws' summaries, and all their corners, in order.
std::vector<std::string> recordedSummaries();
std::vector<std::string> recordedCorners();
// Each call, in order: its name and arguments, after "lost: " while the context is lost.
const std::vector<std::string>& recordedCalls();
std::string describeCorner(const GatheredVertex& corner);

// A new context with nothing in it, as a restored one comes back; the calls forgotten.
void freshRecordedContext();
// From now on calls are written down and do nothing, as on a real lost context.
void loseRecordedContext();
