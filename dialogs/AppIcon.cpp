#include "dialogs/AppIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kv {

namespace {
QPixmap DrawIcon(int size) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 160));
    p.drawRoundedRect(QRectF(0.5, 0.5, s - 1, s - 1), s * 0.18, s * 0.18);
    // A stylised response curve: what the box is about.
    QPainterPath curve;
    curve.moveTo(s * 0.12, s * 0.62);
    curve.cubicTo(s * 0.32, s * 0.62, s * 0.36, s * 0.22, s * 0.5, s * 0.22);
    curve.cubicTo(s * 0.64, s * 0.22, s * 0.68, s * 0.78, s * 0.88, s * 0.5);
    p.setPen(QPen(QColor(255, 210, 60), s * 0.09, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
    p.setPen(QPen(QColor(220, 230, 255), s * 0.05));
    p.drawLine(QPointF(s * 0.12, s * 0.82), QPointF(s * 0.88, s * 0.82));
    return pixmap;
}
}  // namespace

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64}) icon.addPixmap(DrawIcon(size));
    return icon;
}

}  // namespace kv
