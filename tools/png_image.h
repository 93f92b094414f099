// 8-bit RGB PNG files, top row first.
#pragma once

#include <string>
#include <vector>

struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> pixels; // width * height * 3 bytes, top row first
};

bool writePng(const std::string& path, const RgbImage& image);
bool readPng(const std::string& path, RgbImage& image);
