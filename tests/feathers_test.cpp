#include "scene/feathers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {

void createFreshField() {
    randomState = RANDOM_START_STATE;
    createFeathers();
}

void expectVec3Near(const Vec3& actual, double x, double y, double z, double tolerance) {
    EXPECT_NEAR(actual.x, x, tolerance);
    EXPECT_NEAR(actual.y, y, tolerance);
    EXPECT_NEAR(actual.z, z, tolerance);
}

void expectEachInRange(const Vec3& value, float low, float high) {
    for (float component : {value.x, value.y, value.z}) {
        EXPECT_GE(component, low);
        EXPECT_LT(component, high);
    }
}

// Every array's bytes, in one buffer, so that two fields compare bit for bit.
std::vector<unsigned char> fieldBytes() {
    std::vector<unsigned char> bytes(sizeof featherPosition + sizeof featherAngle +
                                     sizeof featherSpin + sizeof featherColor +
                                     sizeof featherScale + sizeof featherBend);
    std::size_t offset = 0;
    const auto append = [&bytes, &offset](const void* data, std::size_t size) {
        std::memcpy(bytes.data() + offset, data, size);
        offset += size;
    };
    append(featherPosition, sizeof featherPosition);
    append(featherAngle, sizeof featherAngle);
    append(featherSpin, sizeof featherSpin);
    append(featherColor, sizeof featherColor);
    append(featherScale, sizeof featherScale);
    append(featherBend, sizeof featherBend);
    return bytes;
}

} // namespace

TEST(RandomSource, StartsWithTheKnownDrawsAndScalesInDouble) {
    randomState = RANDOM_START_STATE;
    for (int expected : {41, 18467, 6334, 26500, 19169}) {
        EXPECT_EQ(nextRandom(), expected);
    }
    randomState = RANDOM_START_STATE;
    // 41 / 32768 * pi is kept in double: rounding it to float would lose these digits.
    EXPECT_EQ(randomFloat(3.1415927f), 41.0 / 32768.0 * static_cast<double>(3.1415927f));
}

TEST(FeatherField, FirstFeathersMatchTheirKnownValues) {
    createFreshField();
    const Vec3& p = featherPosition[0];
    const double length = std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z);
    EXPECT_NEAR(length, 32.7352294921875, 2e-5);
    EXPECT_NEAR(std::acos(p.x / length), 41.0 / 32768.0 * 3.14159265358979, 1e-6);
    expectVec3Near(p, 32.7350, -0.118548, -0.0500390, 1e-4);
    expectVec3Near(featherAngle[0], 210.597, 172.749, 126.101, 1e-3);
    expectVec3Near(featherSpin[0], 59.3903, 48.4222, 36.9873, 1e-4);
    expectVec3Near(featherColor[0], 0.876115, 0.978838, 0.956572, 1e-6);
    EXPECT_NEAR(featherScale[0], 1.00541, 1e-5);
    EXPECT_NEAR(featherBend[0], 0.401993, 1e-6);
    expectVec3Near(featherPosition[1], 6.61388, 0.261590, 0.169257, 1e-5);
    expectVec3Near(featherPosition[2], 12.9886, -3.88472, -6.38648, 1e-4);
    // Fifteen draws a feather, and no others.
    const std::uint32_t afterField = randomState;
    randomState = RANDOM_START_STATE;
    for (int draw = 0; draw < FEATHER_COUNT * 15; ++draw) {
        nextRandom();
    }
    EXPECT_EQ(randomState, afterField);
}

TEST(FeatherField, IsTheSameOnEveryCreation) {
    createFreshField();
    const std::vector<unsigned char> first = fieldBytes();
    std::memset(featherPosition, 0, sizeof featherPosition);
    createFreshField();
    EXPECT_EQ(first, fieldBytes());
}

TEST(FeatherField, EveryValueIsInsideItsRange) {
    createFreshField();
    double farthest = 0.0;
    for (int i = 0; i < FEATHER_COUNT; ++i) {
        const Vec3& p = featherPosition[i];
        farthest = std::max(farthest,
                            std::sqrt(double(p.x) * p.x + double(p.y) * p.y + double(p.z) * p.z));
        expectEachInRange(featherAngle[i], 0.0f, 360.0f);
        expectEachInRange(featherSpin[i], -75.0f, 75.0f);
        expectEachInRange(featherColor[i], 0.85f, 1.0f);
        EXPECT_GE(featherScale[i], 0.8f);
        EXPECT_LT(featherScale[i], 1.2f);
        EXPECT_GE(featherBend[i], 0.25f);
        EXPECT_LT(featherBend[i], 0.75f);
    }
    EXPECT_LT(farthest, 42.0);
    EXPECT_GT(farthest, 38.0) << "the field should fill its ball, not a small part of it";
}
