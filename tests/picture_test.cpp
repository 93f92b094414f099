#include "gl_test_support.h"

#include <cstring>
#include <tuple>

namespace {

const unsigned char* pixel(const RgbImage& image, int x, int y) {
    return &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3];
}

int brightness(const RgbImage& image, int x, int y) {
    const unsigned char* rgb = pixel(image, x, y);
    return rgb[0] + rgb[1] + rgb[2];
}

// Checks the sky's cube edge p-q for a dark seam or a colour step larger than the sky's own
// change beside it; returns the number of points checked.
int checkEdge(const RgbImage& image, const double p[3], const double q[3]) {
    GLdouble modelview[16], projection[16];
    GLint viewport[4];
    glPushMatrix(), glLoadIdentity(), rotateCamera(cameraPitchAt(0.0), 0.0f);
    glGetDoublev(GL_MODELVIEW_MATRIX, modelview), glPopMatrix();
    glGetDoublev(GL_PROJECTION_MATRIX, projection), glGetIntegerv(GL_VIEWPORT, viewport);
    int checked = 0;
    double acrossEdge = 0.0, besideEdge = 0.0;
    for (int step = 1; step < 40; ++step) {
        double c[2], r[2], z[2]; // picture column and row (top row 0) of this and the next point
        for (int k = 0; k < 2; ++k) {
            const double t = (step + k) / 40.0;
            gluProject(p[0] + (q[0] - p[0]) * t, p[1] + (q[1] - p[1]) * t, p[2] + (q[2] - p[2]) * t,
                       modelview, projection, viewport, &c[k], &r[k], &z[k]);
            r[k] = viewport[3] - 1 - r[k];
        }
        if (std::min(z[0], z[1]) <= 0 || std::max(z[0], z[1]) >= 1 ||
            std::min({c[0], c[1], r[0], r[1]}) < 12 || std::max(c[0], c[1]) > viewport[2] - 12 ||
            std::max(r[0], r[1]) > viewport[3] - 12) {
            continue; // behind the viewer or near the border
        }
        const double length = std::hypot(c[1] - c[0], r[1] - r[0]); // for the edge's normal
        const auto at = [&](int offset) {
            return brightness(
                image, static_cast<int>(std::lround(c[0] - (r[1] - r[0]) / length * offset)),
                static_cast<int>(std::lround(r[0] + (c[1] - c[0]) / length * offset)));
        };
        for (int offset = -1; offset <= 1; ++offset)
            EXPECT_GE(at(offset), (at(-4) + at(4)) / 2 - 18)
                << "dark seam at " << c[0] << "," << r[0];
        acrossEdge += std::abs(at(-1) - at(1));
        besideEdge += (std::abs(at(2) - at(4)) + std::abs(at(-4) - at(-2))) / 2.0;
        ++checked;
    }
    EXPECT_LE(acrossEdge, besideEdge + 9 * checked);
    return checked;
}

// The window's pixels after 0.4 s of 16 ms frames in `count` views (none: as reshape left it).
RgbImage framesInViews(int width, const FrameView* views, int count) {
    startTestScene(width);
    for (std::int64_t ms = 0; ms <= 400; ms += 16)
        setManualClockMs(ms), stepFrame(views, count);
    return readFrame(width, WINDOW_HEIGHT);
}

RgbImage columns(const RgbImage& image, int left, int width) {
    RgbImage part{width, image.height, {}};
    for (int y = 0; y < image.height; ++y)
        part.pixels.insert(part.pixels.end(), pixel(image, left, y), pixel(image, left + width, y));
    return part;
}

} // namespace

TEST(Picture, SkyFillsTheFrameWithoutSeams) {
    // Unturned the front face's top edge crosses the view; at 45 degrees its right edge does.
    for (float yaw : {0.0f, 45.0f}) {
        startTestScene(WINDOW_WIDTH, yaw); // the sky alone: the feathers out of view
        std::fill(featherPosition, featherPosition + FEATHER_COUNT, Vec3{1.0e5f, 1.0e5f, 1.0e5f});
        drawFramesUntil(0, 16);
        const RgbImage image = readFrame(WINDOW_WIDTH, WINDOW_HEIGHT);
        for (int i = 0; i < image.width * image.height; ++i)
            ASSERT_GT(brightness(image, i, 0), 30) << "unfilled pixel " << i;
        const double corners[][3] = {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {1, 1, 1}};
        const int checked = checkEdge(image, corners[0], corners[1]) + // front and up
                            checkEdge(image, corners[1], corners[2]) + // front and right
                            checkEdge(image, corners[1], corners[3]);  // up and right
        EXPECT_GT(checked, 20) << "too few edge points in view at yaw " << yaw;
    }
}

// A window over two monitors: each view shows the whole frame that a window of its size shows,
// and the feathers move once a frame, not once a view.
TEST(Picture, EachViewShowsTheWholeFrameAndTheFeathersMoveOnce) {
    constexpr int HALF = WINDOW_WIDTH / 2;
    const RgbImage alone = framesInViews(HALF, nullptr, 0);
    const std::vector<Vec3> moved(featherPosition, featherPosition + FEATHER_COUNT);
    const FrameView halves[] = {{0, 0, HALF, WINDOW_HEIGHT}, {HALF, 0, HALF, WINDOW_HEIGHT}};
    const RgbImage both = framesInViews(WINDOW_WIDTH, halves, 2);
    for (const int left : {0, HALF}) {
        const ImageDifference difference = compareImages(columns(both, left, HALF), alone);
        EXPECT_TRUE(sameFrame(difference))
            << "the view at " << left << ": " << difference.meanLevels << " levels on average";
    }
    EXPECT_EQ(std::memcmp(moved.data(), featherPosition, sizeof(Vec3) * FEATHER_COUNT), 0)
        << "the feathers moved otherwise than once a frame";
    // A control: one view spanning the window, as one picture over both monitors, fails.
    const FrameView spanning[] = {{0, 0, WINDOW_WIDTH, WINDOW_HEIGHT}};
    EXPECT_FALSE(sameFrame(
        compareImages(columns(framesInViews(WINDOW_WIDTH, spanning, 1), 0, HALF), alone)));
}

// A shared moment passes over the frames before it undrawn: held, and drawn again, it is its
// pinned frame to the bit; a moment one step on is another picture.
TEST(Picture, AMomentHeldIsItsPinnedFrame) {
    startTestScene(WINDOW_WIDTH), drawFramesUntil(2000, 100);
    const RgbImage pinned = readFrame(WINDOW_WIDTH, WINDOW_HEIGHT);
    for (const auto& [momentMs, same] : {std::pair{2000, true}, {2100, false}}) {
        startTestScene(WINDOW_WIDTH), skipFramesUntil(momentMs, 100), drawHeldFrame();
        drawHeldFrame(); // held at a new size, it stands
        EXPECT_EQ(readFrame(WINDOW_WIDTH, WINDOW_HEIGHT).pixels == pinned.pixels, same)
            << "the moment at " << momentMs << " ms held, against the pinned frame at 2000 ms";
    }
}

// To make the golden frame anew after an intended change of the picture:
//   xvfb-run -a build-test/plume-snapshot --data data --time 10 --size 320x240 --out
//   tests/golden/frame-10s.png
TEST(Snapshot, FrameMatchesTheGoldenImage) {
    RgbImage golden;
    ASSERT_TRUE(readPng(std::string(PLUME_TESTS_DIR) + "/golden/frame-10s.png", golden));
    TempDir out;
    const std::string size = " --size 320x240";
    const ImageDifference difference =
        compareImages(snapshotFrame(out, " --time 10" + size), golden);
    EXPECT_TRUE(sameFrame(difference))
        << difference.meanLevels << " levels on average, " << difference.shareOverLimit;
    // A control: the scene half a second later must fail the same comparison.
    EXPECT_FALSE(sameFrame(compareImages(snapshotFrame(out, " --time 10.5" + size), golden)));
}

// Height 0 must not divide by zero: the aspect falls back to the width over one.
TEST(Camera, ReshapeSetsViewportPerspectiveAndAFreshModelviewEvenAtZeroHeight) {
    ensureGlWindow();
    glMatrixMode(GL_MODELVIEW), glTranslatef(1.0f, 2.0f, 3.0f);
    reshape(640, 0);
    GLint viewport[4], mode = 0;
    glGetIntegerv(GL_VIEWPORT, viewport), glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(std::tuple(viewport[2], viewport[3], mode), std::tuple(640, 0, GL_MODELVIEW));
    // By column: y scale 1 / tan(32.5 degrees), x scale that over 640, planes at 0.1 and 200.
    const GLdouble expected[16] = {0.00245263371, 0,    0, 0, 0,           1.56968558, 0, 0, 0, 0,
                                   -1.0010005,    -1.0, 0, 0, -0.20010005, 0};
    GLdouble actual[16], modelview[16];
    glGetDoublev(GL_PROJECTION_MATRIX, actual), glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
    for (int i = 0; i < 16; ++i) {
        EXPECT_NEAR(actual[i], expected[i], 1e-7) << "element " << i;
        EXPECT_EQ(modelview[i], i % 5 == 0 ? 1.0 : 0.0) << "element " << i;
    }
}
