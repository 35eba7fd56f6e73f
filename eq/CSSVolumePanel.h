#pragma once

#include <QFont>
#include <QPixmap>
#include <QStringList>
#include <QWidget>
#include <array>
#include <functional>

#include "eq/RoomGeometry.h"

namespace kv {

// The listening room to scale with the listener (point 0) and the eight speakers; a point
// dragged within the room sets its position. A point outside the room is drawn hollow on its
// border with a warning mark, and each speaker shows the level its distance gives it.
class CSSVolumePanel : public QWidget {
    Q_OBJECT

public:
    static constexpr int kPoints = 9;
    // While read-only (the window is locked) the panel shows its values but takes no edit.
    void SetReadOnly(bool readOnly);
    bool ReadOnly() const { return m_readOnly; }
    static constexpr int kIconSize = 26;

    explicit CSSVolumePanel(QWidget* parent = nullptr);

    void SetRoomSize(double width, double length);
    double RoomWidth() const { return m_roomW; }
    double RoomLength() const { return m_roomL; }
    void SetPoint(int index, double x, double y);
    eq::RoomPoint Point(int index) const { return m_points[static_cast<std::size_t>(index)]; }
    // Names of speakers 1..8 drawn under their icons.
    void SetNames(const QStringList& names);
    // The level in dB a speaker gets (drawn above it) at a distance in metres from the listener; without one no
    // level is shown.
    void SetLevelRule(std::function<double(double)> rule);
    // The level shown beside a speaker, or NaN when no rule is set.
    double Level(int speaker) const;
    bool Outside(int index) const { return Geometry().Outside(Point(index)); }
    int DraggedPoint() const { return m_dragged; }
    eq::RoomGeometry Geometry() const;
    QPointF PixelOf(int index) const;
    static QColor SpeakerColor(int index);

Q_SIGNALS:
    void pointPressed(int index, double x, double y);
    void pointMoved(int index, double x, double y);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void DrawBackground();
    void DrawOutsideMark(QPainter& p, int index, QPointF at) const;

    double m_roomW = 4.0;
    double m_roomL = 4.0;
    std::array<eq::RoomPoint, kPoints> m_points{};
    QStringList m_names;
    int m_dragged = -1;
    QFont m_font;
    QPixmap m_background;
    bool m_readOnly = false;
    std::function<double(double)> m_levelRule;
};

}  // namespace kv
