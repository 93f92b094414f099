// The feather field and Targa loader through the C runtime of a platform the suite cannot run on:
//   plume-windows-checks field       prints the field as tests/reference/feather_field.txt holds it
//   plume-windows-checks files DIR   status 0 if the suite's Targa files, written into DIR, each
//                                    load or are refused as the suite expects
#include "app/glut_window.h"
#include "feather_table.h"
#include "platform_glut.h"
#include "targa_cases.h"
#include "texture/texture.h"

#include <cstring>

namespace {

// Through the program's own loader: `format` and `texels`, or for a refused file neither.
bool loadsAs(const std::string& path, const Bytes& bytes, GLenum format, const Bytes& texels) {
    writeBytes(path, bytes);
    Texture texture;
    texture.load(path.c_str());
    texture.bind();
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    Bytes loaded(static_cast<std::size_t>(width) * height *
                 (texture.format == GL_RGBA  ? 4
                  : texture.format == GL_RGB ? 3
                                             : 1));
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    if (!loaded.empty()) {
        glGetTexImage(GL_TEXTURE_2D, 0, texture.format, GL_UNSIGNED_BYTE, loaded.data());
    }
    return texture.format == format && loaded == texels;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "field") == 0) {
        return std::fputs(featherTable().c_str(), stdout) < 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "files") != 0) {
        std::fprintf(stderr, "usage: plume-windows-checks field | files DIR\n");
        return 2;
    }
    int toolkitArgc = 1;
    openWindow(&toolkitArgc, argv, 64, 64);
    int failures = 0;
    const auto expect = [&failures](bool ok, const char* what, const char* name) {
        if (!ok) {
            std::printf("%s file %s: not as expected\n", what, name);
            ++failures;
        }
    };
    for (const auto& [name, file, format, texels] : GOOD_FILES) {
        expect(loadsAs(std::string(argv[2]) + "/" + name + ".tga", file, format, texels), "good",
               name);
    }
    for (const auto& [name, file] : BAD_FILES) {
        expect(loadsAs(std::string(argv[2]) + "/" + name + ".tga", file, 0, {}), "bad", name);
    }
    std::printf("files: %zu good, %zu bad, %d not as expected\n", std::size(GOOD_FILES),
                std::size(BAD_FILES), failures);
    return failures == 0 && glGetError() == GL_NO_ERROR ? 0 : 1;
}
