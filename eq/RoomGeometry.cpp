#include "eq/RoomGeometry.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {

namespace {
// Positions within this of the border count as on it: stored floats of a room edge.
constexpr double kEdgeSlack = 1e-4;
}  // namespace

RoomGeometry::RoomGeometry(int left, int top, int clientWidth, int clientHeight, double roomWidth, double roomLength)
    : m_left(left),
      m_top(top),
      m_w(clientWidth),
      m_h(clientHeight),
      m_roomW(roomWidth > 0 ? roomWidth : 1.0),
      m_roomL(roomLength > 0 ? roomLength : 1.0),
      // One scale for both axes, the one that fits the room's longer side.
      m_scale(std::max(0.0, std::min((clientWidth - 2 * kMargin) / m_roomW, (clientHeight - 2 * kMargin) / m_roomL))) {}

double RoomGeometry::PixelsPerMetreX() const { return m_scale; }
double RoomGeometry::PixelsPerMetreY() const { return m_scale; }
double RoomGeometry::CentreX() const { return m_left + m_w / 2.0; }
double RoomGeometry::CentreY() const { return m_top + m_h / 2.0; }
double RoomGeometry::RoomLeft() const { return CentreX() - m_scale * m_roomW / 2; }
double RoomGeometry::RoomTop() const { return CentreY() - m_scale * m_roomL / 2; }

RoomPoint RoomGeometry::Pixel(double x, double y) const { return {CentreX() + m_scale * x, CentreY() - m_scale * y}; }

RoomPoint RoomGeometry::Metres(double px, double py) const {
    if (!(m_scale > 0.0)) return {};
    return Clamped({(px - CentreX()) / m_scale, (CentreY() - py) / m_scale});
}

RoomPoint RoomGeometry::Clamped(RoomPoint p) const {
    const double halfW = m_roomW / 2, halfL = m_roomL / 2;
    // A value that is not a number is drawn at the centre rather than nowhere.
    const double x = std::isnan(p.x) ? 0.0 : std::clamp(p.x, -halfW, halfW);
    const double y = std::isnan(p.y) ? 0.0 : std::clamp(p.y, -halfL, halfL);
    return {x, y};
}

bool RoomGeometry::Outside(RoomPoint p) const {
    return !(std::fabs(p.x) <= m_roomW / 2 + kEdgeSlack) || !(std::fabs(p.y) <= m_roomL / 2 + kEdgeSlack);
}

RoomPoint RoomGeometry::MarkerPixel(RoomPoint p) const {
    const RoomPoint c = Clamped(p);
    return Pixel(c.x, c.y);
}

int RoomGeometry::HitPoint(double px, double py, std::span<const RoomPoint> positions) const {
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const RoomPoint p = MarkerPixel(positions[i]);
        if (std::fabs(p.x - px) <= kHitPixels && std::fabs(p.y - py) <= kHitPixels) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace kv::eq
