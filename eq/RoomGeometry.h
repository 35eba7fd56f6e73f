#pragma once
// The room of the speaker-position panel drawn to scale: the client less a 30 px margin holds
// the room at the same metres per pixel both ways, centred; positions in metres (origin at the
// centre, +Y to the front at the top) map to pixels and back, and a press takes the first point
// within 16 px of where it is drawn. A point left outside a room made smaller is drawn on the
// room's border so that it can still be seen and dragged back in.

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
    double RoomLeft() const;
    double RoomTop() const;
    // A position brought into the room's rectangle, and whether it lies outside it.
    RoomPoint Clamped(RoomPoint p) const;
    bool Outside(RoomPoint p) const;
    // Where a position is drawn: its pixel, on the border if it lies outside.
    RoomPoint MarkerPixel(RoomPoint p) const;
    double CentreX() const;
    double CentreY() const;
    // The first point (in order) whose marker lies within 16 px of the pointer both ways, or -1.
    int HitPoint(double px, double py, std::span<const RoomPoint> positions) const;

private:
    int m_left, m_top, m_w, m_h;
    double m_roomW, m_roomL;
    double m_scale;
};

}  // namespace kv::eq
