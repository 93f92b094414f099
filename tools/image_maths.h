// Colours and directions in double precision, shared by the generated images.
#pragma once

#include <cmath>

constexpr double QUARTER_TURN_RADIANS = 1.5707963267948966;

struct SkyDirection {
    double x;
    double y; // up
    double z;
};

struct Colour {
    double r;
    double g;
    double b;
};

inline Colour mix(const Colour& a, const Colour& b, double t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

inline Colour plus(const Colour& a, const Colour& b) {
    return {a.r + b.r, a.g + b.g, a.b + b.b};
}

inline Colour times(const Colour& a, double k) {
    return {a.r * k, a.g * k, a.b * k};
}

inline double clamp01(double x) {
    return x < 0.0 ? 0.0 : (x > 1.0 ? 1.0 : x);
}

inline double smoothstep(double edge0, double edge1, double x) {
    const double t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0 - 2.0 * t);
}

inline double lerp(double a, double b, double t) {
    return a + (b - a) * t;
}

inline unsigned char toByte(double x) {
    return static_cast<unsigned char>(std::lround(clamp01(x) * 255.0));
}

inline double dot(const SkyDirection& a, const SkyDirection& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline SkyDirection normalised(const SkyDirection& v) {
    const double length = std::sqrt(dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}
