// The window's captions: the one it opens with, and the credit in front of every frame rate.
#pragma once

constexpr const char* WINDOW_CAPTION = "plume";
constexpr const char* CAPTION_CREDIT = "plume - feathers on the wind";
