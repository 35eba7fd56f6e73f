#pragma once
// What a page and a window bound by address share: the binder, the texts of their
// language-table entry, reload and the lock look, and the wheel, which goes only to the
// focused control that takes it, wherever the pointer is.

#include <QList>
#include <QObject>
#include <QPointer>
#include <functional>

#include "ui/Binder.h"

class QWidget;

namespace kv {

class PageContext;

class BindHost : public QObject {
    Q_OBJECT
public:
    BindHost(PageContext& context, QWidget& root, int dialog);

    Binder& Bind() { return m_binder; }
    const Binder& Bind() const { return m_binder; }

    // Every bound control from the store, sending nothing.
    void Reload(LabelUse use = LabelUse::Refresh) { m_binder.Reload(use); }
    // The texts of the language table's entry and of every bound label.
    void Relabel();
    // Bound controls locked or usable, as the context says.
    void ShowLocked();

    // The wheel over the root and every child it has now goes through this host.
    void RouteWheel();
    // Extra controls that take the wheel while focused (sliders outside the binder).
    void AddWheelTarget(QWidget* widget) { m_wheelTargets.append(widget); }
    // Further controls that take it (an equaliser editor's panels and lists).
    std::function<bool(const QWidget*)> takesWheel;
    // A notch that no focused control took; true when used.
    std::function<bool(int steps)> onWheel;
    bool TakesWheel(const QWidget* widget) const;
    // The routing itself, for an owner that filters its children's events itself: true when
    // the event was used or must go no further.
    bool Wheel(QObject* watched, QEvent* event);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PageContext& m_context;
    QWidget& m_root;
    int m_dialog;
    Binder m_binder;
    QList<QPointer<QWidget>> m_wheelTargets;
};

}  // namespace kv
