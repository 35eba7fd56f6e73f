#pragma once

namespace kv::eq {

// Axes of the small read-only equaliser: 3.4 decades from 10 Hz, +-15 dB.
class SmallEqGeometry {
public:
    static constexpr int kMargin = 2;
    static constexpr int kPoints = 56;
    static constexpr double kMinFrequency = 10.0;
    static constexpr double kDecades = 3.4;
    static constexpr double kGainSpan = 30.0;

    SmallEqGeometry() = default;
    SmallEqGeometry(int clientWidth, int clientHeight);

    int Left() const { return kMargin; }
    int Top() const { return kMargin; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    double XOfFrequency(double freqHz) const;
    double YOfGain(double gainDb) const;
    double GainOfY(double y) const;
    // x of curve point u (single precision, as drawn).
    float PointX(int u) const;
    // Whole-hertz frequency at which curve point u is evaluated.
    double PointFrequency(int u) const;

private:
    int m_width = 0;
    int m_height = 0;
};

}  // namespace kv::eq
