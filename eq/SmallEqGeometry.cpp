#include "eq/SmallEqGeometry.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {

SmallEqGeometry::SmallEqGeometry(int clientWidth, int clientHeight)
    : m_width(std::max(0, clientWidth - 2 * kMargin)), m_height(std::max(0, clientHeight - 2 * kMargin)) {}

double SmallEqGeometry::XOfFrequency(double freqHz) const {
    return kMargin + std::log10(freqHz / kMinFrequency) * m_width / kDecades;
}

double SmallEqGeometry::YOfGain(double gainDb) const {
    return kMargin + m_height / 2.0 - gainDb * m_height / kGainSpan;
}

double SmallEqGeometry::GainOfY(double y) const {
    if (m_height <= 0) return 0.0;
    return (kMargin + m_height / 2.0 - y) * kGainSpan / m_height;
}

float SmallEqGeometry::PointX(int u) const {
    return static_cast<float>(kMargin) +
           static_cast<float>(m_width) * static_cast<float>(u) / static_cast<float>(kPoints);
}

double SmallEqGeometry::PointFrequency(int u) const {
    if (m_width <= 0) return kMinFrequency;
    const double rel = (PointX(u) - static_cast<float>(kMargin)) / static_cast<float>(m_width);
    return std::floor(kMinFrequency * std::pow(10.0, rel * kDecades));
}

}  // namespace kv::eq
