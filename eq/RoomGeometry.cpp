#include "eq/RoomGeometry.h"

#include <algorithm>
#include <cmath>

namespace kv::eq {

RoomGeometry::RoomGeometry(int left, int top, int clientWidth, int clientHeight, double roomWidth, double roomLength)
    : m_left(left),
      m_top(top),
      m_w(clientWidth),
      m_h(clientHeight),
      m_roomW(roomWidth > 0 ? roomWidth : 1.0),
      m_roomL(roomLength > 0 ? roomLength : 1.0) {}

double RoomGeometry::PixelsPerMetreX() const { return (m_w - 2 * kMargin) / m_roomW; }
double RoomGeometry::PixelsPerMetreY() const { return (m_h - 2 * kMargin) / m_roomL; }
double RoomGeometry::CentreX() const { return PixelsPerMetreX() * (m_roomW / 2) + m_left + kMargin; }
double RoomGeometry::CentreY() const { return PixelsPerMetreY() * (m_roomL / 2) + m_top + kMargin; }

RoomPoint RoomGeometry::Pixel(double x, double y) const {
    return {PixelsPerMetreX() * (m_roomW / 2 + x) + m_left + kMargin,
            PixelsPerMetreY() * (m_roomL / 2 - y) + m_top + kMargin};
}

RoomPoint RoomGeometry::Metres(double px, double py) const {
    const double sx = PixelsPerMetreX(), sy = PixelsPerMetreY();
    if (!(sx > 0.0) || !(sy > 0.0)) return {};
    px = std::clamp(px, static_cast<double>(m_left + kMargin), static_cast<double>(m_left + m_w - kMargin));
    py = std::clamp(py, static_cast<double>(m_top + kMargin), static_cast<double>(m_top + m_h - kMargin));
    return {(px - CentreX()) / sx, (CentreY() - py) / sy};
}

int RoomGeometry::HitPoint(double px, double py, std::span<const RoomPoint> positions) const {
    for (std::size_t i = 0; i < positions.size(); ++i) {
        const RoomPoint p = Pixel(positions[i].x, positions[i].y);
        if (std::fabs(p.x - px) <= kHitPixels && std::fabs(p.y - py) <= kHitPixels) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace kv::eq
