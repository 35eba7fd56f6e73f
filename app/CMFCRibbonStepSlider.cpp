#include "app/CMFCRibbonStepSlider.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace kv {

CMFCRibbonStepSlider::CMFCRibbonStepSlider(QWidget* parent) : QSlider(Qt::Horizontal, parent) {
    // A click focuses it, so the keys that follow move it and not the category tabs.
    setFocusPolicy(Qt::StrongFocus);
    setTracking(true);
    setSingleStep(1);
    setPageStep(1);
    connect(this, &QSlider::valueChanged, this, [this](int value) {
        if (isSliderDown()) Q_EMIT issued(value);
    });
}

QRect CMFCRibbonStepSlider::HandleRect() const {
    QStyleOptionSlider opt;
    initStyleOption(&opt);
    return style()->subControlRect(QStyle::CC_Slider, &opt, QStyle::SC_SliderHandle, this);
}

void CMFCRibbonStepSlider::StepAndIssue(int delta) {
    setValue(value() + delta);
    Q_EMIT issued(value());
}

void CMFCRibbonStepSlider::mousePressEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    // Only the left button moves the slider. Other buttons would make the style jump the
    // thumb to the cursor without issuing, leaving the box behind what the ribbon shows.
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (HandleRect().contains(pos)) {
        QSlider::mousePressEvent(event);
        return;
    }
    // A click on the track: one unit towards the click, no auto-repeat while held.
    const QRect handle = HandleRect();
    const bool towardsMax =
        orientation() == Qt::Horizontal ? pos.x() > handle.center().x() : pos.y() < handle.center().y();
    event->accept();
    StepAndIssue(towardsMax != invertedAppearance() ? 1 : -1);
}

void CMFCRibbonStepSlider::keyPressEvent(QKeyEvent* event) {
    const int before = value();
    switch (event->key()) {
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_PageUp:
            setValue(before + 1);
            break;
        case Qt::Key_Left:
        case Qt::Key_Down:
        case Qt::Key_PageDown:
            setValue(before - 1);
            break;
        case Qt::Key_Home:
            setValue(minimum());
            break;
        case Qt::Key_End:
            setValue(maximum());
            break;
        default:
            QSlider::keyPressEvent(event);
            return;
    }
    event->accept();
    // At an end of the range the key is still taken, but there is nothing to send.
    if (value() != before) Q_EMIT issued(value());
}

void CMFCRibbonStepSlider::wheelEvent(QWheelEvent* event) {
    // The ribbon never turns with the wheel; the main view decides what a notch does.
    event->ignore();
}

}  // namespace kv
