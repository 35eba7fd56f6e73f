#pragma once
// The limits of an equaliser band, for every panel, the band model, the command line and
// filter files alike.

namespace kv::eqband {
constexpr double kMinGain = -15.0;
constexpr double kMaxGain = 15.0;
constexpr double kMinFrequency = 20.0;
constexpr double kMaxFrequency = 20000.0;
constexpr double kMinQ = 0.1;
constexpr double kMaxPeakingQ = 30.0;
constexpr double kMaxOtherQ = 2.0;
constexpr float kPeakingQ = 1.41f;  // a band made a peak starts with this Q
constexpr float kPassQ = 0.7f;      // and a pass or shelf band with this one
}  // namespace kv::eqband
