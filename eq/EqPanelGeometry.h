#pragma once

#include <array>
#include <span>

#include "eq/BandLimits.h"
#include "eq/EqMath.h"

namespace kv::eq {

// What the panel plots against frequency.
enum class EqView { Magnitude, Phase, GroupDelay };

// A value axis: its lowest and highest value, the spacing of its grid lines and the decimals
// their labels show.
struct ValueAxis {
    double low = 0.0;
    double high = 1.0;
    double step = 1.0;
    int decimals = 0;
    bool operator==(const ValueAxis&) const = default;
};

// Gain, -15..+15 dB every 3 dB, as the panel has always shown it.
ValueAxis MagnitudeAxis();
// Phase, -180..+180 degrees every 30.
ValueAxis PhaseAxis();
// Group delay: eight grid steps above zero that hold the largest delay (down to 0.25 ms a step,
// up to 20 ms), two below it for the negative delays of shelves and peaks.
ValueAxis GroupDelayAxis(double largestMs);

// Plot placement and axis mapping of the large equaliser panel. Client pixels
// unless a name says "plot" (relative to the plot's top-left corner).
// An axis-aligned box in client pixels.
struct PanelBox {
    double left = 0, top = 0, width = 0, height = 0;
    double Right() const { return left + width; }
    double Bottom() const { return top + height; }
    bool Intersects(const PanelBox& o) const {
        return left < o.Right() && o.left < Right() && top < o.Bottom() && o.top < Bottom();
    }
};

// Where a band's three read-out lines go: a column of labels and a column of values.
struct ReadoutPlacement {
    double labelLeft = 0;  // the labels are right-aligned in [labelLeft, labelLeft + label width]
    double valueLeft = 0;
    std::array<double, 3> tops{};
    bool above = false;
};

class EqPanelGeometry {
public:
    static constexpr double kMarkerHalf = 9;  // half the side of the box a marker covers
    static constexpr int kInsetLeft = 36;
    static constexpr int kInsetTop = 18;
    static constexpr int kInsetRight = 6;
    static constexpr int kInsetBottom = 20;
    // Pointer y is taken relative to this line (two pixels above the plot) when
    // hit testing and dragging; the box's editor has always behaved so.
    static constexpr int kPointerTop = 16;
    static constexpr double kMinFrequency = kGridMinFrequency;
    static constexpr double kMaxFrequency = kGridMaxFrequency;
    static constexpr double kMinGain = eqband::kMinGain;
    static constexpr double kMaxGain = eqband::kMaxGain;

    EqPanelGeometry() = default;
    EqPanelGeometry(int clientWidth, int clientHeight);

    int Left() const { return kInsetLeft; }
    int Top() const { return kInsetTop; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    int Right() const { return kInsetLeft + m_width; }
    int Bottom() const { return kInsetTop + m_height; }

    double XOfFrequency(double freqHz) const;
    double YOfGain(double gainDb) const;
    double YOfValue(double value, const ValueAxis& axis) const;
    // x of grid point k (0..512).
    double XOfGridPoint(int k) const;

    // The read-out of the band whose marker is at (x, y): labels ending left of the marker and
    // values right of it, below the marker (above for a cut). It stays inside the plot, clear
    // of the axis labels around it, and takes the other side when the first would cover
    // another marker and the other would not.
    ReadoutPlacement PlaceReadout(double x, double y, bool above, double lineHeight, double labelWidth,
                                  double valueWidth, std::span<const std::array<double, 2>> otherMarkers) const;

    // Inverse mappings from pointer client coordinates (pointer conventions above).
    double FrequencyAtPointer(double px) const;
    double GainAtPlotY(double plotY) const;

private:
    int m_width = 0;
    int m_height = 0;
};

}  // namespace kv::eq
