// The browser layer from the program's calls down to WebGL, on the desktop, against a WebGL that
// records (recording_webgl.cpp): primitives gather into as few draws as the state allows, each
// drawn as it was given, and a lost and restored context shows the frame again, textures and all.
#include "platform.h"
#include "recording_webgl.h"
#include "web/gl/restore.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

std::vector<std::string> expectedCorners;

// A unit quad at x, coloured by x, whose corners the layer must put at eyeX in eye coordinates.
void quad(float x, float eyeX) {
    const float corners[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    glColor3f(x / 8, 0.5f, 1);
    glBegin(GL_QUADS);
    std::vector<std::string> eye;
    for (const auto& corner : corners) {
        glTexCoord2f(corner[0], corner[1]);
        glVertex3f(x + corner[0], corner[1], -1);
        eye.push_back(describeCorner(
            {eyeX + corner[0], corner[1], -1, corner[0], corner[1], x / 8, 0.5f, 1}));
    }
    glEnd();
    for (int i : {0, 1, 2, 0, 2, 3}) {
        expectedCorners.push_back(eye[i]);
    }
}

void quad(float x) {
    quad(x, x);
}

unsigned char pixelByte(int seed, std::size_t i) {
    return static_cast<unsigned char>(seed + i * 7);
}

// A texture of side × side RGB pixels made from `seed`, its rows given `alignment` bytes aligned.
GLuint texture(int side, int seed, GLint minFilter = GL_LINEAR, int alignment = 1,
               bool mipmaps = false) {
    std::vector<unsigned char> pixels(side * side * 4 + 8);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = pixelByte(seed, i);
    }
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    if (mipmaps) {
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, side, side, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    } else {
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     pixels.data());
    }
    glBindTexture(GL_TEXTURE_2D, 0);
    return name;
}

// How the recording describes a draw from texture(side, seed) with rows 1 byte aligned.
std::string sampling(int side, int seed, GLint magFilter = GL_LINEAR) {
    int sum = 0;
    for (std::size_t i = 0; i < static_cast<std::size_t>(side * side * 3); ++i) {
        sum += pixelByte(seed, i);
    }
    return " texture " + std::to_string(side) + "x" + std::to_string(side) + " #" +
           std::to_string(sum) + " min " + std::to_string(GL_LINEAR) + " mag " +
           std::to_string(magFilter);
}

// A frame from scratch: the state the layer starts with, identity matrices, nothing drawn.
void startFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    expectedCorners.clear();
    glDisable(GL_TEXTURE_2D);
    glDisable(GL_BLEND);
    glDisable(GL_DEPTH_TEST);
    glBlendFunc(GL_ONE, GL_ZERO);
    glBindTexture(GL_TEXTURE_2D, 0);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
}

void startLayer() {
    freshRecordedContext();
    startWebGl();
}

void drawFrom(GLuint name, float x) {
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name);
    quad(x);
}

void setMagFilter(GLuint name, GLint filter) {
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

struct BatchCase {
    const char* name;
    std::function<void()> calls;
    std::vector<std::string> draws;
};

TEST(WebLayerBatches, AsFewDrawsAsTheStateAllowsEachAsGiven) {
    startLayer();
    const GLuint a = texture(2, 10), b = texture(4, 20);
    const GLuint unmipmapped = texture(2, 30, GL_LINEAR_MIPMAP_LINEAR);
    const std::string two = "2 triangles", blend = " blend 770/771", depth = " depth";
    const std::vector<BatchCase> cases = {
        {"one state", [] { quad(0), quad(1); }, {"4 triangles"}},
        {"blending on between",
         [] {
             quad(0), glEnable(GL_BLEND), glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA),
                 quad(1);
         },
         {two, two + blend}},
        {"depth test on between",
         [] { quad(0), glEnable(GL_DEPTH_TEST), quad(1); },
         {two, two + depth}},
        {"another texture",
         [=] { drawFrom(a, 0), drawFrom(b, 1); },
         {two + sampling(2, 10), two + sampling(4, 20)}},
        {"the same texture bound again",
         [=] { drawFrom(a, 0), drawFrom(a, 1); },
         {"4 triangles" + sampling(2, 10)}},
        {"texturing off between",
         [=] { drawFrom(a, 0), glDisable(GL_TEXTURE_2D), quad(1); },
         {two + sampling(2, 10), two}},
        {"a texture without its levels draws untextured",
         [=] { drawFrom(unmipmapped, 0), drawFrom(a, 1); },
         {two, two + sampling(2, 10)}},
        {"another projection",
         [] {
             quad(0), glMatrixMode(GL_PROJECTION), glScalef(2, 2, 2), glMatrixMode(GL_MODELVIEW),
                 quad(1);
         },
         {two, two + " projection 2"}},
        {"another model-view matrix",
         [] { quad(0), glTranslatef(5, 0, 0), quad(1, 6); },
         {"4 triangles"}},
        {"the texture drawn from filters otherwise",
         [=] { drawFrom(a, 0), setMagFilter(a, GL_NEAREST), drawFrom(a, 1); },
         {two + sampling(2, 10), two + sampling(2, 10, GL_NEAREST)}},
        {"a texture not drawn from filters otherwise",
         [=] { drawFrom(a, 0), setMagFilter(b, GL_NEAREST), drawFrom(a, 1); },
         {"4 triangles" + sampling(2, 10)}},
        {"the texture drawn from gets a new image",
         [] {
             drawFrom(texture(2, 40), 0),
                 glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr),
                 quad(1);
         },
         {two + sampling(2, 40), two + " texture 4x4 #0 min 9729 mag 9729"}},
        {"a viewport between", [] { quad(0), glViewport(0, 0, 320, 240), quad(1); }, {two, two}},
        {"a clear between",
         [] { quad(0), glClear(GL_COLOR_BUFFER_BIT), expectedCorners.clear(), quad(1); },
         {two}},
        {"a primitive the layer does not draw",
         [] {
             glBegin(GL_TRIANGLES), glVertex3f(0, 0, 0), glVertex3f(1, 0, 0), glVertex3f(0, 1, 0),
                 glEnd(), quad(1);
         },
         {two}},
    };
    for (const BatchCase& c : cases) {
        startFrame();
        setMagFilter(b, GL_LINEAR);
        setMagFilter(a, GL_LINEAR);
        c.calls();
        glutSwapBuffers();
        EXPECT_EQ(recordedSummaries(), c.draws) << c.name;
        EXPECT_EQ(recordedCorners(), expectedCorners) << c.name;
    }
}

// Between two draws that differ in their texture alone, WebGL hears of the texture alone; an
// unchanged parameter and the gathering itself send nothing.
TEST(WebLayerBatches, SendOnlyWhatChanged) {
    startLayer();
    const GLuint a = texture(2, 10), b = texture(4, 20);
    startFrame();
    glEnable(GL_BLEND);
    drawFrom(a, 0);
    const std::size_t gathered = recordedCalls().size();
    setMagFilter(a, GL_LINEAR);
    EXPECT_EQ(recordedCalls().size(), gathered)
        << "calls while gathering: " << recordedCalls().back();
    drawFrom(b, 1);
    glutSwapBuffers();
    std::vector<std::string> between;
    bool afterFirst = false;
    for (const std::string& call : recordedCalls()) {
        if (call.rfind("drawTriangles", 0) == 0) {
            afterFirst = !afterFirst;
        } else if (afterFirst && call.rfind("upload", 0) != 0) {
            between.push_back(call);
        }
    }
    ASSERT_EQ(between.size(), 1u) << "the first: " << (between.empty() ? "none" : between[0]);
    EXPECT_EQ(between[0].rfind("bindTexture ", 0), 0u) << between[0];
}

// The frame that a restored context must show: a clear colour, a viewport, depth and blending,
// a texture whose rows were given 4 bytes aligned, a mipmapped one, and another projection.
void drawShownFrame(GLuint aligned, GLuint mipmapped, float x) {
    glClearColor(0.25f, 0.5f, 0.75f, 1);
    glViewport(0, 0, 640, 480);
    startFrame();
    glEnable(GL_DEPTH_TEST);
    drawFrom(aligned, x);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    drawFrom(mipmapped, x + 1);
    glMatrixMode(GL_PROJECTION);
    gluPerspective(65, 4.0 / 3.0, 0.1, 200);
    glMatrixMode(GL_MODELVIEW);
    quad(x + 2);
    glutSwapBuffers();
}

struct RestoreCase {
    const char* name;
    std::function<void(GLuint, GLuint)> whileLost;
    float lastFrameX; // where the last frame the program drew stands
};

// Lost, the context is sent no vertices and no draws; restored, it shows the last frame the
// program drew, before or during the loss, with the textures as they are now, just as the same
// frame drawn again on a context never lost.
TEST(WebLayerRestore, ARestoredContextShowsTheLastFrame) {
    const std::vector<RestoreCase> cases = {
        {"a frame held still", [](GLuint, GLuint) {}, 0},
        {"a frame drawn while lost",
         [](GLuint aligned, GLuint mipmapped) {
             drawShownFrame(aligned, mipmapped, 3);
             setMagFilter(aligned, GL_NEAREST);
         },
         3},
    };
    for (const RestoreCase& c : cases) {
        startLayer();
        const GLuint aligned = texture(2, 50, GL_LINEAR, 4);
        const GLuint mipmapped = texture(4, 60, GL_LINEAR_MIPMAP_LINEAR, 1, true);
        drawShownFrame(aligned, mipmapped, 0);
        loseContext();
        loseRecordedContext();
        c.whileLost(aligned, mipmapped);
        for (const std::string& call : recordedCalls()) {
            EXPECT_EQ(call.find("lost: draw"), std::string::npos) << c.name;
            EXPECT_EQ(call.find("lost: upload"), std::string::npos) << c.name;
        }
        freshRecordedContext();
        restoreContext();
        const RecordedFrame restored = recordedFrame();
        drawShownFrame(aligned, mipmapped, c.lastFrameX);
        EXPECT_EQ(restored.clear, recordedFrame().clear) << c.name;
        ASSERT_EQ(restored.draws.size(), 3u) << c.name;
        for (std::size_t i = 0; i < 3; ++i) {
            const RecordedDraw &shown = restored.draws[i], &drawn = recordedFrame().draws[i];
            EXPECT_EQ(shown.summary, drawn.summary) << c.name << ", draw " << i;
            EXPECT_EQ(shown.detail, drawn.detail) << c.name << ", draw " << i;
            EXPECT_EQ(shown.corners, drawn.corners) << c.name << ", draw " << i;
        }
    }
}

// Each thing the layer cannot do is said once, however often it is asked.
TEST(WebLayerReports, EachUnsupportedCallOnce) {
    startLayer();
    testing::internal::CaptureStderr();
    for (int i = 0; i < 3; ++i) {
        glEnable(GL_LIGHTING);
        glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    }
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(said, "plume: the browser's OpenGL layer does not support glEnable/glDisable: only "
                    "GL_TEXTURE_2D, GL_BLEND, GL_DEPTH_TEST\nplume: the browser's OpenGL layer "
                    "does not support glTexEnvf: only GL_MODULATE\n");
}

} // namespace
