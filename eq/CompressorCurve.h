#pragma once
// Where the compressor panel draws: levels from -90 to +6 dB on both axes inside fixed insets,
// the static curve in three straight parts (below the floor, 1:1 up to the threshold, the
// compressed part up to +6 dB input) and the shaded band between the curve's ends.

#include <array>
#include <string>

namespace kv::eq {

struct CurvePoint {
    double x = 0.0;
    double y = 0.0;
};

struct CurveRect {
    double left = 0.0, top = 0.0, right = 0.0, bottom = 0.0;
};

class CompressorCurve {
public:
    static constexpr int kInsetLeft = 40;
    static constexpr int kInsetRight = 20;
    static constexpr int kInsetTop = 20;
    static constexpr int kInsetBottom = 25;
    static constexpr double kLowest = -90.0;
    static constexpr double kHighest = 6.0;
    static constexpr double kSpan = kHighest - kLowest;  // 96 dB

    // Levels of the horizontal grid lines (top to bottom) and of the vertical ones (left to right).
    static constexpr std::array<int, 11> kRows{6, 0, -10, -20, -30, -40, -50, -60, -70, -80, -90};
    static constexpr std::array<int, 6> kColumns{-90, -70, -50, -30, -10, 6};

    CompressorCurve(int clientWidth, int clientHeight);

    double Width() const { return m_w; }
    double Height() const { return m_h; }
    double X(double level) const;
    double Y(double level) const;

    // The four corners of the curve: the left edge, the floor, the threshold and the right edge.
    struct Parts {
        CurvePoint start, floor, threshold, end;
    };
    Parts Curve(double thresholdDb, double floorDb, double slopeAbove, double slopeBelow = 1.0) const;
    // The translucent band from the curve's right end down to its left end, across the plot.
    CurveRect Shade(const Parts& parts) const;

    // Labels of the grid: rows read "+6dB", "0dB", "-10dB"; columns "6dB", "-10dB".
    static std::string RowLabel(int level);
    static std::string ColumnLabel(int level);

private:
    int m_clientHeight;
    double m_w;
    double m_h;
};

}  // namespace kv::eq
