#include "eq/EqPanelGeometry.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "eq/BandRecord.h"

namespace kv::eq {

namespace {
constexpr double kGroupDelaySteps[] = {0.25, 0.5, 1.0, 2.0, 5.0, 10.0, 20.0};
constexpr int kStepsAbove = 8;
constexpr int kStepsBelow = 2;
}  // namespace

ValueAxis MagnitudeAxis() { return {EqPanelGeometry::kMinGain, EqPanelGeometry::kMaxGain, 3.0, 0}; }

ValueAxis PhaseAxis() { return {-180.0, 180.0, 30.0, 0}; }

ValueAxis GroupDelayAxis(double largestMs) {
    double step = kGroupDelaySteps[std::size(kGroupDelaySteps) - 1];
    for (double s : kGroupDelaySteps)
        if (s * kStepsAbove >= largestMs) {
            step = s;
            break;
        }
    const int decimals = step < 0.5 ? 2 : step < 1.0 ? 1 : 0;
    return {-kStepsBelow * step, kStepsAbove * step, step, decimals};
}

EqPanelGeometry::EqPanelGeometry(int clientWidth, int clientHeight)
    : m_width(std::max(0, clientWidth - kInsetLeft - kInsetRight)),
      m_height(std::max(0, clientHeight - kInsetTop - kInsetBottom)) {}

double EqPanelGeometry::XOfFrequency(double freqHz) const {
    return kInsetLeft + m_width * std::log10(freqHz / kMinFrequency) / std::log10(kMaxFrequency / kMinFrequency);
}

double EqPanelGeometry::YOfGain(double gainDb) const {
    return kInsetTop + m_height * (kMaxGain - gainDb) / (kMaxGain - kMinGain);
}

double EqPanelGeometry::YOfValue(double value, const ValueAxis& axis) const {
    return kInsetTop + m_height * (axis.high - value) / (axis.high - axis.low);
}

double EqPanelGeometry::XOfGridPoint(int k) const {
    return kInsetLeft + static_cast<double>(m_width) * k / kGridPoints;
}

double EqPanelGeometry::FrequencyAtPointer(double px) const {
    if (m_width <= 0) return kMinFrequency;
    return kMinFrequency * std::pow(10.0, std::log10(kMaxFrequency / kMinFrequency) * (px - kInsetLeft) / m_width);
}

double EqPanelGeometry::GainAtPlotY(double plotY) const {
    if (m_height <= 0) return 0.0;
    return kMaxGain - plotY / m_height * (kMaxGain - kMinGain);
}

}  // namespace kv::eq
