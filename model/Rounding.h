#pragma once

#include <algorithm>
#include <cmath>

namespace kv {

// A stored value as a control's position: rounded, kept within ±1e6, and 0 for a value that
// is not a number (a box or a file may have left anything in the store).
inline int RoundedPosition(double v) {
    return std::isfinite(v) ? static_cast<int>(std::lround(std::clamp(v, -1e6, 1e6))) : 0;
}

}  // namespace kv
