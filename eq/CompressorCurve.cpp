#include "eq/CompressorCurve.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {

CompressorCurve::CompressorCurve(int clientWidth, int clientHeight)
    : m_clientHeight(clientHeight),
      m_w(std::max(0, clientWidth - kInsetLeft - kInsetRight)),
      m_h(std::max(0, clientHeight - kInsetTop - kInsetBottom)) {}

double CompressorCurve::X(double level) const { return (level - kLowest) * m_w / kSpan + kInsetLeft; }

double CompressorCurve::Y(double level) const { return std::fabs(level - kHighest) * m_h / kSpan + kInsetTop; }

CompressorCurve::Parts CompressorCurve::Curve(double thresholdDb, double floorDb, double slopeAbove,
                                              double slopeBelow) const {
    Parts p;
    p.floor = {X(floorDb), Y(floorDb)};
    p.start = {kInsetLeft, p.floor.y + std::fabs(kLowest - floorDb) * m_h / kSpan * slopeBelow};
    p.threshold = {X(thresholdDb), Y(thresholdDb)};
    p.end = {m_w + kInsetLeft, p.threshold.y - std::fabs(kHighest - thresholdDb) * m_h / kSpan * slopeAbove};
    return p;
}

CurveRect CompressorCurve::Shade(const Parts& parts) const {
    return {kInsetLeft, std::min(parts.end.y, parts.start.y), m_w + kInsetLeft, std::max(parts.end.y, parts.start.y)};
}

std::string CompressorCurve::RowLabel(int level) { return (level > 0 ? "+" : "") + std::to_string(level) + "dB"; }

std::string CompressorCurve::ColumnLabel(int level) { return std::to_string(level) + "dB"; }

}  // namespace kv::eq
