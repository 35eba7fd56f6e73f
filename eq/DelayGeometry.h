#pragma once
// Where the delay panel draws: eight rows over a time axis of 0 to 106 ms inside fixed insets,
// a delay value to a handle's x and back, and which handle a press takes.

#include <array>
#include <span>

namespace kv::eq {

class DelayGeometry {
public:
    static constexpr int kRows = 8;
    static constexpr int kInsetLeft = 78;
    static constexpr int kInsetRight = 18;
    static constexpr int kInsetTop = 5;
    static constexpr int kInsetBottom = 20;
    static constexpr double kAxisMs = 106.0;
    static constexpr double kMinMs = 1.5;
    static constexpr double kMaxMs = 100.0;
    static constexpr double kHitPixels = 15.0;

    DelayGeometry(int left, int top, int right, int bottom);

    double PlotLeft() const { return m_left + kInsetLeft; }
    double PlotRight() const { return m_right - kInsetRight; }
    double PlotTop() const { return m_top + kInsetTop; }
    double PlotBottom() const { return m_bottom - kInsetBottom; }
    // Top of row i's band, and the band's height.
    int RowTop(int row) const;
    double RowHeight() const;
    // The handle's x (its left edge) for a delay, and the delay a handle's x stands for.
    double X(double ms) const;
    double Ms(double x) const;
    // The handle's centre for a row at a delay, with handles `handleWidth` x `handleHeight`.
    std::array<double, 2> HandleCentre(int row, double ms, int handleWidth) const;
    // The first row whose handle centre lies within 15 px of the point both ways, or -1.
    int HitRow(double x, double y, std::span<const double> values, int handleWidth) const;

private:
    int m_left, m_top, m_right, m_bottom;
};

}  // namespace kv::eq
