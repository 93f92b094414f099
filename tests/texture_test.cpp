#include "gl_test_support.h"
#include "targa_cases.h"
#include "texture/texture.h"

#include <cstdio>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace {

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
        writeBytes(path, bytes);
        EXPECT_EQ(chmod(path.c_str(), 0444), 0);
        return path;
    }

    TempDir dir;
};

GLint level(GLuint id, GLenum what) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, id), glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

Bytes readBack(GLuint id, GLenum format, std::size_t size) {
    Bytes texels(size, 0);
    glBindTexture(GL_TEXTURE_2D, id), glPixelStorei(GL_PACK_ALIGNMENT, 1);
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
        glGenTextures(1, &texture.id), glBindTexture(GL_TEXTURE_2D, texture.id);
        for (const auto& [param, opposite, expected] : params)
            glTexParameteri(GL_TEXTURE_2D, param, opposite);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4),
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
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment),
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
            texture.load(path.second.c_str()), glDeleteTextures(1, &texture.id);
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
