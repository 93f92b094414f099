// Animated WebP files, encoded by libwebp's animation encoder one frame at a time.
#pragma once

#include "png_image.h"

#include <string>

struct WebPAnimEncoder;

struct ClipEncoder {
    WebPAnimEncoder* encoder = nullptr;
    int width = 0;
    int height = 0;
    int quality = 0; // 0 to 100 lossy, or LOSSLESS_QUALITY
};

// Starts a clip of pictures of the given size that loops for ever.
bool beginClip(ClipEncoder& clip, int width, int height, int quality);

// Adds a picture of the clip's size, shown from `timestampMs` until the next one's.
bool addClipFrame(ClipEncoder& clip, const RgbImage& image, int timestampMs);

// Ends the last picture at `endMs` and writes the clip to `path`.
bool writeClip(ClipEncoder& clip, int endMs, const std::string& path);

// Frees the encoder, written or not.
void endClip(ClipEncoder& clip);
