#pragma once

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
class EqPanelGeometry {
public:
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

    // Inverse mappings from pointer client coordinates (pointer conventions above).
    double FrequencyAtPointer(double px) const;
    double GainAtPlotY(double plotY) const;

private:
    int m_width = 0;
    int m_height = 0;
};

}  // namespace kv::eq
