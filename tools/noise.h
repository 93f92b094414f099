// Gradient noise for the generated images, from integer hashes and double arithmetic alone, so
// that a machine makes the same bytes from any build.
#pragma once

#include <cstdint>

// Per-axis multipliers of a lattice point's hash.
constexpr std::uint32_t HASH_X = 0x8da6b343u;
constexpr std::uint32_t HASH_Y = 0xd8163841u;
constexpr std::uint32_t HASH_Z = 0xcb1ab31fu;

// Scrambles the sum of a lattice point's per-axis terms, so that neighbouring points look
// unrelated.
std::uint32_t mixHash(std::uint32_t h);

constexpr int NOISE_OCTAVES = 6;

// Octaves whose waves are finer than `footprint` (the span one texel covers) fade out instead
// of aliasing into speckle. The scale stays that of all octaves, so fading changes no level.
double fractalNoise(double x, double y, double z, double footprint, int octaves = NOISE_OCTAVES);
