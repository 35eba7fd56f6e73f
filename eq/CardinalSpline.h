#pragma once

#include <QPainterPath>
#include <QPointF>
#include <algorithm>
#include <span>

namespace kv::eq {

// Smooth curve through every point: each segment is a cubic whose tangents are
// tension * (next - previous) / 3, wrapping round when the curve is closed.
// Tension 0.5 is the usual default; 0 gives straight segments.
QPainterPath CardinalSplinePath(std::span<const QPointF> points, double tension, bool closed);

}  // namespace kv::eq
