#include "eq/TimeAlignment.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {
namespace {

constexpr double kSpeedAtZeroC = 331.3;
constexpr double kZeroCelsiusK = 273.15;

double Finite(double v) { return std::isfinite(v) ? v : 0.0; }

}  // namespace

double SpeedOfSound(double temperatureC) { return kSpeedAtZeroC * std::sqrt(1.0 + temperatureC / kZeroCelsiusK); }

AlignmentResult AlignDelays(const Position& listener, const std::array<Position, kAlignedSpeakers>& speakers,
                            const DelayLimits& limits, double temperatureC) {
    AlignmentResult r;
    r.speedOfSound = SpeedOfSound(temperatureC);
    double farthest = 0.0;
    for (std::size_t k = 0; k < speakers.size(); ++k) {
        const double dx = Finite(speakers[k].x) - Finite(listener.x);
        const double dy = Finite(speakers[k].y) - Finite(listener.y);
        r.speakers[k].distanceM = std::hypot(dx, dy);
        farthest = std::max(farthest, r.speakers[k].distanceM);
    }
    for (AlignedSpeaker& s : r.speakers) {
        const double exact = limits.minimumMs + (farthest - s.distanceM) / r.speedOfSound * 1000.0;
        const double stepped = std::round(exact / limits.stepMs) * limits.stepMs;
        s.clamped = stepped > limits.maximumMs;
        s.delayMs = std::clamp(stepped, limits.minimumMs, limits.maximumMs);
    }
    return r;
}

}  // namespace kv::eq
