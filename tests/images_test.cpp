// The shipped images: the generator remakes them exactly, and they load, tile and read as meant.
#include "scene/scene_textures.h"
#include "scene/skybox.h"
#include "sky_images.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
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

bool readImage(const std::string& path, TgaImage& image, GLenum& format) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    Texture texture;
    const bool read = texture.readTga(file, image);
    std::fclose(file);
    format = texture.format;
    return read;
}

std::filesystem::path freshTempDir() {
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path dir =
        std::filesystem::path(testing::TempDir()) / ("plume-images-" + std::to_string(stamp));
    std::filesystem::create_directories(dir);
    return dir;
}

TEST(TgaWriter, RoundTripsThroughTheLoaderWithAnIdentificationField) {
    const std::filesystem::path dir = freshTempDir();
    const unsigned char rgba[2 * 2 * 4] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    const unsigned char grey[2 * 2] = {0, 85, 170, 255};
    const std::string rgbaPath = (dir / "rgba.tga").string();
    const std::string greyPath = (dir / "grey.tga").string();
    ASSERT_TRUE(writeTga(rgbaPath, 2, 2, 32, rgba, "id!"));
    ASSERT_TRUE(writeTga(greyPath, 2, 2, 8, grey));

    const std::vector<unsigned char> bytes = fileBytes(rgbaPath);
    ASSERT_EQ(bytes.size(), 18u + 3u + sizeof rgba);
    EXPECT_EQ(bytes[0], 3);        // identification length
    EXPECT_EQ(bytes[2], 2);        // true colour
    EXPECT_EQ(bytes[17], 0x28);    // top-left origin, 8 alpha bits
    EXPECT_EQ(bytes[21], rgba[2]); // blue stored first
    EXPECT_EQ(fileBytes(greyPath)[2], 3);

    TgaImage image;
    GLenum format = 0;
    ASSERT_TRUE(readImage(rgbaPath, image, format));
    EXPECT_EQ(format, static_cast<GLenum>(GL_RGBA));
    EXPECT_TRUE(std::equal(rgba, rgba + sizeof rgba, image.pixels.get()));
    ASSERT_TRUE(readImage(greyPath, image, format));
    EXPECT_EQ(format, static_cast<GLenum>(GL_LUMINANCE));
    EXPECT_TRUE(std::equal(grey, grey + sizeof grey, image.pixels.get()));

    EXPECT_FALSE(writeTga((dir / "bad.tga").string(), 2, 2, 16, rgba));
    EXPECT_FALSE(writeTga((dir / "missing" / "x.tga").string(), 2, 2, 8, grey));
    std::filesystem::remove_all(dir);
}

TEST(SceneImages, GeneratorReproducesTheShippedFilesByteForByte) {
    const std::filesystem::path dir = freshTempDir();
    ASSERT_TRUE(writeSceneImages(dir.string()));
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        const std::vector<unsigned char> shipped = fileBytes(dataFile(entry.fileName));
        ASSERT_FALSE(shipped.empty()) << entry.fileName;
        EXPECT_TRUE(fileBytes((dir / entry.fileName).string()) == shipped) << entry.fileName;
    }
    std::filesystem::remove_all(dir);
}

TEST(SceneImages, ShippedFilesLoadWithTheirSizeAndFormat) {
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        const bool feather = entry.texture == &featherTexture;
        TgaImage image;
        GLenum format = 0;
        ASSERT_TRUE(readImage(dataFile(entry.fileName), image, format)) << entry.fileName;
        EXPECT_EQ(image.width, feather ? FEATHER_WIDTH_TEXELS : SKY_FACE_TEXELS);
        EXPECT_EQ(image.height, feather ? FEATHER_HEIGHT_TEXELS : SKY_FACE_TEXELS);
        EXPECT_EQ(format, static_cast<GLenum>(feather ? GL_RGBA : GL_RGB)) << entry.fileName;
    }
}

// The corners of faces a and b that lie at one place, as pairs; two of them make an edge.
int sharedCorners(const SkyFace& a, const SkyFace& b, const SkyCorner* shared[2][2]) {
    int count = 0;
    for (const SkyCorner& ca : a.corners) {
        for (const SkyCorner& cb : b.corners) {
            if (ca.x == cb.x && ca.y == cb.y && ca.z == cb.z && count < 2) {
                shared[count][0] = &ca;
                shared[count++][1] = &cb;
            }
        }
    }
    return count;
}

// The texel of a face at (s, t) on its border, as the loader lays the file out.
const unsigned char* edgeTexel(const TgaImage& image, double s, double t) {
    const int column = std::min(static_cast<int>(s * image.width), image.width - 1);
    const int row = std::min(static_cast<int>(t * image.height), image.height - 1);
    return image.pixels.get() + (static_cast<std::size_t>(row) * image.width + column) * 3;
}

struct SeamDifference {
    double mean = 0.0; // per texel and channel
    int worst = 0;
};

// Walks the edge from corner a0/b0 to a1/b1, which both faces share, comparing the border texels.
SeamDifference compareEdge(const TgaImage& a, const SkyCorner* a0, const SkyCorner* a1,
                           const TgaImage& b, const SkyCorner* b0, const SkyCorner* b1) {
    SeamDifference seam;
    for (int k = 0; k < SKY_FACE_TEXELS; ++k) {
        const double f = (k + 0.5) / SKY_FACE_TEXELS;
        const unsigned char* p =
            edgeTexel(a, a0->s + (a1->s - a0->s) * f, a0->t + (a1->t - a0->t) * f);
        const unsigned char* q =
            edgeTexel(b, b0->s + (b1->s - b0->s) * f, b0->t + (b1->t - b0->t) * f);
        for (int c = 0; c < 3; ++c) {
            seam.mean += std::abs(p[c] - q[c]) / (3.0 * SKY_FACE_TEXELS);
            seam.worst = std::max(seam.worst, std::abs(p[c] - q[c]));
        }
    }
    return seam;
}

TEST(SceneImages, SkyFacesMeetWithoutSeams) {
    TgaImage faces[SKY_FACE_COUNT];
    for (int i = 0; i < SKY_FACE_COUNT; ++i) {
        GLenum format = 0;
        ASSERT_TRUE(
            readImage(dataFile(sceneTextureFileName(SKY_FACES[i].texture)), faces[i], format));
    }
    int edges = 0;
    for (int a = 0; a < SKY_FACE_COUNT; ++a) {
        for (int b = a + 1; b < SKY_FACE_COUNT; ++b) {
            const SkyCorner* shared[2][2] = {};
            if (sharedCorners(SKY_FACES[a], SKY_FACES[b], shared) == 2) {
                ++edges;
                const SeamDifference seam = compareEdge(faces[a], shared[0][0], shared[1][0],
                                                        faces[b], shared[0][1], shared[1][1]);
                EXPECT_LE(seam.mean, MAX_MEAN_SEAM_LEVELS) << "faces " << a << " and " << b;
                EXPECT_LE(seam.worst, MAX_SEAM_LEVELS) << "faces " << a << " and " << b;
            }
        }
    }
    EXPECT_EQ(edges, 12); // a cube's
}

TEST(SceneImages, FeatherIsOpaqueAlongItsShaftAndClearOutside) {
    TgaImage image;
    GLenum format = 0;
    ASSERT_TRUE(readImage(dataFile("feather.tga"), image, format));
    const auto texel = [&](int column, int row) {
        return image.pixels.get() + (static_cast<std::size_t>(row) * image.width + column) * 4;
    };
    for (int row = 0; row < image.height; ++row) {
        EXPECT_EQ(texel(0, row)[3], 0) << row;
        EXPECT_EQ(texel(image.width - 1, row)[3], 0) << row;
        for (int column = 0; column < image.width; ++column) {
            const unsigned char* p = texel(column, row);
            EXPECT_TRUE(p[3] == 0 || (p[0] >= MIN_FEATHER_RGB && p[1] >= MIN_FEATHER_RGB &&
                                      p[2] >= MIN_FEATHER_RGB));
        }
    }
    for (int column = 0; column < image.width; ++column) {
        EXPECT_EQ(texel(column, 0)[3], 0);
        EXPECT_EQ(texel(column, image.height - 1)[3], 0);
    }
    for (int row = image.height / 10; row < image.height * 9 / 10; ++row) {
        EXPECT_GE(texel(image.width / 2, row)[3], MIN_SHAFT_ALPHA) << row;
    }
}

TEST(SceneImages, ImageMagickAcceptsTheShippedFiles) {
    if (std::system("identify -version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "ImageMagick's identify is not installed";
    }
    for (const SceneTextureFile& entry : SCENE_TEXTURE_FILES) {
        const std::string command =
            "identify -regard-warnings '" + dataFile(entry.fileName) + "' > /dev/null 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0) << entry.fileName;
    }
}

} // namespace
