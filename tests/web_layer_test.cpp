// The browser layer over a recording WebGL: few draws, restored contexts, and the program's scene
// through it, so that an element the layer cannot draw fails without a browser.
#include "app/camera.h"
#include "app/frame.h"
#include "app/pinned_frame.h"
#include "feather_strip.h"
#include "platform_glut.h"
#include "scene/feathers.h"
#include "web/gl/restore.h"
#include "web/gl/webgl.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <numeric>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The recording context: its state by name ("bound", "textured", "texture 3 10241": a parameter
// of texture 3, or its size GL_TEXTURE_WIDTH, levels GL_GENERATE_MIPMAP), its buffers, and what
// it shows: each draw's summary and vertices, and each clear and draw.
std::vector<std::string> summaries;
std::vector<GatheredVertex> drawnVertices;
std::map<std::string, std::string> webgl;
std::vector<GatheredVertex> vertexBuffer(MAX_FRAME_VERTICES);
std::vector<unsigned short> indexBuffer(MAX_FRAME_INDICES);
unsigned textureCount = 0;
bool lost = false;
int sentWhileLost = 0; // uploads and draws
std::vector<std::string> shown;

template <typename... Values> std::string words(Values... values) {
    std::ostringstream text;
    ((text << ' ' << values), ...);
    return text.str().substr(1);
}

bool live(int sends = 0) {
    sentWhileLost += lost ? sends : 0;
    return !lost;
}

void set(const std::string& name, const std::string& value) {
    if (live())
        webgl[name] = value;
}

std::string ofBound(unsigned what) {
    return "texture " + webgl["bound"] + " " + words(what);
}

// "2 triangles depth blend 770 771 texture 2 x 2 #78 mag 9729 projection 2": the blend function,
// the texture (size, sum of its bytes, filter, levels) while in use, the projection if not 1.
void record(int firstIndex, int indexCount) {
    std::string summary = words(indexCount / 3, "triangles"), detail;
    summary += webgl[words(GL_DEPTH_TEST)] == "1" ? " depth" : "";
    summary += webgl[words(GL_BLEND)] == "1" ? " blend " + webgl["blend"] : "";
    if (webgl["textured"] == "1") {
        summary += " texture " + webgl[ofBound(GL_TEXTURE_WIDTH)] + " mag " +
                   webgl[ofBound(GL_TEXTURE_MAG_FILTER)] +
                   (webgl[ofBound(GL_GENERATE_MIPMAP)] == "levels" ? " and its levels" : "");
        detail = words("", webgl[ofBound(GL_TEXTURE_MIN_FILTER)], webgl[ofBound(GL_TEXTURE_WRAP_S)],
                       webgl[ofBound(GL_TEXTURE_WRAP_T)], webgl[ofBound(GL_GENERATE_MIPMAP)]);
    }
    const std::string& projection = webgl["projection"];
    if (projection != words(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1))
        summary += " projection " + projection.substr(0, projection.find(' '));
    for (int i = firstIndex; i < firstIndex + indexCount; ++i) {
        const GatheredVertex& c = drawnVertices.emplace_back(vertexBuffer[indexBuffer[i]]);
        detail += ", " + words(c.x, c.y, c.z, c.s, c.t, c.r, c.g, c.b);
    }
    summaries.push_back(webgl.count("program") ? summary : "a draw without a program");
    shown.push_back(summaries.back() + detail + " projection " + projection);
}

} // namespace

void webglCreatePipeline() {
    set("program", "linked");
}

unsigned webglCreateTexture() {
    return live() ? ++textureCount : 0;
}

void webglBindTexture(unsigned texture) {
    set("bound", words(texture));
}

void webglTexParameter(unsigned parameter, int value) {
    set(ofBound(parameter), words(value));
}

// The image is kept as the sum of its bytes, each row without its padding.
void webglTexImage(unsigned format, int width, int height, int alignment,
                   const unsigned char* pixels) {
    const int row = width * (format == GL_RGB ? 3 : 4);
    int sum = 0;
    for (int i = 0; pixels && i < row * height; ++i)
        sum += pixels[i / row * ((row + alignment - 1) & -alignment) + i % row];
    set(ofBound(GL_TEXTURE_WIDTH), words(width, 'x', height, '#') + std::to_string(sum));
    set(ofBound(GL_GENERATE_MIPMAP), "no levels");
}

void webglGenerateMipmap() {
    set(ofBound(GL_GENERATE_MIPMAP), "levels");
}

void webglSetCapability(unsigned capability, bool on) {
    set(words(capability), words(on));
}

void webglBlendFunc(unsigned source, unsigned destination) {
    set("blend", words(source, destination));
}

void webglSetTextured(bool textured) {
    set("textured", words(textured));
}

void webglSetProjection(const float m[16]) {
    set("projection", words(m[0], m[1], m[2], m[3], m[4], m[5], m[6], m[7], m[8], m[9], m[10],
                            m[11], m[12], m[13], m[14], m[15]));
}

void webglUpload(int firstVertex, int vertexCount, int firstIndex, int indexCount,
                 const GatheredVertex* frameVertices, const unsigned short* frameIndices) {
    if (live(1))
        std::copy_n(frameVertices + firstVertex, vertexCount, &vertexBuffer[firstVertex]),
            std::copy_n(frameIndices + firstIndex, indexCount, &indexBuffer[firstIndex]);
}

void webglDrawTriangles(int firstIndex, int indexCount) {
    if (live(1))
        record(firstIndex, indexCount);
}

void webglClear(unsigned mask, const float c[4]) {
    if (live())
        summaries = {}, drawnVertices = {},
        shown = {words(mask, "to", c[0], c[1], c[2], c[3], "in", webgl["viewport"])};
}

void webglViewport(int x, int y, int width, int height) {
    set("viewport", words(x, y, width, height));
}

namespace {

GLuint a, b; // 2 × 2 and 4 × 4

// A unit quad at x, coloured by x, from the texture `name` (0: texturing off).
void quad(float x, GLuint name = 0) {
    const float corners[] = {0, 0, 1, 0, 1, 1, 0, 1};
    (name ? glEnable : glDisable)(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, name), glColor3f(x / 8, 0.5f, 1), glBegin(GL_QUADS);
    for (int i = 0; i < 8; i += 2)
        glTexCoord2f(corners[i], corners[i + 1]), glVertex3f(x + corners[i], corners[i + 1], -1);
    glEnd();
}

// A side × side RGB texture, its rows 4 bytes aligned as OpenGL's unpacking starts (2 bytes of
// padding in a 2-pixel row); with `levels`, gluBuild2DMipmaps makes its levels.
GLuint texture(int side, GLint minFilter = GL_LINEAR, bool levels = false) {
    std::vector<unsigned char> bytes(side * side * 4);
    std::iota(bytes.begin(), bytes.end(), 0);
    GLuint name = 0;
    glGenTextures(1, &name), glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, side, side, 0, GL_RGB, GL_UNSIGNED_BYTE, bytes.data());
    if (levels)
        gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGB, side, side, GL_RGB, GL_UNSIGNED_BYTE,
                          bytes.data());
    return name;
}

void setMagFilter(GLuint name, GLint filter) {
    glBindTexture(GL_TEXTURE_2D, name),
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, filter);
}

void drawFrame(const std::function<void()>& calls) {
    glClearColor(0.25f, 0.5f, 0.75f, 1), glViewport(0, 0, 640, 480);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glDisable(GL_BLEND), glDisable(GL_DEPTH_TEST), setMagFilter(a, GL_LINEAR);
    glMatrixMode(GL_PROJECTION), glLoadIdentity(), glMatrixMode(GL_MODELVIEW), glLoadIdentity();
    calls(), glutSwapBuffers();
}

// The frame's draws are as `draws` says; lost, the context is sent nothing, and restored it shows
// the frame again, held or drawn meanwhile, unless a texture changed after a draw it was in.
void expectDraws(const char* name, const std::vector<std::string>& draws,
                 const std::function<void()>& calls, bool texturesKept = true) {
    drawFrame(calls);
    EXPECT_EQ(summaries, draws) << name;
    const std::vector<std::string> drawn = shown;
    for (const bool drawnWhileLost : {false, true}) {
        lost = true, sentWhileLost = 0, loseContext();
        if (drawnWhileLost)
            drawFrame(calls);
        EXPECT_EQ(sentWhileLost, 0) << name;
        lost = false, webgl = {{"viewport", "the canvas's"}};
        vertexBuffer.assign(MAX_FRAME_VERTICES, {}), indexBuffer.assign(MAX_FRAME_INDICES, 0);
        restoreContext();
        EXPECT_EQ(shown == drawn, texturesKept)
            << name << (drawnWhileLost ? ", drawn while lost: " : ", held: ") << shown.back();
    }
}

TEST(WebLayer, BatchesDrawAsGivenAndAgainOnARestoredContext) {
    startWebGl();
    a = texture(2), b = texture(4);
    const GLuint unmipmapped = texture(2, GL_LINEAR_MIPMAP_LINEAR);
    const GLuint mipmapped = texture(4, GL_LINEAR_MIPMAP_LINEAR, true), fresh = texture(2);
    const std::string two = "2 triangles", fromA = two + " texture 2 x 2 #78 mag 9729";
    const std::string fromB = two + " texture 4 x 4 #1128 mag 9729", blend = " blend 770 771";
    expectDraws("one state, and a primitive the layer does not draw", {"4 triangles"},
                [] { quad(0), glBegin(GL_POINTS), glVertex3f(0, 0, 0), glEnd(), quad(1); });
    // Each quad as two triangles about the diagonal from its first corner to its third.
    std::string corners;
    for (const GatheredVertex& v : drawnVertices)
        corners += words(v.x, v.y) + ", ";
    EXPECT_EQ(corners, "0 0, 1 0, 1 1, 0 0, 1 1, 0 1, 1 0, 2 0, 2 1, 1 0, 2 1, 1 1, ");
    expectDraws("blending, then the depth test, on between",
                {two, two + blend, two + " depth" + blend}, [] {
                    quad(0), glEnable(GL_BLEND), glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
                    quad(1), glEnable(GL_DEPTH_TEST), quad(2);
                });
    expectDraws("another texture, then texturing off", {fromA, fromB, two},
                [] { quad(0, a), quad(1, b), quad(2); });
    expectDraws("the same texture again, another filtering otherwise", {"4" + fromA.substr(1)},
                [] { quad(0, a), setMagFilter(b, GL_NEAREST), quad(1, a); });
    expectDraws("a texture without its levels, then one with", {two, fromB + " and its levels"},
                [=] { quad(0, unmipmapped), quad(1, mipmapped); });
    expectDraws("another projection, then another model-view matrix",
                {two, "4 triangles projection 2"}, [] {
                    quad(0), glMatrixMode(GL_PROJECTION), glScalef(2, 2, 2);
                    glMatrixMode(GL_MODELVIEW), quad(1), glTranslatef(5, 0, 0), quad(2);
                });
    expectDraws("a viewport between", {two, two},
                [] { quad(0), glViewport(0, 0, 320, 240), quad(1), glViewport(0, 0, 640, 480); });
    expectDraws(
        "the texture drawn from filters otherwise", {fromA, two + " texture 2 x 2 #78 mag 9728"},
        [] { quad(0, a), setMagFilter(a, GL_NEAREST), quad(1, a); }, false);
    expectDraws(
        "the texture drawn from gets a new image", {fromA, two + " texture 4 x 4 #0 mag 9729"},
        [=] {
            quad(0, fresh),
                glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 4, 4, 0, GL_RGB, GL_UNSIGNED_BYTE, nullptr),
                quad(1, fresh);
        },
        false);
}

} // namespace

// A point `distance` straight ahead of the first frame's eye: the dolly undone through Rx(-pitch).
static Vec3 aheadOfTheEye(double distance) {
    const double pitch = cameraPitchAt(0.0) * M_PI / 180.0, eyeZ = -distance - cameraDollyAt(0.0);
    return {0.0f, static_cast<float>(eyeZ * std::sin(pitch)),
            static_cast<float>(eyeZ * std::cos(pitch))};
}

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
