#include "eq/CXBmpSlider.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace kv {

namespace {

constexpr int kThumbLength = 14;
constexpr int kThumbBreadth = 22;
constexpr int kGrooveBreadth = 6;

}  // namespace

CXBmpSlider::CXBmpSlider(int id, Qt::Orientation orientation, QWidget* parent)
    : QWidget(parent), m_id(id), m_orientation(orientation), m_background(240, 250, 255) {
    setFocusPolicy(Qt::StrongFocus);
    BuildDefaultImages();
}

QSize CXBmpSlider::sizeHint() const {
    return m_orientation == Qt::Horizontal ? QSize(160, kThumbBreadth + 4) : QSize(kThumbBreadth + 4, 160);
}

void CXBmpSlider::SetRange(int minimum, int maximum) {
    m_minimum = std::min(minimum, maximum);
    m_maximum = std::max(minimum, maximum);
    m_position = std::clamp(m_position, m_minimum, m_maximum);
    update();
}

void CXBmpSlider::SetPosition(int position) {
    m_position = std::clamp(position, m_minimum, m_maximum);
    update();
}

void CXBmpSlider::SetMargins(int margin) {
    m_margin = std::max(0, margin);
    update();
}

void CXBmpSlider::SetBackground(const QColor& color) {
    m_background = color;
    update();
}

void CXBmpSlider::SetImages(const Images& images) {
    m_images = images;
    m_ownImages = false;
    update();
}

QSize CXBmpSlider::ThumbSize() const {
    if (!m_images.thumb.isNull()) return m_images.thumb.deviceIndependentSize().toSize();
    return m_orientation == Qt::Horizontal ? QSize(kThumbLength, kThumbBreadth) : QSize(kThumbBreadth, kThumbLength);
}

double CXBmpSlider::TravelStart() const {
    const QSize t = ThumbSize();
    return m_margin + (m_orientation == Qt::Horizontal ? t.width() : t.height()) / 2.0;
}

double CXBmpSlider::TravelLength() const {
    const QSize t = ThumbSize();
    const int extent = m_orientation == Qt::Horizontal ? width() : height();
    const int thumb = m_orientation == Qt::Horizontal ? t.width() : t.height();
    return std::max(1.0, static_cast<double>(extent - 2 * m_margin - thumb));
}

QRect CXBmpSlider::ThumbRect() const {
    const QSize t = ThumbSize();
    const double span = std::max(1, m_maximum - m_minimum);
    const double fraction = (m_position - m_minimum) / span;
    if (m_orientation == Qt::Horizontal) {
        const double cx = TravelStart() + fraction * TravelLength();
        return QRect(static_cast<int>(std::lround(cx - t.width() / 2.0)), (height() - t.height()) / 2, t.width(),
                     t.height());
    }
    // The maximum sits at the top.
    const double cy = TravelStart() + (1.0 - fraction) * TravelLength();
    return QRect((width() - t.width()) / 2, static_cast<int>(std::lround(cy - t.height() / 2.0)), t.width(),
                 t.height());
}

int CXBmpSlider::PositionAt(QPointF pos) const {
    const double along = m_orientation == Qt::Horizontal ? pos.x() : pos.y();
    double fraction = (along - TravelStart()) / TravelLength();
    if (m_orientation == Qt::Vertical) fraction = 1.0 - fraction;
    const int value = m_minimum + static_cast<int>(std::lround(fraction * (m_maximum - m_minimum)));
    return std::clamp(value, m_minimum, m_maximum);
}

void CXBmpSlider::PostChanged() {
    // Posted, not sent: the page handles the change after the input event is done.
    const int id = m_id;
    const int position = m_position;
    QMetaObject::invokeMethod(
        this, [this, id, position] { Q_EMIT changed(id, position); }, Qt::QueuedConnection);
}

void CXBmpSlider::UserSetPosition(int position) {
    m_position = std::clamp(position, m_minimum, m_maximum);
    update();
    PostChanged();
}

void CXBmpSlider::MoveBy(int step) { UserSetPosition(m_position + step); }

void CXBmpSlider::mousePressEvent(QMouseEvent* event) {
    if (!isEnabled() || event->button() != Qt::LeftButton) return;
    setFocus(Qt::MouseFocusReason);
    const QRect thumb = ThumbRect();
    if (thumb.contains(event->position().toPoint())) {
        m_dragging = true;
        update();
        PostChanged();
        return;
    }
    const QPointF c = QRectF(thumb).center();
    int step = 0;
    if (m_orientation == Qt::Horizontal) {
        step = event->position().x() < c.x() ? -1 : 1;
    } else {
        step = event->position().y() > c.y() ? -1 : 1;  // below the thumb lowers
    }
    MoveBy(step);
}

void CXBmpSlider::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging) return;
    UserSetPosition(PositionAt(event->position()));
}

void CXBmpSlider::mouseReleaseEvent(QMouseEvent*) {
    if (!m_dragging) return;
    m_dragging = false;
    update();
}

void CXBmpSlider::keyPressEvent(QKeyEvent* event) {
    if (!isEnabled()) return;
    switch (event->key()) {
        case Qt::Key_Up:
        case Qt::Key_Right:
            MoveBy(1);
            break;
        case Qt::Key_Down:
        case Qt::Key_Left:
            MoveBy(-1);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CXBmpSlider::wheelEvent(QWheelEvent* event) {
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    // Only the focused slider turns: scrolling past one never changes it.
    if (delta == 0 || !isEnabled() || !hasFocus()) {
        event->ignore();
        return;
    }
    MoveBy(delta > 0 ? 1 : -1);
    event->accept();
}

void CXBmpSlider::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    const int id = m_id;
    QMetaObject::invokeMethod(
        this, [this, id] { Q_EMIT focused(id); }, Qt::QueuedConnection);
    update();
}

void CXBmpSlider::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (m_ownImages) BuildDefaultImages();
}

void CXBmpSlider::BuildDefaultImages() {
    const qreal dpr = devicePixelRatioF();
    const bool horizontal = m_orientation == Qt::Horizontal;
    const QSize groove = horizontal ? QSize(std::max(1, width() - 2 * m_margin), kGrooveBreadth)
                                    : QSize(kGrooveBreadth, std::max(1, height() - 2 * m_margin));
    auto make = [dpr](QSize size) {
        QPixmap p(size * dpr);
        p.setDevicePixelRatio(dpr);
        p.fill(Qt::transparent);
        return p;
    };
    auto paintGroove = [&](QPixmap& p, QColor from, QColor to) {
        QPainter painter(&p);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF r(0.5, 0.5, groove.width() - 1.0, groove.height() - 1.0);
        QLinearGradient g(r.topLeft(), horizontal ? r.bottomLeft() : r.topRight());
        g.setColorAt(0, from);
        g.setColorAt(1, to);
        painter.setPen(QPen(QColor(90, 110, 130), 1));
        painter.setBrush(g);
        painter.drawRoundedRect(r, 3, 3);
    };
    m_images.channel = make(groove);
    paintGroove(m_images.channel, QColor(150, 160, 170), QColor(215, 222, 230));
    m_images.filled = make(groove);
    paintGroove(m_images.filled, QColor(0, 120, 215), QColor(80, 190, 255));

    const QSize thumb = horizontal ? QSize(kThumbLength, kThumbBreadth) : QSize(kThumbBreadth, kThumbLength);
    auto paintThumb = [&](QPixmap& p, QColor light, QColor dark) {
        QPainter painter(&p);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF r(0.5, 0.5, thumb.width() - 1.0, thumb.height() - 1.0);
        QLinearGradient g(r.topLeft(), horizontal ? r.topRight() : r.bottomLeft());
        g.setColorAt(0, light);
        g.setColorAt(0.5, dark);
        g.setColorAt(1, light);
        painter.setPen(QPen(QColor(60, 70, 80), 1));
        painter.setBrush(g);
        painter.drawRoundedRect(r, 3, 3);
        painter.setPen(QPen(QColor(40, 40, 40, 160), 1));
        const QPointF c = r.center();
        if (horizontal) {
            painter.drawLine(QPointF(c.x(), r.top() + 4), QPointF(c.x(), r.bottom() - 4));
        } else {
            painter.drawLine(QPointF(r.left() + 4, c.y()), QPointF(r.right() - 4, c.y()));
        }
    };
    m_images.thumb = make(thumb);
    paintThumb(m_images.thumb, QColor(250, 250, 250), QColor(190, 196, 204));
    m_images.thumbPressed = make(thumb);
    paintThumb(m_images.thumbPressed, QColor(210, 235, 255), QColor(120, 170, 220));
}

void CXBmpSlider::paintEvent(QPaintEvent*) {
    if (m_ownImages && !qFuzzyCompare(m_images.thumb.devicePixelRatio(), devicePixelRatioF())) {
        BuildDefaultImages();
    }
    QPainter painter(this);
    painter.fillRect(rect(), m_background);
    const QSizeF groove = m_images.channel.deviceIndependentSize();
    const QRect thumb = ThumbRect();
    const QPointF c = QRectF(thumb).center();
    if (m_orientation == Qt::Horizontal) {
        const double y = (height() - groove.height()) / 2.0;
        painter.drawPixmap(QPointF(m_margin, y), m_images.channel);
        const double filled = std::max(0.0, c.x() - m_margin);
        const qreal dpr = m_images.filled.devicePixelRatio();
        painter.drawPixmap(QRectF(m_margin, y, filled, groove.height()), m_images.filled,
                           QRectF(0, 0, filled * dpr, groove.height() * dpr));
    } else {
        const double x = (width() - groove.width()) / 2.0;
        painter.drawPixmap(QPointF(x, m_margin), m_images.channel);
        const double bottom = m_margin + groove.height();
        const double filled = std::max(0.0, bottom - c.y());
        const qreal dpr = m_images.filled.devicePixelRatio();
        painter.drawPixmap(QRectF(x, bottom - filled, groove.width(), filled), m_images.filled,
                           QRectF(0, (groove.height() - filled) * dpr, groove.width() * dpr, filled * dpr));
    }
    painter.drawPixmap(thumb.topLeft(), m_dragging ? m_images.thumbPressed : m_images.thumb);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(0, 120, 215), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    if (!isEnabled()) painter.fillRect(rect(), QColor(255, 255, 255, 120));
}

}  // namespace kv
