#include "eq/CSSVolumePanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <limits>
#include <utility>

namespace kv {

namespace {
const QColor kBackground(16, 18, 20);
const QColor kGrid(48, 50, 54);
const QColor kOutline(128, 128, 128);
const QColor kText(190, 194, 200);
const QColor kIndexText(255, 0, 0);
const QColor kWarning(255, 80, 60);
const QColor kLevelText(220, 224, 230);
constexpr std::array<QRgb, 8> kSpeakerColors{0xFF00C8FF, 0xFFFFC800, 0xFF3CE6A0, 0xFFE664FF,
                                             0xFFFF7840, 0xFF8C96FF, 0xFF64E632, 0xFFFF5A8C};

QString EdgeLabel(double half, bool positive) {
    const char* sign = positive ? "+" : "-";
    return std::fabs(half - std::round(half)) < 1e-9 ? QString::asprintf("%s%.0fm", sign, half)
                                                     : QString::asprintf("%s%.1fm", sign, half);
}
}  // namespace

CSSVolumePanel::CSSVolumePanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(240, 240);
    m_font.setFamilies({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")});
    m_font.setPixelSize(13);
}

QColor CSSVolumePanel::SpeakerColor(int index) {
    return QColor::fromRgb(kSpeakerColors[static_cast<std::size_t>((index + 7) % 8)]);
}

eq::RoomGeometry CSSVolumePanel::Geometry() const {
    return eq::RoomGeometry(0, 0, width(), height(), m_roomW, m_roomL);
}

void CSSVolumePanel::SetRoomSize(double width, double length) {
    m_roomW = width;
    m_roomL = length;
    m_background = QPixmap();
    update();
}

void CSSVolumePanel::SetPoint(int index, double x, double y) {
    if (index < 0 || index >= kPoints) return;
    m_points[static_cast<std::size_t>(index)] = {x, y};
    update();
}

void CSSVolumePanel::SetNames(const QStringList& names) {
    m_names = names;
    update();
}

QPointF CSSVolumePanel::PixelOf(int index) const {
    const eq::RoomPoint p = Geometry().MarkerPixel(Point(index));
    return {p.x, p.y};
}

void CSSVolumePanel::SetLevelRule(std::function<double(double)> rule) {
    m_levelRule = std::move(rule);
    update();
}

double CSSVolumePanel::Level(int speaker) const {
    if (!m_levelRule || speaker < 1 || speaker >= kPoints) return std::numeric_limits<double>::quiet_NaN();
    // From the stored positions, as the box is told, not from where the marker is drawn.
    const eq::RoomPoint s = Point(speaker), l = Point(0);
    return m_levelRule(std::hypot(s.x - l.x, s.y - l.y));
}

void CSSVolumePanel::DrawOutsideMark(QPainter& p, int index, QPointF at) const {
    // An arrow from the border towards where the point really is, and a "!" beside it.
    const eq::RoomPoint real = Point(index), shown = Geometry().Clamped(real);
    double dx = real.x - shown.x, dy = -(real.y - shown.y);
    const double len = std::hypot(dx, dy);
    if (len > 0) {
        dx /= len;
        dy /= len;
    }
    const double half = kIconSize / 2.0;
    const QPointF tip = at + QPointF(dx, dy) * (half + 9), base = at + QPointF(dx, dy) * (half + 1);
    const QPointF side(-dy * 4, dx * 4);
    QPainterPath arrow;
    arrow.moveTo(tip);
    arrow.lineTo(base + side);
    arrow.lineTo(base - side);
    arrow.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(kWarning);
    p.drawPath(arrow);
    const QRectF badge(at.x() + half - 6, at.y() - half - 6, 12, 12);
    p.drawEllipse(badge);
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(badge, Qt::AlignCenter, QStringLiteral("!"));
    p.setBrush(Qt::NoBrush);
}

void CSSVolumePanel::resizeEvent(QResizeEvent* event) {
    m_background = QPixmap();
    QWidget::resizeEvent(event);
}

void CSSVolumePanel::DrawBackground() {
    m_background = QPixmap(size());
    m_background.fill(kBackground);
    QPainter p(&m_background);
    p.setFont(m_font);
    const eq::RoomGeometry g = Geometry();
    const double halfW = m_roomW / 2, halfL = m_roomL / 2;
    const eq::RoomPoint tl = g.Pixel(-halfW, halfL), br = g.Pixel(halfW, -halfL);
    const QRectF room(QPointF(tl.x, tl.y), QPointF(br.x, br.y));
    auto vertical = [&](double x, const QString& label) {
        const double px = g.Pixel(x, 0).x;
        p.drawLine(QPointF(px, room.top()), QPointF(px, room.bottom()));
        p.setPen(kText);
        p.drawText(QRectF(px - 30, room.bottom() + 4, 60, 16), Qt::AlignHCenter | Qt::AlignTop, label);
    };
    auto horizontal = [&](double y, const QString& label) {
        const double py = g.Pixel(0, y).y;
        p.drawLine(QPointF(room.left(), py), QPointF(room.right(), py));
        p.setPen(kText);
        p.drawText(QRectF(0, py - 8, room.left() - 3, 16), Qt::AlignRight | Qt::AlignVCenter, label);
    };
    for (int m = 1; m < halfW; ++m) {
        p.setPen(kGrid);
        vertical(m, QStringLiteral("+%1m").arg(m));
        p.setPen(kGrid);
        vertical(-m, QStringLiteral("-%1m").arg(m));
    }
    for (int m = 1; m < halfL; ++m) {
        p.setPen(kGrid);
        horizontal(m, QStringLiteral("+%1m").arg(m));
        p.setPen(kGrid);
        horizontal(-m, QStringLiteral("-%1m").arg(m));
    }
    p.setPen(kGrid);
    vertical(0, QStringLiteral("0"));
    p.setPen(kGrid);
    horizontal(0, QStringLiteral("0"));
    p.setPen(kOutline);
    vertical(halfW, EdgeLabel(halfW, true));
    p.setPen(kOutline);
    vertical(-halfW, EdgeLabel(halfW, false));
    p.setPen(kOutline);
    horizontal(halfL, EdgeLabel(halfL, true));
    p.setPen(kOutline);
    horizontal(-halfL, EdgeLabel(halfL, false));
}

void CSSVolumePanel::paintEvent(QPaintEvent*) {
    if (m_background.size() != size()) DrawBackground();
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
    p.setRenderHint(QPainter::Antialiasing);
    const double half = kIconSize / 2.0;
    QFont index(QStringLiteral("Arial"));
    index.setPointSize(12);
    index.setBold(true);
    QFont name(QStringLiteral("Arial"));
    name.setPointSize(8);
    for (int i = 1; i < kPoints; ++i) {
        const QPointF c = PixelOf(i);
        const QColor col = SpeakerColor(i);
        const bool outside = Outside(i);
        // A cabinet with its cone; hollow and dashed while it stands outside the room.
        p.setPen(QPen(outside ? kWarning : col, 1.5, outside ? Qt::DashLine : Qt::SolidLine));
        p.setBrush(outside ? QBrush(Qt::NoBrush) : QBrush(QColor(40, 44, 50)));
        p.drawRoundedRect(QRectF(c.x() - half, c.y() - half, kIconSize, kIconSize), 4, 4);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(c, half * 0.7, half * 0.7);
        p.setFont(index);
        p.setPen(kIndexText);
        p.drawText(QRectF(c.x() - half, c.y() - half, kIconSize, kIconSize), Qt::AlignCenter, QString::number(i));
        if (i - 1 < m_names.size()) {
            p.setFont(name);
            p.setPen(col);
            p.drawText(QRectF(c.x() - 60, c.y() + half + 1, 120, 16), Qt::AlignHCenter | Qt::AlignTop, m_names[i - 1]);
        }
        if (const double level = Level(i); std::isfinite(level)) {
            p.setFont(name);
            p.setPen(kLevelText);
            const QString text = QString::asprintf("%.1fdB", level);
            // Above the icon: its name is under it, and a neighbour or the listener may sit beside it.
            p.drawText(QRectF(c.x() - 30, c.y() - half - 15, 60, 14), Qt::AlignHCenter | Qt::AlignBottom, text);
        }
        if (outside) DrawOutsideMark(p, i, c);
    }
    // The listener: a head seen from above, nose to the front.
    const QPointF c = PixelOf(0);
    const bool listenerOutside = Outside(0);
    p.setPen(
        QPen(listenerOutside ? kWarning : QColor(240, 240, 240), 1.5, listenerOutside ? Qt::DashLine : Qt::SolidLine));
    p.setBrush(QColor(230, 180, 60));
    p.drawEllipse(c, half * 0.6, half * 0.6);
    p.drawEllipse(QPointF(c.x() - half * 0.6, c.y()), 3, 4);
    p.drawEllipse(QPointF(c.x() + half * 0.6, c.y()), 3, 4);
    QPainterPath nose;
    nose.moveTo(c.x() - 3, c.y() - half * 0.55);
    nose.lineTo(c.x(), c.y() - half * 0.85);
    nose.lineTo(c.x() + 3, c.y() - half * 0.55);
    p.drawPath(nose);
    if (listenerOutside) DrawOutsideMark(p, 0, c);
}

void CSSVolumePanel::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    if (readOnly) m_dragged = -1;
}

void CSSVolumePanel::mousePressEvent(QMouseEvent* event) {
    if (m_readOnly) {
        event->ignore();
        return;
    }
    const QPointF pos = event->position();
    m_dragged = Geometry().HitPoint(pos.x(), pos.y(), m_points);
    if (m_dragged >= 0) {
        const eq::RoomPoint pt = Point(m_dragged);
        Q_EMIT pointPressed(m_dragged, pt.x, pt.y);
    }
}

void CSSVolumePanel::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragged < 0) return;
    const eq::RoomPoint pt = Geometry().Metres(event->position().x(), event->position().y());
    m_points[static_cast<std::size_t>(m_dragged)] = pt;
    Q_EMIT pointMoved(m_dragged, pt.x, pt.y);
    update();
}

void CSSVolumePanel::mouseReleaseEvent(QMouseEvent*) { m_dragged = -1; }

}  // namespace kv
