#include "gl_test_support.h"
#include "texture/texture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

// A Targa file byte by byte, so that each header field can be set to anything.
Bytes targa(int type, int width, int height, int depth, Bytes pixels, const std::string& id = "") {
    Bytes file = {static_cast<unsigned char>(id.size()), 0, static_cast<unsigned char>(type)};
    file.resize(18, 0);
    file[12] = width & 0xFF, file[13] = width >> 8, file[14] = height & 0xFF;
    file[15] = height >> 8, file[16] = static_cast<unsigned char>(depth);
    file.insert(file.end(), id.begin(), id.end());
    file.insert(file.end(), pixels.begin(), pixels.end());
    return file;
}

Bytes with(Bytes file, std::size_t index, unsigned char value) {
    file.resize(std::max(file.size(), index + 1), 0xEE);
    file[index] = value;
    return file;
}

// 2x2 pixels, every byte distinct, so a swap, a row order or a row alignment mistake shows.
const Bytes BGR = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12},
            RGB = {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10};
const Bytes BGRA = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
const Bytes RGBA = {3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13, 16};
const Bytes GREY = {10, 20, 30, 40}, GOOD = targa(2, 2, 2, 24, BGR);

// name, file, format, texels as read back
const std::tuple<const char*, Bytes, GLenum, Bytes> GOOD_FILES[] = {
    {"rgb24", GOOD, GL_RGB, RGB},
    {"rgba32", targa(2, 2, 2, 32, BGRA), GL_RGBA, RGBA},
    {"grey8", targa(3, 2, 2, 8, GREY), GL_LUMINANCE, GREY},
    {"truecolour8", targa(2, 2, 2, 8, GREY), GL_LUMINANCE, GREY},
    {"grey24", targa(3, 2, 2, 24, BGR), GL_RGB, RGB},
    {"id_field", targa(2, 2, 2, 24, BGR, "ABCDE"), GL_RGB, RGB},
    {"footer", with(GOOD, GOOD.size() + 25, 0xEE), GL_RGB, RGB},
    {"top_origin_bit", with(GOOD, 17, 0x20), GL_RGB, RGB}};

const std::pair<const char*, Bytes> BAD_FILES[] = {
    {"colour_map", with(GOOD, 1, 1)},
    {"run_length", targa(10, 2, 2, 24, BGR)},
    {"colour_mapped_type", targa(1, 2, 2, 24, BGR)},
    {"width_0", targa(2, 0, 2, 24, {})},
    {"width_640", targa(2, 640, 2, 24, Bytes(640 * 2 * 3))},
    {"height_1", targa(2, 2, 1, 24, Bytes(2 * 3))},
    {"height_1024", targa(2, 2, 1024, 24, Bytes(2 * 1024 * 3))},
    {"depth_16", targa(2, 2, 2, 16, Bytes(2 * 2 * 2))},
    {"short_24", targa(2, 2, 2, 24, Bytes(11))},
    {"short_32", targa(2, 2, 2, 32, Bytes(15))},
    {"short_8", targa(3, 2, 2, 8, Bytes(3))},
    {"empty", {}},
    {"header_17", Bytes(GOOD.begin(), GOOD.begin() + 17)},
    {"id_past_end", with(GOOD, 0, 200)},
    {"id_eats_a_pixel_byte", with(GOOD, 0, 1)}};

// Root may write any file: while one of these lives, the process runs as "nobody" (in-process,
// since the GL context is ours), so that a read-only file proves the loader only reads.
struct AsNobody {
    const bool root = geteuid() == 0;
    const bool dropped = !root || (setegid(65534) == 0 && seteuid(65534) == 0);
    ~AsNobody() {
        if (root) {
            seteuid(0);
            setegid(0);
        }
    }
};

class TextureTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ensureGlWindow();
        ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    }

    // Writes a read-only file.
    std::string write(const std::string& name, const Bytes& bytes) {
        const std::string path = dir.file(name + ".tga");
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        EXPECT_EQ(chmod(path.c_str(), 0444), 0);
        return path;
    }

    TempDir dir;
};

GLint level(GLuint id, GLenum what) {
    glBindTexture(GL_TEXTURE_2D, id);
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

Bytes readBack(GLuint id, GLenum format, std::size_t size) {
    glBindTexture(GL_TEXTURE_2D, id);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    Bytes texels(size, 0);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

TEST_F(TextureTest, LoadsPixelsInFileRowOrderWithRedAndBlueExchangedAndSetsSampling) {
    // Each parameter starts at the opposite of its expected value, so the load must set it.
    const GLint params[][3] = {{GL_TEXTURE_WRAP_S, GL_CLAMP, GL_REPEAT},
                               {GL_TEXTURE_WRAP_T, GL_CLAMP, GL_REPEAT},
                               {GL_TEXTURE_MAG_FILTER, GL_NEAREST, GL_LINEAR},
                               {GL_TEXTURE_MIN_FILTER, GL_NEAREST, GL_LINEAR}};
    for (const auto& [name, file, format, texels] : GOOD_FILES) {
        SCOPED_TRACE(name);
        Texture texture;
        glGenTextures(1, &texture.id);
        glBindTexture(GL_TEXTURE_2D, texture.id);
        for (const auto& [param, opposite, expected] : params)
            glTexParameteri(GL_TEXTURE_2D, param, opposite);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        const std::string path = write(name, file);
        {
            const AsNobody nobody;
            ASSERT_TRUE(nobody.dropped);
            ASSERT_EQ(std::fopen(path.c_str(), "r+b"), nullptr)
                << "writable: the case proves nothing";
            ASSERT_TRUE(texture.loadTga(path.c_str(), texture.id));
        }
        EXPECT_EQ(texture.format, format);
        EXPECT_EQ(level(texture.id, GL_TEXTURE_INTERNAL_FORMAT), static_cast<GLint>(format));
        EXPECT_EQ(readBack(texture.id, format, texels.size()), texels);
        for (const auto& [param, opposite, expected] : params) {
            GLint actual = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, param, &actual);
            EXPECT_EQ(actual, expected) << "parameter 0x" << std::hex << param;
        }
        GLint alignment = 0, mode = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
        glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_TRUE(alignment == 1 && mode == GL_MODULATE) << alignment << " " << mode;
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
}

TEST_F(TextureTest, RefusesBadFilesUploadingNothingAndNoLoadLeavesAFileOpen) {
    std::vector<std::pair<std::string, std::string>> paths = {{"missing", dir.file("none.tga")}};
    for (const auto& [name, bytes] : BAD_FILES)
        paths.emplace_back(name, write(name, bytes));
    for (const auto& [name, path] : paths) {
        Texture texture;
        EXPECT_FALSE(texture.load(path.c_str())) << name;
        EXPECT_EQ(level(texture.id, GL_TEXTURE_WIDTH), 0) << name;
    }
    for (const auto& [name, file, format, texels] : GOOD_FILES)
        paths.emplace_back(name, write(name, file));
    const auto loadAll = [&paths] {
        for (const auto& path : paths) {
            Texture texture;
            texture.load(path.second.c_str());
            glDeleteTextures(1, &texture.id);
        }
    };
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    loadAll(); // lets the driver open whatever it opens once
    const auto before = openFiles();
    for (int i = 0; i < 50; ++i)
        loadAll();
    EXPECT_EQ(openFiles(), before);
}

} // namespace
