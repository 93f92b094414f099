// What the suite checks of the feather field and the Targa loader, for a build that runs where
// the suite cannot: through that platform's own C runtime and its sin and cos.
//   plume-windows-checks field       prints the field as tests/reference/feather_field.txt holds it
//   plume-windows-checks files DIR   loads the suite's good and bad Targa files, written into DIR
// Exit status 0 when every file loads or is refused as the suite expects.
#include "app/frame.h"
#include "scene/feathers.h"
#include "targa_cases.h"
#include "texture/texture.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

namespace {

std::uint32_t bitsOf(float value) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

void printField() {
    createFeathers();
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        const Vec3 &p = featherPosition[i], &a = featherAngle[i], &s = featherSpin[i];
        const Vec3& c = featherColor[i];
        const float values[] = {
            p.x,           p.y, p.z, a.x, a.y, a.z, s.x, s.y, s.z, c.x, c.y, c.z, featherScale[i],
            featherBend[i]};
        for (const float& value : values) {
            std::printf(&value == values ? "%08x" : " %08x", static_cast<unsigned>(bitsOf(value)));
        }
        std::printf("\n");
    }
}

// Loads the file through the program's own loader; its level 0 as read back, or nothing.
Bytes loadThroughTexture(const std::string& path, const Bytes& bytes, GLenum& format) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    Texture texture;
    const bool loaded = texture.load(path.c_str());
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    format = texture.format;
    if (!loaded || width == 0) {
        return {};
    }
    const int channels = format == GL_RGBA ? 4 : format == GL_RGB ? 3 : 1;
    Bytes texels(static_cast<std::size_t>(width) * height * channels);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 0, format, GL_UNSIGNED_BYTE, texels.data());
    return texels;
}

int checkFiles(int argc, char** argv, const std::string& dir) {
    openWindow(&argc, argv, 64, 64);
    int failures = 0;
    for (const auto& [name, file, format, texels] : GOOD_FILES) {
        GLenum loaded = 0;
        if (loadThroughTexture(dir + "/" + name + ".tga", file, loaded) != texels ||
            loaded != format) {
            std::printf("good file %s: not loaded as the suite expects (format 0x%x)\n", name,
                        loaded);
            ++failures;
        }
    }
    for (const auto& [name, file] : BAD_FILES) {
        GLenum loaded = 0;
        if (!loadThroughTexture(dir + "/" + name + ".tga", file, loaded).empty()) {
            std::printf("bad file %s: loaded\n", name);
            ++failures;
        }
    }
    std::printf("files: %zu good, %zu bad, %d not as expected\n", std::size(GOOD_FILES),
                std::size(BAD_FILES), failures);
    return failures == 0 && glGetError() == GL_NO_ERROR ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "field") == 0) {
        printField();
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "files") == 0) {
        return checkFiles(1, argv, argv[2]);
    }
    std::fprintf(stderr, "usage: plume-windows-checks field | files DIR\n");
    return 2;
}
