#include "eq/CGdipButton.h"

#include <QEnterEvent>
#include <QPainter>
#include <QToolTip>

#include "eq/PanelFonts.h"

namespace kv {

CGdipButton::CGdipButton(QWidget* parent) : QAbstractButton(parent), m_captionFont(kv::eq::SongFont(12)) {
    setAttribute(Qt::WA_Hover);
    setCursor(Qt::PointingHandCursor);
}

QSize CGdipButton::sizeHint() const {
    if (!m_standard.isNull()) return m_standard.deviceIndependentSize().toSize();
    return {80, 28};
}

void CGdipButton::SetImages(const QImage& standard, const QImage& alternate) {
    m_standard = standard;
    m_alternate = alternate;
    InvalidateLooks();
    updateGeometry();
    update();
}

void CGdipButton::SetToolTipText(const QString& text) { m_toolTip = text; }

void CGdipButton::SetLatched(bool latched) {
    m_latched = latched;
    update();
}

void CGdipButton::InvalidateLooks() {
    for (QPixmap& p : m_looks) p = QPixmap();
}

void CGdipButton::resizeEvent(QResizeEvent* event) {
    QAbstractButton::resizeEvent(event);
    InvalidateLooks();
}

const QPixmap& CGdipButton::LookPixmap(Look look) {
    // The caption is drawn into the looks: a new caption (a language change) redraws them.
    if (m_lookText != text()) {
        InvalidateLooks();
        m_lookText = text();
    }
    QPixmap& cached = m_looks[look];
    const qreal dpr = devicePixelRatioF();
    if (!cached.isNull() && cached.devicePixelRatio() == dpr) return cached;
    cached = QPixmap(size() * dpr);
    cached.setDevicePixelRatio(dpr);
    cached.fill(Qt::transparent);
    QPainter painter(&cached);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QRect r = rect();
    const QImage& image = (look == kPressed && !m_alternate.isNull()) ? m_alternate : m_standard;
    if (!image.isNull()) {
        painter.drawImage(r, image);
    } else {
        painter.setPen(QColor(90, 110, 130));
        painter.setBrush(look == kPressed ? QColor(120, 170, 220) : QColor(225, 232, 240));
        painter.drawRoundedRect(QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
    }
    if (look == kHover) painter.fillRect(r, QColor(255, 255, 255, 60));
    if (!text().isEmpty()) {
        painter.setFont(m_captionFont);
        painter.setPen(look == kPressed ? Qt::white : QColor(20, 30, 40));
        painter.drawText(r.translated(look == kPressed ? 1 : 0, look == kPressed ? 1 : 0), Qt::AlignCenter, text());
    }
    return cached;
}

void CGdipButton::paintEvent(QPaintEvent*) {
    const Look look = (m_latched || isDown() || isChecked()) ? kPressed : m_hover ? kHover : kNormal;
    QPainter painter(this);
    painter.drawPixmap(0, 0, LookPixmap(look));
}

void CGdipButton::enterEvent(QEnterEvent* event) {
    QAbstractButton::enterEvent(event);
    m_hover = true;
    if (!m_toolTip.isEmpty()) QToolTip::showText(mapToGlobal(rect().bottomLeft()), m_toolTip, this);
    update();
}

void CGdipButton::leaveEvent(QEvent* event) {
    QAbstractButton::leaveEvent(event);
    m_hover = false;
    QToolTip::hideText();
    update();
}

}  // namespace kv
