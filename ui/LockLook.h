#pragma once
// How a control looks while the window is locked: edit boxes turn read-only (their text stays
// readable), everything else is disabled. The control remembers that the lock did it, so
// unlocking gives back exactly what was usable before and leaves alone what a page disabled.

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLineEdit>
#include <QList>
#include <QVariant>
#include <QWidget>

namespace kv {

inline void SetLockLook(QWidget* control, bool locked) {
    static constexpr char kByLock[] = "kvLockedOut";
    if (!control) return;
    const bool byLock = control->property(kByLock).toBool();
    auto* edit = qobject_cast<QLineEdit*>(control);
    if (locked) {
        const bool usable = edit ? !edit->isReadOnly() : !control->testAttribute(Qt::WA_Disabled);
        if (!usable) return;
        if (edit)
            edit->setReadOnly(true);
        else
            control->setEnabled(false);
        control->setProperty(kByLock, true);
    } else if (byLock) {
        if (edit)
            edit->setReadOnly(false);
        else
            control->setEnabled(true);
        control->setProperty(kByLock, QVariant());
    }
}

// Every control of a small window at once: buttons, sliders, drop-downs and edit boxes, but
// not those in keep (a close button, say).
inline void SetLockLookAll(QWidget* root, bool locked, const QList<QWidget*>& keep = {}) {
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (keep.contains(w)) continue;
        if (qobject_cast<QAbstractButton*>(w) || qobject_cast<QAbstractSlider*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QLineEdit*>(w) || w->inherits("kv::CXBmpSlider"))
            SetLockLook(w, locked);
    }
}

}  // namespace kv
