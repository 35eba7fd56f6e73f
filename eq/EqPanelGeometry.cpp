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

namespace {
constexpr double kLabelGap = 10;  // the labels end this far left of the marker's centre
constexpr double kValueGap = 13;  // the values start this far right of it
constexpr double kColumnGap = 3;
constexpr std::array<double, 3> kBelow = {18, 27, 36};
constexpr std::array<double, 3> kAbove = {-42, -33, -24};
}  // namespace

ReadoutPlacement EqPanelGeometry::PlaceReadout(double x, double y, bool above, double lineHeight, double labelWidth,
                                               double valueWidth,
                                               std::span<const std::array<double, 2>> otherMarkers) const {
    ReadoutPlacement p;
    const double both = labelWidth + kColumnGap + valueWidth;
    if (x - kLabelGap - labelWidth < Left()) {
        p.labelLeft = std::min(x + kValueGap, Right() - both);  // no room left of the marker
        p.valueLeft = p.labelLeft + labelWidth + kColumnGap;
    } else if (x + kValueGap + valueWidth > Right()) {
        p.valueLeft = std::max(x - kLabelGap - valueWidth, Left() + labelWidth + kColumnGap);
        p.labelLeft = p.valueLeft - kColumnGap - labelWidth;
    } else {
        p.labelLeft = x - kLabelGap - labelWidth;
        p.valueLeft = x + kValueGap;
    }
    const PanelBox columns{p.labelLeft, 0, p.valueLeft + valueWidth - p.labelLeft, 0};
    const auto boxOf = [&](const std::array<double, 3>& offsets) {
        PanelBox b = columns;
        b.top = y + offsets.front();
        b.height = offsets.back() - offsets.front() + lineHeight;
        return b;
    };
    const auto fits = [&](const PanelBox& b) { return b.top >= Top() && b.Bottom() <= Bottom(); };
    const auto covered = [&](const PanelBox& b) {
        int n = 0;
        for (const auto& m : otherMarkers)
            n += b.Intersects({m[0] - kMarkerHalf, m[1] - kMarkerHalf, 2 * kMarkerHalf, 2 * kMarkerHalf}) ? 1 : 0;
        return n;
    };
    const PanelBox first = boxOf(above ? kAbove : kBelow);
    const PanelBox other = boxOf(above ? kBelow : kAbove);
    const bool flip = fits(other) && (!fits(first) || covered(other) < covered(first));
    p.above = flip ? !above : above;
    const std::array<double, 3>& offsets = p.above ? kAbove : kBelow;
    for (std::size_t l = 0; l < offsets.size(); ++l) p.tops[l] = y + offsets[l];
    return p;
}

}  // namespace kv::eq
