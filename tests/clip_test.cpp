#include "clip_options.h"
#include "gl_test_support.h"

#include <webp/demux.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

struct ClipFrame {
    RgbImage image;
    int endMs = 0; // when the next frame takes over
};

// Every frame of an animated WebP file as the decoder composes it; none for a file it refuses.
std::vector<ClipFrame> readClip(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(file), {}};
    const WebPData data{reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()};
    WebPAnimDecoder* decoder = WebPAnimDecoderNew(&data, nullptr); // RGBA
    std::vector<ClipFrame> frames;
    WebPAnimInfo info{};
    uint8_t* rgba = nullptr;
    int endMs = 0;
    while (decoder != nullptr && WebPAnimDecoderGetInfo(decoder, &info) != 0 &&
           WebPAnimDecoderGetNext(decoder, &rgba, &endMs) != 0) {
        RgbImage image{
            static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), {}};
        for (std::size_t i = 0; i < std::size_t{info.canvas_width} * info.canvas_height * 4; ++i)
            if (i % 4 != 3)
                image.pixels.push_back(rgba[i]);
        frames.push_back({image, endMs});
    }
    WebPAnimDecoderDelete(decoder);
    return frames;
}

// plume-clip's status at 160 x 120 with `arguments`.
int runClip(const std::string& arguments) {
    return std::system(
        (std::string(PLUME_CLIP_EXE) + " --data " + PLUME_DATA_DIR + " --size 160x120" + arguments)
            .c_str());
}

} // namespace

// The lines it refuses are rows of tests/tools/command-lines.
TEST(Clip, FramesFallOnThePinnedClocksSteps) {
    struct Case {
        std::vector<const char*> arguments; // besides --out
        int frames, stepMs, lastFrameMs;
    };
    const Case cases[] = {{{}, 150, 40, 5960},
                          {{"--start", "2.04", "--length", "1", "--step-ms", "20"}, 25, 20, 3000},
                          {{"--length", "0.101", "--fps", "10"}, 2, 100, 100},
                          {{"--length", "600"}, 15000, 40, 599960}};
    for (const Case& c : cases) {
        std::vector<const char*> argv = {"plume-clip", "--out", "clip.webp"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        ClipOptions options;
        std::string error;
        const std::string line = c.arguments.empty() ? "defaults" : c.arguments[0];
        ASSERT_EQ(parseClipArgs(static_cast<int>(argv.size()), const_cast<char**>(argv.data()),
                                options, error),
                  CommandLine::Run)
            << line << ": " << error;
        EXPECT_EQ(clipFrameCount(options), c.frames) << line;
        EXPECT_EQ(options.stepMs, c.stepMs) << line;
        EXPECT_EQ(clipFrameTimeMs(options, c.frames - 1), c.lastFrameMs) << line;
    }
}

// Each frame is the snapshot at its time; a file it cannot write fails the tool.
TEST(Clip, EachFrameIsTheSnapshotAtItsTime) {
    TempDir out;
    const std::string clip = out.file("clip.webp");
    ASSERT_EQ(
        runClip(" --start 1 --length 0.75 --fps 4 --step-ms 50 --quality lossless --out " + clip),
        0);
    const std::vector<ClipFrame> frames = readClip(clip);
    ASSERT_EQ(frames.size(), 3u);
    const char* const times[] = {"1", "1.25", "1.5"};
    const std::string at = " --size 160x120 --step-ms 50 --time ";
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(frames[k].endMs, 250 * (k + 1));
        const ImageDifference difference =
            compareImages(frames[k].image, snapshotFrame(out, at + times[k]));
        EXPECT_EQ(difference.meanLevels, 0.0) << times[k] << " s: lossless, on one renderer";
    }
    // A control: the frame one step late must be judged another.
    EXPECT_FALSE(sameFrame(compareImages(frames[1].image, snapshotFrame(out, at + "1.3"))));
    EXPECT_NE(runClip(" --length 0.04 --out /nonexistent/clip.webp"), 0) << "an unwritable file";
}
