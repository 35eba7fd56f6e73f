#include "eq/CDelayPanel.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace kv {

namespace {
const QColor kBackground(16, 18, 20);
const QColor kOuterLine(128, 128, 128);
const QColor kInnerLine(60, 62, 66);
const QColor kText(200, 204, 210);
constexpr std::array<QRgb, CDelayPanel::kRows> kRowColors{0xFF00C8FF, 0xFF3CE6A0, 0xFFFFC800, 0xFFFF7840,
                                                          0xFFE664FF, 0xFF8C96FF, 0xFF64E632, 0xFFFF5A8C};
constexpr int kAxisStepMs = 20;
}  // namespace

CDelayPanel::CDelayPanel(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(300, 200);
    m_values.fill(eq::DelayGeometry::kMinMs);
    m_font.setPixelSize(12);
}

QColor CDelayPanel::RowColor(int row) { return QColor::fromRgb(kRowColors[static_cast<std::size_t>(row % kRows)]); }

eq::DelayGeometry CDelayPanel::Geometry() const { return eq::DelayGeometry(0, 0, width(), height()); }

void CDelayPanel::SetValue(int row, double ms) {
    if (row < 0 || row >= kRows) return;
    m_values[static_cast<std::size_t>(row)] =
        std::isnan(ms) ? eq::DelayGeometry::kMinMs
                       : std::clamp(ms, eq::DelayGeometry::kMinMs, eq::DelayGeometry::kMaxMs);
    update();
}

void CDelayPanel::SetNames(const QStringList& names) {
    m_names = names;
    m_background = QPixmap();
    update();
}

QPointF CDelayPanel::HandleCentre(int row) const {
    const auto c = Geometry().HandleCentre(row, Value(row), kHandleSize);
    return {c[0], c[1]};
}

void CDelayPanel::resizeEvent(QResizeEvent* event) {
    m_background = QPixmap();
    QWidget::resizeEvent(event);
}

void CDelayPanel::DrawBackground() {
    m_background = QPixmap(size());
    m_background.fill(kBackground);
    QPainter p(&m_background);
    p.setFont(m_font);
    const eq::DelayGeometry g = Geometry();
    for (int i = 0; i <= kRows; ++i) {
        const double y = i == kRows ? g.PlotBottom() : g.RowTop(i);
        p.setPen(QPen(i == 0 || i == kRows ? kOuterLine : kInnerLine, 1));
        p.drawLine(QPointF(g.PlotLeft(), y), QPointF(g.PlotRight(), y));
    }
    for (int r = 0; r < kRows && r < m_names.size(); ++r) {
        p.setPen(RowColor(r));
        const QRectF band(0, g.RowTop(r), g.PlotLeft() - 5, g.RowHeight());
        p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, m_names[r]);
    }
    p.setPen(kText);
    for (int ms = 0; ms <= 100; ms += kAxisStepMs) {
        const double x = g.X(ms);
        p.drawText(QRectF(x - 40, g.PlotBottom() + 2, 80, 16), Qt::AlignHCenter | Qt::AlignTop,
                   QString::asprintf("%.1fms", static_cast<double>(ms)));
        if (ms == 0 || ms == 100) {
            p.setPen(kOuterLine);
            p.drawLine(QPointF(x, g.PlotTop()), QPointF(x, g.PlotBottom()));
            p.setPen(kText);
        }
    }
}

void CDelayPanel::paintEvent(QPaintEvent*) {
    if (m_background.size() != size()) DrawBackground();
    QPainter p(this);
    p.drawPixmap(0, 0, m_background);
    p.setFont(m_font);
    const eq::DelayGeometry g = Geometry();
    for (int r = 0; r < kRows; ++r) {
        const QColor c = RowColor(r);
        const double x = g.X(Value(r));
        const QPointF centre = HandleCentre(r);
        QPen dash(c, 1, Qt::DashLine);
        p.setPen(dash);
        p.drawLine(QPointF(g.PlotLeft(), centre.y()), QPointF(x, centre.y()));
        QColor drop = c;
        drop.setAlpha(r == m_dragged ? 230 : 90);
        p.setPen(QPen(drop, 1));
        p.drawLine(QPointF(centre.x(), centre.y()), QPointF(centre.x(), g.PlotBottom()));
        p.setPen(QPen(Qt::white, 1));
        p.setBrush(c);
        p.drawRect(QRectF(x, centre.y() - kHandleSize / 2.0, kHandleSize, kHandleSize));
        p.setPen(c);
        p.drawText(QPointF(x + kHandleSize + 4, centre.y() + 4), QString::asprintf("%.1fms", Value(r)));
    }
}

void CDelayPanel::SetReadOnly(bool readOnly) {
    m_readOnly = readOnly;
    if (readOnly) m_dragged = -1;
}

void CDelayPanel::mousePressEvent(QMouseEvent* event) {
    if (m_readOnly) {
        event->ignore();
        return;
    }
    const QPointF pos = event->position();
    m_dragged = Geometry().HitRow(pos.x(), pos.y(), m_values, kHandleSize);
    grabMouse();
    update();
}

void CDelayPanel::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragged < 0) return;
    // The handle's centre follows the pointer.
    const double ms = Geometry().Ms(event->position().x() - kHandleSize / 2.0);
    SetValue(m_dragged, ms);
    Q_EMIT delayDragged(m_dragged, Value(m_dragged));
}

void CDelayPanel::mouseReleaseEvent(QMouseEvent*) {
    releaseMouse();
    m_dragged = -1;
    update();
}

}  // namespace kv
