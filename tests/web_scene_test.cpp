// The program's own scene through the browser's layer, on the desktop, against the recording
// WebGL: a new element of the scene that the layer cannot draw fails here, without a browser.
#include "app/camera.h"
#include "app/frame.h"
#include "app/pinned_frame.h"
#include "feather_strip.h"
#include "platform_glut.h"
#include "scene/feathers.h"
#include "web/gl/restore.h"

#include <gtest/gtest.h>

// What web_layer_test.cpp's recording WebGL drew since the last clear: summaries and vertices.
extern std::vector<std::string> summaries;
extern std::vector<GatheredVertex> drawnVertices;

// The scene's calls beside the layer, answered as the page's toolkit and Emscripten answer them.
const GLubyte* glGetString(GLenum) {
    return reinterpret_cast<const GLubyte*>("OpenGL ES 2.0 (WebGL 1.0)");
}

// Feather 0 five units ahead of the eye, turned back by the first frame's pitch.
TEST(WebScene, FramesDrawInSevenDrawsUnreportedWithTheFeathersStrips) {
    startWebGl(), useManualClock(), testing::internal::CaptureStderr();
    startScene(WINDOW_WIDTH, WINDOW_HEIGHT, PLUME_DATA_DIR);
    featherPosition[0] = aheadOfTheEye(5.0), featherAngle[0] = {-cameraPitchAt(0.0), 0.0f, 0.0f};
    featherScale[0] = 1.0f, featherBend[0] = 0.5f, featherColor[0] = {0.25f, 1.0f, 0.5f};
    for (const int ms : {0, 16, 1000}) {
        setManualClockMs(ms), stepFrame(), glutSwapBuffers();
        // As on the page: the sky's six faces, a texture each, then all the feathers in one.
        EXPECT_EQ(summaries.size(), 7u) << ms << " ms: " << testing::PrintToString(summaries);
        if (ms == 0) {
            EXPECT_EQ(offTheStrip(drawnVertices, 0.5), 0)
                << "feather 0 off its strip (-1: not drawn)";
            EXPECT_GT(offTheStrip(drawnVertices, 0.75), 0) << "control: another bend";
        }
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "") << "reported unsupported";
    // Control: a frame with a lit element, which the layer does not draw, reports it.
    testing::internal::CaptureStderr();
    glEnable(GL_LIGHTING), stepFrame(), glutSwapBuffers();
    EXPECT_NE(testing::internal::GetCapturedStderr().find("does not support glEnable"),
              std::string::npos);
}
