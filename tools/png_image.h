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
// R,G,B,A bytes, top row first, at full compression: for the files the project ships.
bool writeRgbaPng(const std::string& path, int width, int height,
                  const std::vector<unsigned char>& rgba);
bool readPng(const std::string& path, RgbImage& image);
// R,G,B,A bytes, top row first, in straight alpha, as writeRgbaPng takes them.
bool readRgbaPng(const std::string& path, int& width, int& height,
                 std::vector<unsigned char>& rgba);
