#pragma once

#include <array>

#include "eq/BandRecord.h"

namespace kv::eq {

// The response grid of one plot width: the frequencies and the sin^2 terms the
// magnitude formula needs, so that evaluating a band costs one logarithm per point.
class ResponseGrid {
public:
    explicit ResponseGrid(float plotWidth);

    float PlotWidth() const { return m_plotWidth; }
    float Frequency(int k) const { return m_frequency[k]; }
    double SinSquared(int k) const { return m_sinSquared[k]; }

    // Grid of the given width, rebuilt only when the width changes (per thread).
    static const ResponseGrid& ForWidth(float plotWidth);

private:
    float m_plotWidth;
    std::array<float, kGridPoints> m_frequency{};
    std::array<double, kGridPoints> m_sinSquared{};
};

}  // namespace kv::eq
