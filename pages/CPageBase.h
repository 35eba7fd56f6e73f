#pragma once
// What every hosted page shares: its binder, reload after a synchronisation or a mode load,
// relabel on a language change, the equaliser commands of the status bar, and the wheel,
// which goes to the focused control when that control takes it.

#include <QList>
#include <QPointer>
#include <QWidget>

#include "ui/BindHost.h"
#include "ui/Binder.h"
#include "ui/PageContext.h"

namespace kv {

class CEqEditor;

class CPageBase : public QWidget {
    Q_OBJECT
public:
    CPageBase(PageContext& context, PageId id, int dialog, QWidget* parent = nullptr);
    ~CPageBase() override;

    PageId Id() const { return m_id; }
    // The dialog number of the page's language-table entries.
    int Dialog() const { return m_dialog; }
    // The page's kind (input page code, effect kind, output type); switching it reloads.
    int Kind() const { return m_kind; }
    void SetKind(int kind);

    // Every control from the store, sending nothing.
    void Reload();
    // Texts in the current language.
    void Relabel();

    bool HasEqualiser() const { return m_eq != nullptr; }
    CEqEditor* Equaliser() const { return m_eq; }
    // Bypass and reset of the page's equaliser (the status bar's commands).
    bool EqBypassed() const;
    void ToggleEqBypass();
    void ResetEq();

    // Shows the page locked or usable, as the context says; called when the page opens and
    // whenever the lock changes.
    void ApplyLock();

    Binder& Bind() { return m_host.Bind(); }
    PageContext& Context() { return m_context; }

protected:
    // Hooks of a particular page, called by Reload, Relabel and SetKind.
    virtual void OnKindChanged() {}
    virtual void OnReload() {}
    virtual void OnRelabel() {}
    // The page's own controls outside the binder and the equaliser editor, locked or not.
    virtual void OnLock(bool locked) { Q_UNUSED(locked); }
    // True while locked, after showing every control from the store again: the start of
    // each handler of a page's own that would change a setting.
    bool RefuseLocked();
    // A wheel notch inside the page that no focused control took; true when used.
    virtual bool OnWheel(int steps) {
        Q_UNUSED(steps);
        return false;
    }

    void SetEqualiser(CEqEditor* editor) { m_eq = editor; }
    void SetKindQuietly(int kind) { m_kind = kind; }
    // Extra controls that take the wheel while focused (panels, sliders outside the binder).
    void AddWheelTarget(QWidget* widget) { m_host.AddWheelTarget(widget); }
    // Called once by a page's constructor when its widgets exist: the wheel routed through
    // the page, then the kind, the texts and every control from the store.
    void Open(int kind);

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void RouteWheel();

    PageContext& m_context;
    PageId m_id;
    int m_dialog;
    int m_kind = 0;
    BindHost m_host;
    CEqEditor* m_eq = nullptr;
};

}  // namespace kv
