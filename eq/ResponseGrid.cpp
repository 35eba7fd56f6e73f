#include "eq/ResponseGrid.h"

#include <cmath>
#include <memory>
#include <numbers>

#include "eq/EqMath.h"

namespace kv::eq {

ResponseGrid::ResponseGrid(float plotWidth) : m_plotWidth(plotWidth) {
    for (int k = 0; k < kGridPoints; ++k) {
        m_frequency[k] = GridFrequency(k, plotWidth);
        const double s = std::sin(std::numbers::pi * m_frequency[k] / kSampleRate);
        m_sinSquared[k] = s * s;
    }
}

const ResponseGrid& ResponseGrid::ForWidth(float plotWidth) {
    thread_local std::unique_ptr<ResponseGrid> cached;
    if (!cached || cached->m_plotWidth != plotWidth) {
        cached = std::make_unique<ResponseGrid>(plotWidth);
    }
    return *cached;
}

}  // namespace kv::eq
