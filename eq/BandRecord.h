#pragma once

#include <array>
#include <cstdint>

#include "eq/BandLimits.h"

namespace kv::eq {

// Points of every band response; the panels draw them at equal x steps.
inline constexpr int kGridPoints = 512;

// One band of an equaliser panel, in the order the panels and pages share it.
struct BandRecord {
    float x = 0.0f;  // marker centre, relative to the plot's top-left corner
    float y = 0.0f;
    std::int32_t index = 0;
    std::int32_t code = 1;  // section code; 0 = off
    float frequency = 100.0f;
    float gain = 0.0f;
    float q = 1.0f;
    std::array<float, kGridPoints> response{};  // dB at the grid frequencies
    float minFrequency = static_cast<float>(eqband::kMinFrequency);
    float maxFrequency = static_cast<float>(eqband::kMaxFrequency);
    float minGain = static_cast<float>(eqband::kMinGain);
    float maxGain = static_cast<float>(eqband::kMaxGain);
};

}  // namespace kv::eq
