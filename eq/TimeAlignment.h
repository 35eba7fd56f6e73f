#pragma once
// Delays that make every speaker's sound reach the listener at the same moment: the farthest
// speaker gets the smallest delay the box takes, every nearer one that plus its lead.

#include <array>
#include <cstddef>

namespace kv::eq {

inline constexpr int kAlignedSpeakers = 8;
inline constexpr double kDefaultTemperatureC = 20.0;

struct Position {
    double x = 0.0;
    double y = 0.0;
};

// The delay setting's limits and step, in ms (the setting table's, passed in).
struct DelayLimits {
    double minimumMs;
    double maximumMs;
    double stepMs;
};

struct AlignedSpeaker {
    double distanceM = 0.0;
    double delayMs = 0.0;  // rounded to the step, within the limits
    bool clamped = false;  // the exact delay lay above the maximum
};

struct AlignmentResult {
    std::array<AlignedSpeaker, kAlignedSpeakers> speakers{};
    double speedOfSound = 0.0;  // m/s at the temperature used
};

// Speed of sound in dry air at a temperature in degrees Celsius.
double SpeedOfSound(double temperatureC);

// Positions that are not finite count as the room's centre.
AlignmentResult AlignDelays(const Position& listener, const std::array<Position, kAlignedSpeakers>& speakers,
                            const DelayLimits& limits, double temperatureC = kDefaultTemperatureC);

}  // namespace kv::eq
