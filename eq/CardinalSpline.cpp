#include "eq/CardinalSpline.h"

namespace kv::eq {

QPainterPath CardinalSplinePath(std::span<const QPointF> points, double tension, bool closed) {
    QPainterPath path;
    const auto n = static_cast<std::ptrdiff_t>(points.size());
    if (n == 0) return path;
    path.moveTo(points[0]);
    if (n == 1) return path;
    const double k = tension / 3.0;
    auto at = [&](std::ptrdiff_t i) -> const QPointF& {
        if (closed) return points[static_cast<std::size_t>((i % n + n) % n)];
        return points[static_cast<std::size_t>(std::clamp<std::ptrdiff_t>(i, 0, n - 1))];
    };
    const std::ptrdiff_t segments = closed ? n : n - 1;
    for (std::ptrdiff_t i = 0; i < segments; ++i) {
        const QPointF& p0 = at(i - 1);
        const QPointF& p1 = at(i);
        const QPointF& p2 = at(i + 1);
        const QPointF& p3 = at(i + 2);
        path.cubicTo(p1 + k * (p2 - p0), p2 - k * (p3 - p1), p2);
    }
    if (closed) path.closeSubpath();
    return path;
}

}  // namespace kv::eq
