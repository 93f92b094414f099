// Writes the fuzzer's starting inputs: small valid Targa files of each accepted depth and broken
// ones for each way a header can be wrong, so that the fuzzer starts next to every branch.
//   make_targa_seeds DIRECTORY
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes targa(int type, int width, int height, int depth, std::size_t pixelBytes,
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
    for (std::size_t i = 0; i < pixelBytes; ++i) {
        file.push_back(static_cast<unsigned char>(i * 37 + 11));
    }
    return file;
}

Bytes withByte(Bytes file, std::size_t index, unsigned char value) {
    file[index] = value;
    return file;
}

Bytes cut(const Bytes& file, std::size_t size) {
    return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(size));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_targa_seeds DIRECTORY\n");
        return 2;
    }
    const Bytes rgb = targa(2, 2, 2, 24, 12);
    const std::vector<std::pair<const char*, Bytes>> seeds = {
        {"rgb24_2x2", rgb},
        {"rgba32_4x2", targa(2, 4, 2, 32, 32)},
        {"grey8_2x4", targa(3, 2, 4, 8, 8)},
        {"truecolour8_2x2", targa(2, 2, 2, 8, 4)},
        {"rgb24_512x2", targa(2, 512, 2, 24, 512 * 2 * 3)},
        {"rgb24_with_id", targa(2, 2, 2, 24, 12, "plume seed")},
        {"rgb24_with_footer", targa(2, 2, 2, 24, 12 + 26)},
        {"top_origin", withByte(rgb, 17, 0x20)},
        {"header_only", cut(rgb, 18)},
        {"short_header", cut(rgb, 17)},
        {"one_byte", cut(rgb, 1)},
        {"short_pixels", cut(rgb, 18 + 11)},
        {"colour_map", withByte(rgb, 1, 1)},
        {"colour_mapped_type", withByte(rgb, 2, 1)},
        {"run_length_type", targa(10, 2, 2, 24, 12)},
        {"bad_type", withByte(rgb, 2, 0xFF)},
        {"depth_16", targa(2, 2, 2, 16, 8)},
        {"depth_0", targa(2, 2, 2, 0, 0)},
        {"width_640", targa(2, 640, 2, 24, 12)},
        {"width_1024", targa(2, 1024, 2, 24, 12)},
        {"width_3", targa(2, 3, 2, 24, 18)},
        {"height_1", targa(2, 2, 1, 24, 6)},
        {"height_0", targa(2, 2, 0, 24, 0)},
        {"size_65535", targa(2, 0xFFFF, 0xFFFF, 32, 16)},
        {"id_past_end", withByte(rgb, 0, 200)},
        {"id_eats_a_pixel_byte", withByte(rgb, 0, 1)},
        {"id_255", targa(2, 2, 2, 24, 12, std::string(255, 'i'))},
    };
    for (const auto& [name, bytes] : seeds) {
        const std::string path = std::string(argv[1]) + "/" + name + ".tga";
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()),
                  static_cast<std::streamsize>(bytes.size()));
        if (!out) {
            std::fprintf(stderr, "make_targa_seeds: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
