#include "app/camera.h"
#include "app/frame.h"
#include "gl_test_support.h"
#include "scene/feathers.h"
#include "scene/scene_textures.h"
#include "snapshot.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>

namespace {

constexpr float FAR_AWAY = 1.0e5f; // beyond the far plane

int channel(const RgbImage& image, int x, int y, int c) {
    return image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 3 + c];
}

int brightness(const RgbImage& image, int x, int y) {
    return channel(image, x, y, 0) + channel(image, x, y, 1) + channel(image, x, y, 2);
}

class PictureTest : public ::testing::Test {
  protected:
    void SetUp() override { ensureGlWindow(); }

    // Starts the scene as the program does, on the manual clock, with the yaw at `yaw`.
    void startAt(const std::string& dataDirectory, float yaw = 0.0f) {
        randomState = RANDOM_START_STATE;
        g_yaw = yaw;
        useManualClock();
        startScene(TEST_WINDOW_WIDTH, TEST_WINDOW_HEIGHT, dataDirectory);
    }

    static void hideFeathers() {
        for (Vec3& position : featherPosition) {
            position = {FAR_AWAY, FAR_AWAY, FAR_AWAY};
        }
    }

    static RgbImage frameAt(std::int64_t timeMs) {
        drawFramesUntil(timeMs, 16);
        return readFrame(TEST_WINDOW_WIDTH, TEST_WINDOW_HEIGHT);
    }

    RgbImage skyOnly(const std::string& dataDirectory, float yaw = 0.0f) {
        startAt(dataDirectory, yaw);
        hideFeathers();
        return frameAt(0);
    }
};

// The sky's matrices at the start, as the frame sets them, for projecting cube points.
struct SkyProjection {
    GLdouble modelview[16];
    GLdouble projection[16];
    GLint viewport[4];

    explicit SkyProjection(float pitch) {
        glPushMatrix();
        glLoadIdentity();
        rotateCamera(pitch, 0.0f);
        glGetDoublev(GL_MODELVIEW_MATRIX, modelview);
        glPopMatrix();
        glGetDoublev(GL_PROJECTION_MATRIX, projection);
        glGetIntegerv(GL_VIEWPORT, viewport);
    }

    // Picture coordinates (top row 0) of a point, or false when it is behind or off screen.
    bool toPicture(double x, double y, double z, double& column, double& row) const {
        GLdouble wx = 0;
        GLdouble wy = 0;
        GLdouble wz = 0;
        gluProject(x, y, z, modelview, projection, viewport, &wx, &wy, &wz);
        column = wx;
        row = viewport[3] - 1 - wy;
        const double margin = 12.0;
        return wz > 0.0 && wz < 1.0 && column > margin && column < viewport[2] - margin &&
               row > margin && row < viewport[3] - margin;
    }
};

// Walks the cube edge from p to q and checks, across it, for a dark seam and for a step in
// colour larger than the sky's own change over the same distance beside the edge.
int checkEdge(const RgbImage& image, const SkyProjection& sky, const double p[3],
              const double q[3]) {
    int checked = 0;
    double acrossEdge = 0.0;
    double besideEdge = 0.0;
    for (int step = 1; step < 40; ++step) {
        const double a = step / 40.0;
        const double b = (step + 1) / 40.0;
        double c0, r0, c1, r1;
        if (!sky.toPicture(p[0] + (q[0] - p[0]) * a, p[1] + (q[1] - p[1]) * a,
                           p[2] + (q[2] - p[2]) * a, c0, r0) ||
            !sky.toPicture(p[0] + (q[0] - p[0]) * b, p[1] + (q[1] - p[1]) * b,
                           p[2] + (q[2] - p[2]) * b, c1, r1)) {
            continue;
        }
        // The unit normal of the edge's image.
        const double length = std::hypot(c1 - c0, r1 - r0);
        const double nc = -(r1 - r0) / length;
        const double nr = (c1 - c0) / length;
        const auto at = [&](int offset) {
            return brightness(image, static_cast<int>(std::lround(c0 + nc * offset)),
                              static_cast<int>(std::lround(r0 + nr * offset)));
        };
        const int sides = (at(-4) + at(4)) / 2;
        for (int offset = -1; offset <= 1; ++offset) {
            EXPECT_GE(at(offset), sides - 3 * 6) << "dark seam at " << c0 << "," << r0;
        }
        acrossEdge += std::abs(at(-1) - at(1));
        besideEdge += (std::abs(at(2) - at(4)) + std::abs(at(-4) - at(-2))) / 2.0;
        ++checked;
    }
    if (checked > 0) {
        EXPECT_LE(acrossEdge / checked, besideEdge / checked + 3 * 3);
    }
    return checked;
}

} // namespace

TEST_F(PictureTest, SkyFillsTheFrameWithoutSeams) {
    // At the start the top edge of the front face crosses the view; turned 45 degrees, the edge
    // between the front and right faces stands in its middle.
    for (float yaw : {0.0f, 45.0f}) {
        const RgbImage image = skyOnly(PLUME_DATA_DIR, yaw);
        for (int y = 0; y < image.height; ++y) {
            for (int x = 0; x < image.width; ++x) {
                ASSERT_GT(brightness(image, x, y), 30) << "unfilled pixel " << x << "," << y;
            }
        }
        const SkyProjection sky(cameraPitchAt(0.0));
        const double corners[][3] = {{-1, 1, -1}, {1, 1, -1}, {1, -1, -1}, {1, 1, 1}};
        int checked = checkEdge(image, sky, corners[0], corners[1]); // front and up
        checked += checkEdge(image, sky, corners[1], corners[2]);    // front and right
        checked += checkEdge(image, sky, corners[1], corners[3]);    // up and right
        EXPECT_GT(checked, 20) << "too few edge points in view at yaw " << yaw;
    }
}

TEST_F(PictureTest, MissingFaceShowsWhiteAndLeavesTheOthers) {
    const RgbImage complete = skyOnly(PLUME_DATA_DIR);
    TempDir data;
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        if (entry.texture != &skyFront) {
            std::filesystem::copy_file(std::string(PLUME_DATA_DIR) + "/" + entry.fileName,
                                       data.file(entry.fileName));
        }
    }
    const RgbImage withoutFront = skyOnly(data.path());
    int white = 0;
    for (std::size_t i = 0; i < complete.pixels.size(); i += 3) {
        const bool changed = complete.pixels[i] != withoutFront.pixels[i] ||
                             complete.pixels[i + 1] != withoutFront.pixels[i + 1] ||
                             complete.pixels[i + 2] != withoutFront.pixels[i + 2];
        if (changed) {
            ASSERT_EQ(withoutFront.pixels[i] + withoutFront.pixels[i + 1] +
                          withoutFront.pixels[i + 2],
                      3 * 255)
                << "pixel " << i / 3 << " changed but is not white";
            ++white;
        }
    }
    // The front face fills most of the view at the start.
    EXPECT_GT(white, TEST_WINDOW_WIDTH * TEST_WINDOW_HEIGHT / 3);
}

TEST_F(PictureTest, FeatherIsDrawnInFrontOfTheSkyWithItsTint) {
    startAt(PLUME_DATA_DIR);
    hideFeathers();
    // Place feather 0 five units in front of the viewer: the field's centre sits at z = +10
    // behind the camera at the start, turned by the camera's rotation.
    glPushMatrix();
    glLoadIdentity();
    rotateCamera(cameraPitchAt(0.0), cameraRollAt(0.0));
    GLdouble r[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, r);
    glPopMatrix();
    const double eye[3] = {0.0, 0.0, -5.0 - cameraDollyAt(0.0)};
    // The inverse of a rotation is its transpose.
    featherPosition[0] = {static_cast<float>(r[0] * eye[0] + r[1] * eye[1] + r[2] * eye[2]),
                          static_cast<float>(r[4] * eye[0] + r[5] * eye[1] + r[6] * eye[2]),
                          static_cast<float>(r[8] * eye[0] + r[9] * eye[1] + r[10] * eye[2])};
    featherAngle[0] = {0.0f, 0.0f, 0.0f};
    featherScale[0] = 1.0f;
    featherColor[0] = {0.0f, 1.0f, 0.0f};
    const RgbImage image = frameAt(0);

    // The feather's middle, a quarter of its width in from its left edge, lies near the centre.
    int greenest = -1000;
    for (int y = TEST_WINDOW_HEIGHT / 2 - 40; y < TEST_WINDOW_HEIGHT / 2 + 40; ++y) {
        for (int x = TEST_WINDOW_WIDTH / 2 - 40; x < TEST_WINDOW_WIDTH / 2 + 40; ++x) {
            const int g = channel(image, x, y, 1);
            greenest =
                std::max(greenest, g - std::max(channel(image, x, y, 0), channel(image, x, y, 2)));
        }
    }
    EXPECT_GT(greenest, 120) << "no green feather in front of the sky";
}

namespace {

const std::string GOLDEN_FRAME = std::string(PLUME_TESTS_DIR) + "/golden/frame-10s.png";
const char* const GOLDEN_ARGUMENTS = " --time 10 --size 320x240";

RgbImage snapshot(const TempDir& out, const std::string& name, const std::string& arguments) {
    const std::string path = out.file(name);
    const std::string command = std::string(PLUME_SNAPSHOT_EXE) + " --data " + PLUME_DATA_DIR +
                                arguments + " --out " + path;
    EXPECT_EQ(runCommand(command), 0) << command;
    RgbImage image;
    EXPECT_TRUE(readPng(path, image)) << path;
    return image;
}

// Mesa versions may round a few pixels differently: a pixel may differ by up to 12 levels per
// channel, at most 0.5% of pixels by more, and the mean difference stays under one level.
::testing::AssertionResult matchesGolden(const RgbImage& image, const RgbImage& golden) {
    if (image.width != golden.width || image.height != golden.height) {
        return ::testing::AssertionFailure() << "size differs";
    }
    long total = 0;
    long outliers = 0;
    for (std::size_t i = 0; i < image.pixels.size(); ++i) {
        const int difference = std::abs(image.pixels[i] - golden.pixels[i]);
        total += difference;
        outliers += difference > 12 ? 1 : 0;
    }
    const double mean = static_cast<double>(total) / image.pixels.size();
    const double outlierShare = static_cast<double>(outliers) / image.pixels.size();
    if (mean >= 1.0 || outlierShare > 0.005) {
        return ::testing::AssertionFailure()
               << "mean difference " << mean << ", share over 12 levels " << outlierShare;
    }
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(Snapshot, TwoRunsOfTheSameTimeAreIdentical) {
    TempDir out;
    const RgbImage first = snapshot(out, "first.png", " --time 2.5 --step-ms 10");
    const RgbImage second = snapshot(out, "second.png", " --time 2.5 --step-ms 10");
    ASSERT_EQ(first.width, 640);
    ASSERT_EQ(first.height, 480);
    EXPECT_TRUE(first.pixels == second.pixels);
}

// To make the golden frame anew after an intended change of the picture:
//   xvfb-run -a build-test/plume-snapshot --data data --time 10 --size 320x240 --out
//   tests/golden/frame-10s.png
TEST(Snapshot, FrameMatchesTheGoldenImage) {
    RgbImage golden;
    ASSERT_TRUE(readPng(GOLDEN_FRAME, golden));
    TempDir out;
    EXPECT_TRUE(matchesGolden(snapshot(out, "now.png", GOLDEN_ARGUMENTS), golden));
    // A control: the scene half a second later must fail the same comparison.
    EXPECT_FALSE(matchesGolden(snapshot(out, "later.png", " --time 10.5 --size 320x240"), golden));
}

TEST(Snapshot, RefusesBadArgumentsAndAMissingDisplay) {
    const std::string tool = PLUME_SNAPSHOT_EXE;
    for (const char* arguments :
         {"", " --time -1 --out x.png", " --time soon --out x.png", " --size 640 --out x.png",
          " --size 0x480 --out x.png", " --step-ms 0 --out x.png", " --colour red --out x.png",
          " --out"}) {
        EXPECT_EQ(runCommand(tool + arguments + " 2>/dev/null"), 2) << arguments;
    }
    TempDir out;
    EXPECT_EQ(runCommand("DISPLAY=:9999 " + tool + " --out " + out.file("x.png") + " 2>/dev/null"),
              1);
    EXPECT_FALSE(std::filesystem::exists(out.file("x.png")));
}
