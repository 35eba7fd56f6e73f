// The delays of the time alignment for known rooms, worked by hand from the distances.

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

#include "eq/TimeAlignment.h"

namespace kv::eq {
namespace {

constexpr DelayLimits kLimits{1.5, 100.0, 0.1};

// Speaker order: MAIN left, Center, MAIN right, REAR left, SUB, REAR right, TOP left, TOP right.
constexpr std::array<Position, kAlignedSpeakers> kDefaultSpeakers = {
    {{-1, 1}, {0, 1}, {1, 1}, {-1, -1}, {0, -1}, {1, -1}, {-0.5, 0}, {0.5, 0}}};

struct AlignCase {
    const char* name;
    Position listener;
    std::array<Position, kAlignedSpeakers> speakers;
    double temperature;
    std::array<double, kAlignedSpeakers> delays;
    std::array<bool, kAlignedSpeakers> clamped;
};

// Hand-worked at c = 343.21 m/s (20 C) unless noted.
const AlignCase kCases[] = {
    // Corners at 1.414 m, Center and SUB at 1 m (+1.21 ms), TOP at 0.5 m (+2.66 ms).
    {"default room", {0, 0}, kDefaultSpeakers, 20.0, {1.5, 2.7, 1.5, 1.5, 2.7, 1.5, 4.2, 4.2}, {}},
    // Listener at (0, -1): SUB at it (0 m), REAR at 1 m, MAIN at 2.236 m (the farthest), Center
    // 2 m, TOP 1.118 m.
    {"listener at the SUB", {0, -1}, kDefaultSpeakers, 20.0, {1.5, 2.2, 1.5, 5.1, 8.0, 5.1, 4.8, 4.8}, {}},
    // At 0 C (331.3 m/s) the same room takes longer: TOP +2.76 ms.
    {"cold air", {0, 0}, kDefaultSpeakers, 0.0, {1.5, 2.8, 1.5, 1.5, 2.8, 1.5, 4.3, 4.3}, {}},
    // A speaker 40 m off: the others lead by about 113 ms, beyond the box's 100 ms.
    {"clamped",
     {0, 0},
     {{{-40, 0}, {0, 1}, {1, 1}, {-1, -1}, {0, -1}, {1, -1}, {-0.5, 0}, {0.5, 0}}},
     20.0,
     {1.5, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0, 100.0},
     {false, true, true, true, true, true, true, true}},
    // Not-a-number positions count as the centre.
    {"non-finite",
     {NAN, 0},
     {{{NAN, NAN}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}, {0, 1}}},
     20.0,
     {4.4, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5, 1.5},
     {}},
};

class Alignment : public ::testing::TestWithParam<AlignCase> {};

TEST_P(Alignment, DelaysPerSpeaker) {
    const AlignCase& c = GetParam();
    const AlignmentResult r = AlignDelays(c.listener, c.speakers, kLimits, c.temperature);
    for (int k = 0; k < kAlignedSpeakers; ++k) {
        EXPECT_NEAR(r.speakers[k].delayMs, c.delays[k], 1e-9) << "speaker " << k + 1;
        EXPECT_EQ(r.speakers[k].clamped, c.clamped[k]) << "speaker " << k + 1;
    }
}

INSTANTIATE_TEST_SUITE_P(Rooms, Alignment, ::testing::ValuesIn(kCases), [](const auto& info) {
    std::string n = info.param.name;
    for (char& ch : n)
        if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
    return n;
});

TEST(SpeedOfSound, AtKnownTemperatures) {
    EXPECT_NEAR(SpeedOfSound(0.0), 331.3, 1e-9);
    EXPECT_NEAR(SpeedOfSound(20.0), 343.2, 0.05);
    EXPECT_NEAR(SpeedOfSound(-40.0), 306.1, 0.05);
}

}  // namespace
}  // namespace kv::eq
