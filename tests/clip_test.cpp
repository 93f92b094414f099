#include "gl_test_support.h"

#include <webp/demux.h>

#include <fstream>
#include <iterator>

// Each frame is the snapshot at its time; an unwritable file fails the tool.
TEST(Clip, EachFrameIsTheSnapshotAtItsTime) {
    const auto runClip = [](const std::string& arguments) { // its status at 160 x 120
        const std::string command = std::string(PLUME_CLIP_EXE) + " --data " + PLUME_DATA_DIR;
        return std::system((command + " --size 160x120" + arguments).c_str());
    };
    TempDir out;
    const std::string clip = out.file("clip.webp");
    ASSERT_EQ(
        runClip(" --start 1 --length 0.75 --fps 4 --step-ms 50 --quality lossless --out " + clip),
        0);
    std::ifstream file(clip, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, nullptr); // RGBA
    WebPAnimInfo info{};
    ASSERT_TRUE(decoder != nullptr && WebPAnimDecoderGetInfo(decoder, &info) != 0);
    std::vector<RgbImage> frames;
    uint8_t* rgba = nullptr;
    const std::string at = " --size 160x120 --step-ms 50 --time ";
    for (int endMs = 0, k = 0; WebPAnimDecoderGetNext(decoder, &rgba, &endMs) != 0; ++k) {
        RgbImage& image = frames.emplace_back(RgbImage{
            static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), {}});
        for (std::size_t i = 0; i < std::size_t{info.canvas_width} * info.canvas_height * 4; ++i)
            if (i % 4 != 3)
                image.pixels.push_back(rgba[i]);
        const std::string time = std::to_string(1.0 + 0.25 * k);
        EXPECT_EQ(endMs, 250 * (k + 1)) << "frame " << k;
        const ImageDifference difference = compareImages(image, snapshotFrame(out, at + time));
        EXPECT_TRUE(difference.sameSize && difference.meanLevels == 0.0)
            << time << " s, lossless on one renderer: " << difference.meanLevels << " levels";
    }
    WebPAnimDecoderDelete(decoder);
    ASSERT_EQ(frames.size(), 3u);
    // A control: the frame one step late must be judged another.
    EXPECT_FALSE(sameFrame(compareImages(frames[1], snapshotFrame(out, at + "1.3"))));
    EXPECT_NE(runClip(" --length 0.04 --out /nonexistent/clip.webp"), 0) << "an unwritable file";
}
