#include "webp_clip.h"

#include "clip_options.h"

#include <webp/encode.h>
#include <webp/mux.h>

#include <cstdio>

namespace {

// libwebp's own default effort for lossless, which here weighs speed against size.
constexpr float LOSSLESS_EFFORT = 75.0f;

bool configFor(int quality, WebPConfig& config) {
    if (WebPConfigInit(&config) == 0) {
        return false;
    }
    if (quality == LOSSLESS_QUALITY) {
        config.lossless = 1;
        config.quality = LOSSLESS_EFFORT;
    } else {
        config.quality = static_cast<float>(quality);
    }
    return WebPValidateConfig(&config) != 0;
}

bool writeFile(const std::string& path, const WebPData& data) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const bool written = std::fwrite(data.bytes, 1, data.size, file) == data.size;
    return std::fclose(file) == 0 && written;
}

} // namespace

bool beginClip(ClipEncoder& clip, int width, int height, int quality) {
    WebPAnimEncoderOptions options;
    if (WebPAnimEncoderOptionsInit(&options) == 0) {
        return false;
    }
    options.anim_params.loop_count = 0; // for ever
    // Every frame a key frame: between key frames the encoder keeps the pixels it judges
    // unchanged, and in the sky's smooth gradients its lossy errors then pile up into visible
    // blocks within a few frames. Whole frames also came out smaller here.
    options.kmin = 1;
    options.kmax = 1;
    clip.encoder = WebPAnimEncoderNew(width, height, &options);
    clip.width = width;
    clip.height = height;
    clip.quality = quality;
    return clip.encoder != nullptr;
}

bool addClipFrame(ClipEncoder& clip, const RgbImage& image, int timestampMs) {
    WebPConfig config;
    WebPPicture picture;
    if (image.width != clip.width || image.height != clip.height ||
        !configFor(clip.quality, config) || WebPPictureInit(&picture) == 0) {
        return false;
    }
    picture.width = image.width;
    picture.height = image.height;
    picture.use_argb = 1; // what the animation encoder works in
    const bool added = WebPPictureImportRGB(&picture, image.pixels.data(), image.width * 3) != 0 &&
                       WebPAnimEncoderAdd(clip.encoder, &picture, timestampMs, &config) != 0;
    WebPPictureFree(&picture);
    return added;
}

bool writeClip(ClipEncoder& clip, int endMs, const std::string& path) {
    WebPData data;
    WebPDataInit(&data);
    const bool written = WebPAnimEncoderAdd(clip.encoder, nullptr, endMs, nullptr) != 0 &&
                         WebPAnimEncoderAssemble(clip.encoder, &data) != 0 && writeFile(path, data);
    WebPDataClear(&data);
    return written;
}

void endClip(ClipEncoder& clip) {
    WebPAnimEncoderDelete(clip.encoder);
    clip.encoder = nullptr;
}
