#include "eq/EqPanelGeometry.h"

#include <algorithm>
#include <cmath>

#include "eq/BandRecord.h"

namespace kv::eq {

EqPanelGeometry::EqPanelGeometry(int clientWidth, int clientHeight)
    : m_width(std::max(0, clientWidth - kInsetLeft - kInsetRight)),
      m_height(std::max(0, clientHeight - kInsetTop - kInsetBottom)) {}

double EqPanelGeometry::XOfFrequency(double freqHz) const {
    return kInsetLeft + m_width * std::log10(freqHz / kMinFrequency) / std::log10(kMaxFrequency / kMinFrequency);
}

double EqPanelGeometry::YOfGain(double gainDb) const {
    return kInsetTop + m_height * (kMaxGain - gainDb) / (kMaxGain - kMinGain);
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
