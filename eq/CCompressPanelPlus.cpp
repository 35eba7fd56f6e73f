#include "eq/CCompressPanelPlus.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "eq/CompressorCurve.h"

namespace kv {

namespace {
const QColor kBackground(10, 12, 14);
const QColor kGridPen(0, 110, 0);
const QColor kLabelText(255, 255, 0);
const QColor kCurvePen(0, 207, 255);
const QColor kThresholdDot(255, 10, 10, 200);
const QColor kShade(120, 120, 120, 65);
const QColor kOffText(0, 150, 255);
constexpr int kLabelPixels = 12;
constexpr int kOffPoints = 40;
constexpr double kDotDiameter = 8.0;
constexpr int kLabelRight = 38;  // row labels end here
constexpr int kColumnLabelBottomGap = 23;

QPointF P(const eq::CurvePoint& p) { return {p.x, p.y}; }
}  // namespace

CCompressPanelPlus::CCompressPanelPlus(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(120, 90);
}

void CCompressPanelPlus::SetEnabled(int enabled) {
    m_enabled = enabled;
    update();
}

void CCompressPanelPlus::SetThreshold(double db) {
    m_threshold = db;
    update();
}

void CCompressPanelPlus::SetFloor(double db) {
    m_floor = db;
    update();
}

void CCompressPanelPlus::SetRatio(double ratio) {
    // A ratio below 1 (or none) would bend the curve upwards; draw it 1:1.
    m_slopeAbove = ratio >= 1.0 ? 1.0 / ratio : 1.0;
    update();
}

void CCompressPanelPlus::resizeEvent(QResizeEvent* event) {
    m_grid = QPixmap();
    QWidget::resizeEvent(event);
}

void CCompressPanelPlus::DrawGrid() {
    const qreal dpr = devicePixelRatioF();
    m_grid = QPixmap(size() * dpr);
    m_grid.setDevicePixelRatio(dpr);
    m_grid.fill(kBackground);
    QPainter p(&m_grid);
    const eq::CompressorCurve c(width(), height());
    QFont font = p.font();
    font.setPixelSize(kLabelPixels);
    p.setFont(font);
    const double right = c.Width() + eq::CompressorCurve::kInsetLeft;
    const double bottom = c.Height() + eq::CompressorCurve::kInsetTop;
    for (int level : eq::CompressorCurve::kRows) {
        const double y = c.Y(level);
        p.setPen(QPen(kGridPen, 1));
        p.drawLine(QPointF(eq::CompressorCurve::kInsetLeft, y), QPointF(right, y));
        p.setPen(kLabelText);
        p.drawText(QRectF(0, y - kLabelPixels, kLabelRight, 2 * kLabelPixels), Qt::AlignRight | Qt::AlignVCenter,
                   QString::fromStdString(eq::CompressorCurve::RowLabel(level)));
    }
    // A narrow panel labels every second column so that the labels do not run together.
    const double spacing = c.X(eq::CompressorCurve::kColumns[1]) - c.X(eq::CompressorCurve::kColumns[0]);
    const int step = spacing < p.fontMetrics().horizontalAdvance(QStringLiteral("-90dB")) + 4 ? 2 : 1;
    for (std::size_t i = 0; i < eq::CompressorCurve::kColumns.size(); ++i) {
        const int level = eq::CompressorCurve::kColumns[i];
        const double x = c.X(level);
        p.setPen(QPen(kGridPen, 1));
        p.drawLine(QPointF(x, eq::CompressorCurve::kInsetTop), QPointF(x, bottom));
        if (i % static_cast<std::size_t>(step) != 0) continue;
        p.setPen(kLabelText);
        p.drawText(QRectF(x - 30, height() - kColumnLabelBottomGap, 60, kLabelPixels + 6),
                   Qt::AlignHCenter | Qt::AlignTop, QString::fromStdString(eq::CompressorCurve::ColumnLabel(level)));
    }
}

void CCompressPanelPlus::paintEvent(QPaintEvent*) {
    if (!GridCached()) DrawGrid();
    QPainter p(this);
    p.drawPixmap(0, 0, m_grid);
    const eq::CompressorCurve c(width(), height());
    const auto parts = c.Curve(m_threshold, m_floor, m_slopeAbove, m_slopeBelow);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(kCurvePen, 2));
    p.drawLine(P(parts.start), P(parts.floor));
    p.drawLine(P(parts.floor), P(parts.threshold));
    p.drawLine(P(parts.threshold), P(parts.end));
    p.setPen(Qt::NoPen);
    p.setBrush(kThresholdDot);
    p.drawEllipse(P(parts.threshold), kDotDiameter / 2, kDotDiameter / 2);
    const eq::CurveRect shade = c.Shade(parts);
    p.fillRect(QRectF(QPointF(shade.left, shade.top), QPointF(shade.right, shade.bottom)), kShade);
    if (!m_enabled) {
        QFont font = p.font();
        font.setPointSize(kOffPoints);
        p.setFont(font);
        p.setPen(kOffText);
        const QRectF plot(eq::CompressorCurve::kInsetLeft, eq::CompressorCurve::kInsetTop, c.Width(), c.Height());
        p.drawText(plot, Qt::AlignCenter, QStringLiteral("OFF"));
    }
}

}  // namespace kv
