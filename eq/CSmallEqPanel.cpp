#include "eq/CSmallEqPanel.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "eq/EqMath.h"
#include "eq/PanelFonts.h"

namespace kv {

namespace {

constexpr std::array<float, CSmallEqPanel::kBands> kStartFrequencies = {31, 62, 125, 250, 500, 1000, 2000};
constexpr std::array<double, 29> kFrequencyLines = {10,   20,   30,   40,   50,   60,   70,   80,    90,   100,
                                                    200,  300,  400,  500,  600,  700,  800,  900,   1000, 2000,
                                                    3000, 4000, 5000, 6000, 7000, 8000, 9000, 10000, 20000};
constexpr std::array<int, 11> kMajorGains = {-15, -12, -9, -6, -3, 0, 3, 6, 9, 12, 15};

}  // namespace

CSmallEqPanel::CSmallEqPanel(QWidget* parent) : QWidget(parent), m_passFont(kv::eq::HeiFont(32)) {
    setAttribute(Qt::WA_Hover);
    for (std::size_t i = 0; i < kBands; ++i) m_bands[i].frequency = kStartFrequencies[i];
    SyncGeometry();
}

void CSmallEqPanel::SetFrequency(int band, double freqHz) {
    if (band < 0 || band >= kBands || std::fabs(freqHz) < 1e-7) return;
    Band& b = BandAt(band);
    b.frequency = static_cast<float>(std::clamp(freqHz, eqband::kMinFrequency, eqband::kMaxFrequency));
    EvaluateBand(band);
    update();
}

void CSmallEqPanel::SetGain(int band, double gainDb) {
    if (band < 0 || band >= kBands) return;
    BandAt(band).gain = static_cast<float>(
        std::clamp(gainDb, static_cast<double>(kMinGainSetting), static_cast<double>(kMaxGainSetting)));
    EvaluateBand(band);
    update();
}

bool CSmallEqPanel::SyncGeometry() {
    // A hidden panel gets its resize event only when shown; pages set bands before that.
    if (size() == m_geometrySize) return false;
    m_geometrySize = size();
    m_geometry = kv::eq::SmallEqGeometry(width(), height());
    m_gridCache = QPixmap();
    for (int i = 0; i < kBands; ++i) EvaluateWithCurrentGeometry(i);
    UpdateCurve();
    return true;
}

void CSmallEqPanel::EvaluateBand(int band) {
    if (band < 0 || band >= kBands) return;
    if (SyncGeometry()) return;  // every band was evaluated for the new size
    EvaluateWithCurrentGeometry(band);
    UpdateCurve();
}

void CSmallEqPanel::EvaluateWithCurrentGeometry(int band) {
    Band& b = BandAt(band);
    b.x = static_cast<int>(m_geometry.XOfFrequency(b.frequency));
    b.y = static_cast<int>(m_geometry.YOfGain(b.gain));
    // Pass filters take no gain factor here; the peaking section no output gain.
    const double gain = (b.code == kv::eq::kCodeLowPass || b.code == kv::eq::kCodeHighPass) ? 0.0 : b.gain;
    const kv::eq::Biquad section = kv::eq::DesignSection(b.code, gain, b.frequency, b.q);
    for (int u = 0; u < kPoints; ++u) {
        const double db = b.code == kv::eq::kCodeOff ? 0.0 : kv::eq::MagnitudeDb(section, m_geometry.PointFrequency(u));
        b.pointY[static_cast<std::size_t>(u)] = static_cast<float>(m_geometry.YOfGain(db));
    }
}

void CSmallEqPanel::EvaluateAll() {
    if (SyncGeometry()) return;
    for (int i = 0; i < kBands; ++i) EvaluateWithCurrentGeometry(i);
    UpdateCurve();  // once, after every band
}

void CSmallEqPanel::UpdateCurve() {
    for (int u = 0; u < kPoints; ++u) {
        double sum = 0.0;
        for (const Band& b : m_bands) {
            if (b.code == kv::eq::kCodeOff) continue;
            // Each band is read back from its drawn point and rounded to 0.1 dB.
            const double v = m_geometry.GainOfY(b.pointY[static_cast<std::size_t>(u)]);
            sum += std::trunc(10.0 * v + 0.5) / 10.0;
        }
        m_curve[static_cast<std::size_t>(u)] =
            QPoint(static_cast<int>(m_geometry.PointX(u)), static_cast<int>(m_geometry.YOfGain(sum)));
    }
}

void CSmallEqPanel::SetCurveColor(QRgb color) {
    m_curveColor = color;
    update();
}

void CSmallEqPanel::SetBypass(bool bypass) {
    m_bypass = bypass;
    update();
}

void CSmallEqPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    SyncGeometry();
    update();
}

void CSmallEqPanel::EnsureGridCache() {
    const qreal dpr = devicePixelRatioF();
    if (!m_gridCache.isNull() && m_gridCache.devicePixelRatio() == dpr && m_gridCache.size() == size() * dpr) {
        return;
    }
    m_gridCache = QPixmap(size() * dpr);
    m_gridCache.setDevicePixelRatio(dpr);
    m_gridCache.fill(Qt::black);
    QPainter painter(&m_gridCache);
    const kv::eq::SmallEqGeometry& g = m_geometry;
    const double left = g.Left();
    const double right = g.Left() + g.Width();
    auto hline = [&](int db, QRgb color) {
        painter.setPen(QPen(QColor::fromRgba(color), 1));
        const double y = std::floor(g.YOfGain(db)) + 0.5;  // crisp one-pixel lines
        painter.drawLine(QPointF(left, y), QPointF(right, y));
    };
    for (int db = -15; db <= 15; ++db) hline(db, 0xFF171717);
    for (int db : kMajorGains) hline(db, std::abs(db) == 15 ? 0xFF808080 : 0xFF404040);
    painter.setPen(QPen(QColor::fromRgba(0xFF404040), 1));
    for (double f : kFrequencyLines) {
        const double x = std::floor(g.XOfFrequency(f)) + 0.5;
        painter.drawLine(QPointF(x, g.Top()), QPointF(x, g.Top() + g.Height()));
    }
}

void CSmallEqPanel::paintEvent(QPaintEvent*) {
    SyncGeometry();
    EnsureGridCache();
    QPainter painter(this);
    painter.drawPixmap(0, 0, m_gridCache);
    if (m_hover) painter.fillRect(rect(), QColor::fromRgba(0x65606060));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setPen(QPen(QColor::fromRgba(m_curveColor), 1.7));
    painter.drawPolyline(m_curve.data(), kPoints);
    if (m_bypass) {
        painter.setFont(m_passFont);
        painter.setPen(Qt::white);
        painter.drawText(rect(), Qt::AlignCenter, QStringLiteral("PASS"));
    }
    if (m_hover) {
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0, 255, 255), 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void CSmallEqPanel::enterEvent(QEnterEvent* event) {
    QWidget::enterEvent(event);
    m_hover = true;
    update();
}

void CSmallEqPanel::leaveEvent(QEvent* event) {
    QWidget::leaveEvent(event);
    m_hover = false;
    update();
}

void CSmallEqPanel::mousePressEvent(QMouseEvent* event) { m_pressed = event->button() == Qt::LeftButton; }

void CSmallEqPanel::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click) Q_EMIT clicked();
}

}  // namespace kv
