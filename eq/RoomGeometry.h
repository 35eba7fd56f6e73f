#pragma once
// The room of the speaker-position panel drawn to scale: the client less a 30 px margin holds
// the room, positions in metres (origin at the centre, +Y to the front at the top) map to
// pixels and back, and a press takes the first point within 16 px.

#include <span>

namespace kv::eq {

struct RoomPoint {
    double x = 0.0;
    double y = 0.0;
};

class RoomGeometry {
public:
    static constexpr int kMargin = 30;
    static constexpr double kHitPixels = 16.0;

    RoomGeometry(int left, int top, int clientWidth, int clientHeight, double roomWidth, double roomLength);

    // Pixel of a position, and the position of a pixel clamped into the room's rectangle.
    RoomPoint Pixel(double xMetres, double yMetres) const;
    RoomPoint Metres(double px, double py) const;
    double PixelsPerMetreX() const;
    double PixelsPerMetreY() const;
    double CentreX() const;
    double CentreY() const;
    // The first point (in order) whose pixel lies within 16 px of the pointer both ways, or -1.
    int HitPoint(double px, double py, std::span<const RoomPoint> positions) const;

private:
    int m_left, m_top, m_w, m_h;
    double m_roomW, m_roomL;
};

}  // namespace kv::eq
