#include "eq/DelayGeometry.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {

DelayGeometry::DelayGeometry(int left, int top, int right, int bottom)
    : m_left(left), m_top(top), m_right(right), m_bottom(bottom) {}

int DelayGeometry::RowTop(int row) const {
    return static_cast<int>(std::lround((m_bottom - m_top - 25) / static_cast<double>(kRows) * row + m_top + 5));
}

double DelayGeometry::RowHeight() const { return (PlotBottom() - PlotTop()) / kRows; }

double DelayGeometry::X(double ms) const {
    return std::fabs((m_right - m_left - 96) / kAxisMs * ms) + m_left + kInsetLeft;
}

double DelayGeometry::Ms(double x) const {
    const double scale = (m_right - m_left - 96) / kAxisMs;
    if (!(scale > 0.0)) return kMinMs;  // a panel too narrow to have an axis
    return std::clamp((x - m_left - kInsetLeft) / scale, kMinMs, kMaxMs);
}

std::array<double, 2> DelayGeometry::HandleCentre(int row, double ms, int handleWidth) const {
    return {X(ms) + handleWidth / 2.0, RowTop(row) + RowHeight() / 2.0};
}

int DelayGeometry::HitRow(double x, double y, std::span<const double> values, int handleWidth) const {
    const int rows = std::min<int>(kRows, static_cast<int>(values.size()));
    for (int r = 0; r < rows; ++r) {
        const auto c = HandleCentre(r, values[static_cast<std::size_t>(r)], handleWidth);
        if (std::fabs(c[0] - x) <= kHitPixels && std::fabs(c[1] - y) <= kHitPixels) return r;
    }
    return -1;
}

}  // namespace kv::eq
