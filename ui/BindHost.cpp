#include "ui/BindHost.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>
#include <QWidget>

#include "ui/PageContext.h"

namespace kv {

BindHost::BindHost(PageContext& context, QWidget& root, int dialog)
    : QObject(&root), m_context(context), m_root(root), m_dialog(dialog), m_binder(context, this) {}

void BindHost::Relabel() {
    m_context.ApplyTable(&m_root, m_dialog);
    m_binder.Relabel();
}

void BindHost::ShowLocked() { m_binder.ShowLocked(m_context.Locked()); }

void BindHost::RouteWheel() {
    m_root.installEventFilter(this);
    for (QWidget* w : m_root.findChildren<QWidget*>()) w->installEventFilter(this);
}

bool BindHost::TakesWheel(const QWidget* widget) const {
    if (!widget) return false;
    if (m_binder.TakesWheel(widget)) return true;
    for (const auto& t : m_wheelTargets)
        if (t == widget) return true;
    return takesWheel && takesWheel(widget);
}

bool BindHost::Wheel(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return false;
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != watched && m_root.isAncestorOf(focus) && TakesWheel(focus)) {
        // Handed over once: the focused control gets the notch, wherever the cursor is.
        QApplication::sendEvent(focus, event);
        return true;
    }
    if (focus == watched && TakesWheel(focus)) return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    const int dy = wheel->angleDelta().y();
    if (dy != 0 && onWheel && onWheel(dy > 0 ? 1 : -1)) return true;
    // A drop-down, spin box or slider the pointer merely passes while scrolling keeps its value.
    auto* target = qobject_cast<QWidget*>(watched);
    return target && target != focus &&
           (qobject_cast<QComboBox*>(target) || qobject_cast<QAbstractSpinBox*>(target) ||
            qobject_cast<QAbstractSlider*>(target));
}

bool BindHost::eventFilter(QObject* watched, QEvent* event) {
    return Wheel(watched, event) || QObject::eventFilter(watched, event);
}

}  // namespace kv
