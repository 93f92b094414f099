// The shipped images: the generator remakes them exactly, and they load, tile and read as meant.
#include "feather_image.h"
#include "gl_test_support.h"
#include "scene/scene_textures.h"
#include "scene/skybox.h"
#include "scene_images.h"
#include "sky_image.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

// Texels either side of an edge look one texel apart, like neighbours within a face: on average
// nearly equal, and at worst as different as neighbours across a cloud's rim.
constexpr double MAX_MEAN_SEAM_LEVELS = 1.0;
constexpr int MAX_SEAM_LEVELS = 8;
constexpr int MIN_SHAFT_ALPHA = 200;
constexpr int MIN_FEATHER_RGB = 230;

std::string dataFile(const char* name) {
    return std::string(PLUME_DATA_DIR) + "/" + name;
}

std::vector<unsigned char> fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

int readImage(const char* name, TgaImage& image) {
    return readTgaFile(dataFile(name), image) ? image.header.bitsPerPixel : 0;
}

TEST(SceneImages, ShippedFilesAreRemadeByTheGeneratorAndLoadWithTheirSizeAndFormat) {
    const TempDir dir;
    ASSERT_TRUE(writeSceneImages(dir.path()));
    const bool identify = runCommand("identify -version > /dev/null 2>&1") == 0;
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        SCOPED_TRACE(entry.fileName);
        const std::vector<unsigned char> shipped = fileBytes(dataFile(entry.fileName));
        ASSERT_FALSE(shipped.empty());
        EXPECT_TRUE(fileBytes(dir.file(entry.fileName)) == shipped);
        const bool feather = entry.texture == &featherTexture;
        TgaImage image;
        EXPECT_EQ(readImage(entry.fileName, image), feather ? 32 : 24);
        EXPECT_EQ(image.header.width, feather ? FEATHER_WIDTH_TEXELS : SKY_FACE_TEXELS);
        EXPECT_EQ(image.header.height, feather ? FEATHER_HEIGHT_TEXELS : SKY_FACE_TEXELS);
        const std::string check = "identify -regard-warnings '" + dataFile(entry.fileName) + "'";
        // ImageMagick's own reader accepts the file without a warning.
        EXPECT_TRUE(!identify || runCommand(check + " > /dev/null 2>&1") == 0);
    }
}

// Walks each edge two faces share (two corners at one place), comparing the border texels.
TEST(SceneImages, SkyFacesMeetWithoutSeams) {
    TgaImage faces[SKY_FACE_COUNT];
    for (int i = 0; i < SKY_FACE_COUNT; ++i)
        ASSERT_NE(readImage(sceneTextureFileName(SKY_FACES[i].texture), faces[i]), 0);
    const auto at = [](float a, float b, double f, int n) {
        return std::min(static_cast<int>((a + (b - a) * f) * n), n - 1);
    };
    const auto texel = [&](const TgaImage& i, const SkyCorner* c0, const SkyCorner* c1, double f) {
        const int row = at(c0->t, c1->t, f, i.header.height);
        const int column = at(c0->s, c1->s, f, i.header.width);
        return i.pixels.get() + (static_cast<std::size_t>(row) * i.header.width + column) * 3;
    };
    int edges = 0;
    for (int a = 0; a < SKY_FACE_COUNT; ++a) {
        for (int b = a + 1; b < SKY_FACE_COUNT; ++b) {
            const SkyCorner* shared[2][2] = {};
            int count = 0;
            for (const SkyCorner& ca : SKY_FACES[a].corners)
                for (const SkyCorner& cb : SKY_FACES[b].corners)
                    if (ca.x == cb.x && ca.y == cb.y && ca.z == cb.z && count < 2)
                        shared[count][0] = &ca, shared[count++][1] = &cb;
            if (count != 2)
                continue;
            ++edges;
            double mean = 0.0; // per texel and channel
            int worst = 0;
            for (int k = 0; k < SKY_FACE_TEXELS; ++k) {
                const double f = (k + 0.5) / SKY_FACE_TEXELS;
                const unsigned char* p = texel(faces[a], shared[0][0], shared[1][0], f);
                const unsigned char* q = texel(faces[b], shared[0][1], shared[1][1], f);
                for (int c = 0; c < 3; ++c) {
                    mean += std::abs(p[c] - q[c]) / (3.0 * SKY_FACE_TEXELS);
                    worst = std::max(worst, std::abs(p[c] - q[c]));
                }
            }
            EXPECT_LE(mean, MAX_MEAN_SEAM_LEVELS) << "faces " << a << " and " << b;
            EXPECT_LE(worst, MAX_SEAM_LEVELS) << "faces " << a << " and " << b;
        }
    }
    EXPECT_EQ(edges, 12); // a cube's
}

TEST(SceneImages, FeatherIsOpaqueAlongItsShaftAndClearOutside) {
    TgaImage image;
    ASSERT_NE(readImage("feather.tga", image), 0);
    const int w = image.header.width, h = image.header.height;
    for (int row = 0; row < h; ++row) {
        for (int column = 0; column < w; ++column) {
            const unsigned char* p = image.pixels.get() + (std::size_t(row) * w + column) * 4;
            const bool border = row == 0 || column == 0 || row == h - 1 || column == w - 1;
            const bool shaft = column == w / 2 && row >= h / 10 && row < h * 9 / 10;
            EXPECT_TRUE(!border || p[3] == 0) << column << "," << row;
            EXPECT_TRUE(!shaft || p[3] >= MIN_SHAFT_ALPHA) << row;
            // No dark fringe: whatever shows is near white.
            EXPECT_TRUE(p[3] == 0 || std::min({p[0], p[1], p[2]}) >= MIN_FEATHER_RGB);
        }
    }
}

} // namespace
