#include "gl_test_support.h"
#include "targa_cases.h"
#include "texture/texture.h"

#include <cstdio>
#include <iterator>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Root may write any file: while one of these lives, the process runs as "nobody" (in-process,
// since the GL context is ours), so that a read-only file proves the loader only reads.
struct AsNobody {
    const bool root = geteuid() == 0;
    const bool dropped = !root || (setegid(65534) == 0 && seteuid(65534) == 0);
    ~AsNobody() { (void)(root && seteuid(0) == 0 && setegid(0) == 0); }
};

GLint level(GLuint id, GLenum what) {
    GLint value = -1;
    glBindTexture(GL_TEXTURE_2D, id), glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, what, &value);
    return value;
}

TEST(Texture, LoadsPixelsInFileRowOrderWithRedAndBlueExchangedAndSetsSampling) {
    ensureGlWindow();
    TempDir dir;
    ASSERT_EQ(chmod(dir.path.c_str(), 0755), 0);
    // Each parameter starts at the opposite of its expected value, so the load must set it.
    const GLint params[][3] = {{GL_TEXTURE_WRAP_S, GL_CLAMP, GL_REPEAT},
                               {GL_TEXTURE_WRAP_T, GL_CLAMP, GL_REPEAT},
                               {GL_TEXTURE_MAG_FILTER, GL_NEAREST, GL_LINEAR},
                               {GL_TEXTURE_MIN_FILTER, GL_NEAREST, GL_LINEAR}};
    for (const auto& [name, file, format, texels] : GOOD_FILES) {
        SCOPED_TRACE(name);
        const std::string path = dir.file(std::string(name) + ".tga");
        writeBytes(path, file);
        ASSERT_EQ(chmod(path.c_str(), 0444), 0);
        Texture texture;
        glGenTextures(1, &texture.id), glBindTexture(GL_TEXTURE_2D, texture.id);
        for (const auto& [param, opposite, expected] : params)
            glTexParameteri(GL_TEXTURE_2D, param, opposite);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4),
            glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
        {
            const AsNobody nobody;
            ASSERT_TRUE(nobody.dropped);
            ASSERT_EQ(std::fopen(path.c_str(), "r+b"), nullptr) << "writable";
            ASSERT_TRUE(texture.loadTga(path.c_str(), texture.id));
        }
        Bytes loaded(texels.size(), 0);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, loaded.data());
        EXPECT_EQ(loaded, texels);
        EXPECT_EQ(std::pair(texture.format, level(texture.id, GL_TEXTURE_INTERNAL_FORMAT)),
                  std::pair(format, static_cast<GLint>(format)));
        for (const auto& [param, opposite, expected] : params) {
            GLint actual = 0;
            glGetTexParameteriv(GL_TEXTURE_2D, param, &actual);
            EXPECT_EQ(actual, expected) << "parameter 0x" << std::hex << param;
        }
        GLint alignment = 0, mode = 0;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment),
            glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
        EXPECT_EQ(std::tuple(alignment, mode, glGetError()), std::tuple(1, GL_MODULATE, 0u));
    }
}

// A refused file leaves no descriptor open: each refusal returns early.
TEST(Texture, RefusesBadFilesUploadingNothingAndLeavingNoFileOpen) {
    ensureGlWindow();
    TempDir dir;
    const auto openFiles = [] {
        return std::distance(std::filesystem::directory_iterator("/proc/self/fd"), {});
    };
    const auto before = openFiles();
    for (const auto& [name, file] : BAD_FILES) {
        writeBytes(dir.file(name), file);
        Texture texture;
        EXPECT_FALSE(texture.load(dir.file(name).c_str())) << name;
        EXPECT_EQ(level(texture.id, GL_TEXTURE_WIDTH), 0) << name;
    }
    Texture missing;
    EXPECT_FALSE(missing.load(dir.file("none.tga").c_str()));
    EXPECT_EQ(openFiles(), before);
}

} // namespace
