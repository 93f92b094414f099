#include "clip_options.h"
#include "gl_test_support.h"
#include "image_compare.h"

#include <gtest/gtest.h>
#include <webp/demux.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

struct ClipFrame {
    RgbImage image;
    int endMs = 0; // when the next frame takes over
};

RgbImage withoutAlpha(const uint8_t* rgba, const WebPAnimInfo& info) {
    RgbImage image{static_cast<int>(info.canvas_width), static_cast<int>(info.canvas_height), {}};
    for (std::size_t i = 0; i < std::size_t{info.canvas_width} * info.canvas_height * 4; ++i) {
        if (i % 4 != 3) {
            image.pixels.push_back(rgba[i]);
        }
    }
    return image;
}

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
        frames.push_back({withoutAlpha(rgba, info), endMs});
    }
    WebPAnimDecoderDelete(decoder);
    return frames;
}

int runTool(const std::string& tool, const std::string& arguments) {
    const std::string command = tool + " --data " + PLUME_DATA_DIR + " --size 160x120" + arguments;
    return std::system(command.c_str());
}

RgbImage snapshotAt(const TempDir& out, const std::string& timeAndStep) {
    EXPECT_EQ(runTool(PLUME_SNAPSHOT_EXE, timeAndStep + " --out " + out.file("frame.png")), 0);
    RgbImage image;
    EXPECT_TRUE(readPng(out.file("frame.png"), image));
    return image;
}

} // namespace

// The lines it refuses are rows of tests/tools/command-lines.
TEST(Clip, FramesFallOnThePinnedClocksSteps) {
    struct Case {
        std::vector<const char*> arguments; // besides --out
        int frames, stepMs, lastFrameMs;
    };
    const Case cases[] = {
        {{}, 150, 40, 5960},
        {{"--start", "2.04", "--length", "1", "--step-ms", "20"}, 25, 20, 3000},
        {{"--length", "0.101", "--fps", "10"}, 2, 100, 100},
        {{"--length", "600"}, 15000, 40, 599960},
    };
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

TEST(Clip, EachFrameIsTheSnapshotAtItsTime) {
    TempDir out;
    const std::string clip = out.file("clip.webp");
    ASSERT_EQ(runTool(PLUME_CLIP_EXE, " --start 1 --length 0.75 --fps 4 --step-ms 50 "
                                      "--quality lossless --out " +
                                          clip),
              0);
    const std::vector<ClipFrame> frames = readClip(clip);
    ASSERT_EQ(frames.size(), 3u);
    const char* const times[] = {"1", "1.25", "1.5"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_EQ(frames[k].endMs, 250 * (k + 1));
        const ImageDifference difference = compareImages(
            frames[k].image, snapshotAt(out, std::string(" --step-ms 50 --time ") + times[k]));
        EXPECT_EQ(difference.meanLevels, 0.0) << times[k] << " s: lossless, on one renderer";
    }
    // A control: the frame one step late must be judged another.
    EXPECT_FALSE(
        sameFrame(compareImages(frames[1].image, snapshotAt(out, " --step-ms 50 --time 1.3"))));
}

TEST(Clip, AFileItCannotWriteFailsTheTool) {
    EXPECT_NE(runTool(PLUME_CLIP_EXE, " --length 0.04 --out /nonexistent/clip.webp"), 0);
}
