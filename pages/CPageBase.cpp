#include "pages/CPageBase.h"

#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QWheelEvent>

#include "pages/CEqEditor.h"

namespace kv {

CPageBase::CPageBase(PageContext& context, PageId id, int dialog, QWidget* parent)
    : QWidget(parent), m_context(context), m_id(id), m_dialog(dialog), m_binder(context) {
    setAutoFillBackground(true);
}

CPageBase::~CPageBase() = default;

void CPageBase::SetKind(int kind) {
    m_kind = kind;
    OnKindChanged();
    Reload();
}

void CPageBase::Reload() {
    m_binder.Reload(LabelUse::Refresh);
    OnReload();
    // A page that enabled its own controls from the store keeps the locked look.
    if (m_context.Locked()) ApplyLock();
}

void CPageBase::Relabel() {
    m_context.ApplyTable(this, m_dialog);
    m_binder.Relabel();
    if (m_eq) m_eq->Relabel();
    OnRelabel();
}

bool CPageBase::EqBypassed() const { return m_eq && m_eq->Bypassed(); }

void CPageBase::ToggleEqBypass() {
    if (m_eq) m_eq->ToggleBypass();
}

void CPageBase::ResetEq() {
    if (m_eq) m_eq->Reset();
}

void CPageBase::ApplyLock() {
    const bool locked = m_context.Locked();
    m_binder.ShowLocked(locked);
    if (m_eq) m_eq->ShowLocked(locked);
    OnLock(locked);
}

bool CPageBase::RefuseLocked() {
    if (!m_context.Locked()) return false;
    Reload();
    return true;
}

void CPageBase::Open(int kind) {
    RouteWheel();
    m_kind = kind;
    OnKindChanged();
    Relabel();
    Reload();
    ApplyLock();
}

void CPageBase::RouteWheel() {
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

bool CPageBase::TakesWheel(QWidget* widget) const {
    if (!widget) return false;
    if (m_binder.TakesWheel(widget)) return true;
    for (const auto& t : m_wheelTargets)
        if (t == widget) return true;
    return m_eq && m_eq->TakesWheel(widget);
}

bool CPageBase::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel) return QWidget::eventFilter(watched, event);
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus != watched && isAncestorOf(focus) && TakesWheel(focus)) {
        // Handed over once: the focused control gets the notch, wherever the cursor is.
        QApplication::sendEvent(focus, event);
        return true;
    }
    if (focus == watched && TakesWheel(focus)) return false;
    auto* wheel = static_cast<QWheelEvent*>(event);
    const int dy = wheel->angleDelta().y();
    if (dy != 0 && OnWheel(dy > 0 ? 1 : -1)) return true;
    // A drop-down, spin box or slider the pointer merely passes while scrolling keeps its value.
    auto* target = qobject_cast<QWidget*>(watched);
    if (target && target != focus &&
        (qobject_cast<QComboBox*>(target) || qobject_cast<QAbstractSpinBox*>(target) ||
         qobject_cast<QAbstractSlider*>(target)))
        return true;
    return QWidget::eventFilter(watched, event);
}

}  // namespace kv
