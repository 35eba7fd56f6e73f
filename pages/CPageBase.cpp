#include "pages/CPageBase.h"

#include "pages/CEqEditor.h"

namespace kv {

CPageBase::CPageBase(PageContext& context, PageId id, int dialog, QWidget* parent)
    : QWidget(parent), m_context(context), m_id(id), m_dialog(dialog), m_host(context, *this, dialog) {
    setAutoFillBackground(true);
    m_host.takesWheel = [this](const QWidget* w) { return m_eq && m_eq->TakesWheel(w); };
    m_host.onWheel = [this](int steps) { return OnWheel(steps); };
}

CPageBase::~CPageBase() {
    // The host is gone before QWidget's destructor deletes the children, whose last events
    // would otherwise still reach the filter and the host.
    removeEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->removeEventFilter(this);
}

void CPageBase::SetKind(int kind) {
    m_kind = kind;
    OnKindChanged();
    Reload();
}

void CPageBase::Reload() {
    m_host.Reload(LabelUse::Refresh);
    OnReload();
    // A page that enabled its own controls from the store keeps the locked look.
    if (m_context.Locked()) ApplyLock();
}

void CPageBase::Relabel() {
    m_host.Relabel();
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
    m_host.ShowLocked();
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
    // The page filters its children itself (pages add filters of their own) and routes the
    // wheel through its host.
    installEventFilter(this);
    for (QWidget* w : findChildren<QWidget*>()) w->installEventFilter(this);
}

bool CPageBase::eventFilter(QObject* watched, QEvent* event) {
    return m_host.Wheel(watched, event) || QWidget::eventFilter(watched, event);
}

}  // namespace kv
