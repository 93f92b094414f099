#include "gl_test_support.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A Targa file byte by byte, so that each header field can be set to anything.
Bytes targa(int type, int width, int height, int depth, const Bytes& pixels,
            const std::string& id = "") {
    Bytes file(18, 0);
    file[0] = static_cast<unsigned char>(id.size());
    file[2] = static_cast<unsigned char>(type);
    file[12] = static_cast<unsigned char>(width & 0xFF);
    file[13] = static_cast<unsigned char>(width >> 8);
    file[14] = static_cast<unsigned char>(height & 0xFF);
    file[15] = static_cast<unsigned char>(height >> 8);
    file[16] = static_cast<unsigned char>(depth);
    file.insert(file.end(), id.begin(), id.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

Bytes filler(std::size_t count) {
    return Bytes(count, 0x5A);
}

Bytes withByte(Bytes file, std::size_t index, unsigned char value) {
    file[index] = value;
    return file;
}

Bytes concat(Bytes file, const Bytes& tail) {
    file.insert(file.end(), tail.begin(), tail.end());
    return file;
}

// 2x2 pixels, every byte distinct, so a swap, a row order or a row alignment mistake shows.
const Bytes BGR = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
const Bytes RGB = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
const Bytes BGRA = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const Bytes RGBA = {3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16};
const Bytes GREY = {10, 20, 30, 40};

struct Good {
    const char* name;
    Bytes file;
    GLenum format;
    Bytes texels;
};

std::vector<Good> goodFiles() {
    return {{"rgb24", targa(2, 2, 2, 24, BGR), GL_RGB, RGB},
            {"rgba32", targa(2, 2, 2, 32, BGRA), GL_RGBA, RGBA},
            {"grey8", targa(3, 2, 2, 8, GREY), GL_LUMINANCE, GREY},
            {"truecolour8", targa(2, 2, 2, 8, GREY), GL_LUMINANCE, GREY},
            {"grey24", targa(3, 2, 2, 24, BGR), GL_RGB, RGB},
            {"id_field", targa(2, 2, 2, 24, BGR, "ABCDE"), GL_RGB, RGB},
            {"footer", concat(targa(2, 2, 2, 24, BGR), Bytes(26, 0xEE)), GL_RGB, RGB},
            {"top_origin_bit", withByte(targa(2, 2, 2, 24, BGR), 17, 0x20), GL_RGB, RGB}};
}

std::vector<std::pair<const char*, Bytes>> badFiles() {
    const Bytes good = targa(2, 2, 2, 24, BGR);
    return {{"colour_map", withByte(good, 1, 1)},
            {"run_length", targa(10, 2, 2, 24, BGR)},
            {"colour_mapped_type", targa(1, 2, 2, 24, BGR)},
            {"width_640", targa(2, 640, 2, 24, filler(640 * 2 * 3))},
            {"height_1", targa(2, 2, 1, 24, filler(2 * 3))},
            {"height_1024", targa(2, 2, 1024, 24, filler(2 * 1024 * 3))},
            {"depth_16", targa(2, 2, 2, 16, filler(2 * 2 * 2))},
            {"short_24", targa(2, 2, 2, 24, filler(11))},
            {"short_32", targa(2, 2, 2, 32, filler(15))},
            {"short_8", targa(3, 2, 2, 8, filler(3))},
            {"empty", {}},
            {"header_17", Bytes(good.begin(), good.begin() + 17)},
            {"id_past_end", withByte(good, 0, 200)},
            {"id_eats_a_pixel_byte", withByte(good, 0, 1)}};
}

class TextureTest : public ::testing::Test {
  protected:
    void SetUp() override { ensureGlWindow(); }

    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.file(name + ".tga");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        return path;
    }

    TempDir dir;
};

GLint level(GLuint id, int lod, GLenum what) {
    glBindTexture(GL_TEXTURE_2D, id);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, lod, what, &value);
    return value;
}

Bytes readBack(GLuint id, GLenum format, std::size_t size) {
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    Bytes texels(size, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

std::size_t openDescriptors() {
    const auto entries = std::filesystem::directory_iterator("/proc/self/fd");
    return static_cast<std::size_t>(std::distance(begin(entries), end(entries)));
}

TEST_F(TextureTest, LoadsPixelsInFileRowOrderWithRedAndBlueExchanged) {
    for (const Good& good : goodFiles()) {
        SCOPED_TRACE(good.name);
        Texture texture;
        ASSERT_TRUE(texture.load(write(good.name, good.file).c_str()));
        EXPECT_EQ(texture.format, good.format);
        EXPECT_EQ(level(texture.id, 0, GL_TEXTURE_INTERNAL_FORMAT),
                  static_cast<GLint>(good.format));
        EXPECT_EQ(level(texture.id, 0, GL_TEXTURE_WIDTH), 2);
        EXPECT_EQ(level(texture.id, 0, GL_TEXTURE_HEIGHT), 2);
        EXPECT_EQ(readBack(texture.id, good.format, good.texels.size()), good.texels);
    }
}

TEST_F(TextureTest, SetsRepeatLinearModulateAndByteAlignedUnpacking) {
    // Start from the opposite of every expected value, so each one must be set by the load.
    GLuint id = 0;
    glGenTextures(1, &id);
    glBindTexture(GL_TEXTURE_2D, id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glBindTexture(GL_TEXTURE_2D, 0);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);

    ASSERT_TRUE(Texture().loadTga(write("params", targa(2, 2, 2, 24, BGR)).c_str(), id));
    glBindTexture(GL_TEXTURE_2D, id);
    const std::pair<GLenum, GLint> expected[] = {{GL_TEXTURE_WRAP_S, GL_REPEAT},
                                                 {GL_TEXTURE_WRAP_T, GL_REPEAT},
                                                 {GL_TEXTURE_MAG_FILTER, GL_LINEAR},
                                                 {GL_TEXTURE_MIN_FILTER, GL_LINEAR}};
    for (const auto& [name, value] : expected) {
        GLint actual = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, name, &actual);
        EXPECT_EQ(actual, value) << "parameter 0x" << std::hex << name;
    }
    GLint alignment = 0, mode = 0;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(alignment, 1);
    EXPECT_EQ(mode, GL_MODULATE);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(TextureTest, BuildsEveryMipmapLevelOfTheLargestAcceptedWidth) {
    Texture texture;
    ASSERT_TRUE(texture.load(write("wide", targa(2, 512, 4, 24, filler(512 * 4 * 3))).c_str()));
    const int sizes[][3] = {{0, 512, 4}, {1, 256, 2}, {2, 128, 1}, {9, 1, 1}};
    for (const auto& [lod, width, height] : sizes) {
        EXPECT_EQ(level(texture.id, lod, GL_TEXTURE_WIDTH), width) << "level " << lod;
        EXPECT_EQ(level(texture.id, lod, GL_TEXTURE_HEIGHT), height) << "level " << lod;
    }
}

TEST_F(TextureTest, RefusesBadFilesAndUploadsNothing) {
    std::vector<std::pair<const char*, std::string>> paths = {{"missing", dir.file("none.tga")}};
    for (const auto& [name, bytes] : badFiles()) {
        paths.emplace_back(name, write(name, bytes));
    }
    for (const auto& [name, path] : paths) {
        SCOPED_TRACE(name);
        Texture texture;
        EXPECT_FALSE(texture.load(path.c_str()));
        EXPECT_NE(texture.id, 0u);
        EXPECT_EQ(level(texture.id, 0, GL_TEXTURE_WIDTH), 0);
    }
}

TEST_F(TextureTest, LeavesNoFileOpenAfterAnyLoad) {
    std::vector<std::string> paths = {dir.file("none.tga")};
    for (const Good& good : goodFiles()) {
        paths.push_back(write(good.name, good.file));
    }
    for (const auto& [name, bytes] : badFiles()) {
        paths.push_back(write(name, bytes));
    }
    auto loadAll = [&paths] {
        for (const std::string& path : paths) {
            Texture texture;
            texture.load(path.c_str());
            glDeleteTextures(1, &texture.id);
        }
    };
    loadAll(); // lets the driver open whatever it opens once
    const std::size_t before = openDescriptors();
    for (int i = 0; i < 50; ++i) {
        loadAll();
    }
    EXPECT_EQ(openDescriptors(), before);
}

TEST(TextureReadPixels, ShortStreamGivesNoBufferAndKeepsFormat) {
    for (const int bitsPerPixel : {32, 24, 8}) {
        SCOPED_TRACE(bitsPerPixel);
        unsigned char data[4 * 4 * 4] = {};
        std::FILE* stream = fmemopen(data, 4 * bitsPerPixel / 8 - 1, "rb");
        ASSERT_NE(stream, nullptr);
        Texture texture;
        EXPECT_EQ(texture.readPixels(stream, 4, bitsPerPixel), nullptr);
        EXPECT_EQ(texture.format, 0u);
        std::fclose(stream);
    }
}

TEST_F(TextureTest, LoadsAFileItsUserCannotWrite) {
    const std::string path = write("readonly", targa(2, 2, 2, 24, BGR));
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    // Root writes anything; become "nobody" for the load, in-process since the GL context is ours.
    const bool root = geteuid() == 0;
    if (root && (setegid(65534) != 0 || seteuid(65534) != 0)) {
        setegid(0);
        GTEST_SKIP() << "cannot drop privileges";
    }
    std::FILE* writable = std::fopen(path.c_str(), "r+b");
    Texture texture;
    const bool loaded = texture.load(path.c_str());
    if (root) {
        ASSERT_EQ(seteuid(0), 0);
        ASSERT_EQ(setegid(0), 0);
    }
    EXPECT_EQ(writable, nullptr) << "the file is writable, so the case proves nothing";
    if (writable != nullptr) {
        std::fclose(writable);
    }
    EXPECT_TRUE(loaded);
    EXPECT_EQ(readBack(texture.id, GL_RGB, RGB.size()), RGB);
}

// The real ImageMagick, not a stand-in of the same name.
std::string imageMagick() {
    for (const char* command : {"/usr/bin/convert", "convert"}) {
        if (runCommand(std::string(command) + " -version 2>/dev/null | grep -q ImageMagick") == 0) {
            return command;
        }
    }
    return "";
}

Bytes readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST_F(TextureTest, LoadsImageMagickFilesWithTheirColoursBottomRowFirst) {
    const std::string convert = imageMagick();
    if (convert.empty()) {
        GTEST_SKIP() << "ImageMagick is not installed";
    }
    const struct {
        const char* name;
        const char* options;
        GLenum format;
    } cases[] = {{"im24", "-type TrueColor", GL_RGB},
                 {"im32", "-type TrueColorAlpha", GL_RGBA},
                 {"im_comment", "-set comment 'made by a test' -type TrueColor", GL_RGB}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const bool alpha = c.format == GL_RGBA,
                   identified = std::string(c.options).find("comment") != std::string::npos;
        const std::string path = dir.file(std::string(c.name) + ".tga");
        const std::string reference = dir.file(std::string(c.name) + ".raw");
        // Four distinct colours; with alpha, one is half and one a quarter opaque.
        ASSERT_EQ(runCommand(convert + " \\( xc:'#FF0000" + (alpha ? "80" : "") +
                             "' xc:'#00FF00' +append \\) \\( xc:'#0000FF' xc:'#FFFFFF" +
                             (alpha ? "40" : "") + "' +append \\) -append " + c.options + " " +
                             path),
                  0);
        // ImageMagick's own reading of the file, turned so that the bottom row comes first.
        ASSERT_EQ(runCommand(convert + " " + path + " -auto-orient -flip -depth 8 " +
                             (alpha ? "rgba:" : "rgb:") + reference),
                  0);
        const Bytes file = readFile(path);
        const Bytes expected = readFile(reference);
        ASSERT_GE(file.size(), 18u);
        ASSERT_EQ(expected.size(), alpha ? 16u : 12u);
        EXPECT_EQ(file[0] != 0, identified);
        EXPECT_EQ(file[17] & 0x20, 0) << "the loader assumes the bottom row comes first";
        Texture texture;
        ASSERT_TRUE(texture.load(path.c_str()));
        EXPECT_EQ(readBack(texture.id, c.format, expected.size()), expected);
    }
}

TEST(TexturePowerOfTwo, AcceptsExactlyTwoTo512) {
    const std::pair<int, bool> cases[] = {{0, false},    {1, false},   {2, true},     {3, false},
                                          {256, true},   {511, false}, {512, true},   {513, false},
                                          {1024, false}, {-2, false},  {65536, false}};
    for (const auto& [n, expected] : cases) {
        EXPECT_EQ(Texture::isPowerOfTwo(n), expected) << n;
    }
}

} // namespace
