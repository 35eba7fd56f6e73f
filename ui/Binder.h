#pragma once
// Ties controls to numbered fields of the store, one table row per control: the row says
// the range, how a position is stored and read back, how it is sent, how its value reads,
// and which notice follows. The binder stores first and sends second, writes the labels,
// reloads every bound control from the store without sending, and hands the wheel to the
// focused bound control. Pages describe their controls; they write no handlers.

#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <map>
#include <string>
#include <string_view>
#include <vector>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QWidget;

namespace kv {

struct DeviceContext;
struct Setting;
class PageContext;

// Who asks for a value's text: labels read slightly differently when a control moves, when
// everything is refreshed from the store and when the language changes.
enum class LabelUse { Moving, Refresh, LanguageChange };

// A notice shown after a value was stored and sent, while a field says the change will not
// be heard (a mute) or the input is not in use.
struct BindNotice {
    int field = -1;           // no notice without a field
    bool whenClear = false;   // shown while the field is 0 instead of while it is set
    bool needsValue = false;  // only when the new value is not 0
    const char* chinese = nullptr;
    const char* english = nullptr;
};

// One row: what one control (and any copies of it) is bound to.
struct BindRow {
    int field = -1;  // the field the row stores, or -1 when apply and read do it all
    int minimum = 0;
    int maximum = 100;
    // Values stored for a checked and an unchecked button (check boxes, radio pairs).
    int onValue = 1;
    int offValue = 0;
    // A radio pair's second field, stored with the opposite values.
    int pairField = -1;
    // Position of the control from the store; default: the field, or for buttons whether
    // the field differs from offValue.
    std::function<int(const DeviceContext&)> read;
    // Stores and sends a position; default: the field (and the pair) and SendField.
    std::function<void(DeviceContext&, int position)> apply;
    // Applied to a new position before it is stored (maxima with their notices).
    std::function<int(int position)> limit;
    // Text of the value labels; none without it.
    std::function<QString(int position, LabelUse use)> text;
    // Called with the text whenever the labels are written (captions, list cells).
    std::function<void(const QString&)> show;
    BindNotice notice;
    // What a typed value is read as (unit, range, step); without it, a plain number within
    // minimum..maximum.
    const Setting* setting = nullptr;
    // Limits only the box knows: the reason a position is refused now, or empty.
    std::function<std::string(const DeviceContext&, int position)> refuse;
    // A row whose address the setting table does not know, or that would send a field the
    // wire has no plain address for: its controls do nothing.
    bool unknownAddress = false;
};

// A row bound to a setting by address: its range (position = value / step), read, apply,
// refusal and text come from the setting table. An address the table does not know is a
// fault of the page: it stops a debug build, and otherwise is logged and gives a row that
// refuses every change.
BindRow AddressRow(std::string_view address);
// A row of a window that stages its values for an "Apply" of its own: as AddressRow, but a
// move writes the setting's staged copy and sends nothing.
BindRow StagedAddressRow(std::string_view address);
// The same, with positions counted in steps from the setting's lowest value: a slider over a
// list of values (the crossovers) stands at 0 for the first.
BindRow AddressRowFromLowest(std::string_view address);
// An address template filled by the page: "{out}.mix.music" with {"out", "rear"} gives
// "rear.mix.music". A name without a value is left as it stands, so the address is unknown.
using AddressNames = std::map<std::string, std::string, std::less<>>;
std::string FillAddress(std::string_view pattern, const AddressNames& names);

// A row bound to one field, stored as it is and sent as the field's wire address says.
BindRow FieldRow(int field, int minimum = 0, int maximum = 100);

class Binder : public QObject {
    Q_OBJECT
public:
    Binder(PageContext& context, QObject* parent = nullptr);

    // Adds a row and returns its handle. Controls are bitmap sliders, any QAbstractSlider,
    // check boxes (one button) or radio pairs (two buttons: the first checked means 1), drop-downs
    // (an entry per position), and
    // edit boxes (applied on Enter after clamping; a text that is not a value is refused,
    // the box put back and its reason shown). Copies show the same value. The binder
    // listens to bitmap sliders, buttons and edit boxes unless told not to; other sliders
    // (and controls whose owner routes them) call Issue.
    int Add(BindRow row, QList<QWidget*> controls = {}, QList<QLabel*> labels = {}, bool listen = true);
    // A row by address template ("{out}.mix.music"), filled with the page's names now and
    // again by Rebind when the page switches kind; the notice stays across kinds.
    int AddTemplate(std::string pattern, const AddressNames& names, QList<QWidget*> controls = {},
                    QList<QLabel*> labels = {}, BindNotice notice = {});
    // A template row that only some kinds have ("{out}.surround"): while the names give no
    // setting, its controls do nothing and nothing is logged.
    int AddOptionalTemplate(std::string pattern, const AddressNames& names, QList<QWidget*> controls = {},
                            QList<QLabel*> labels = {}, BindNotice notice = {});
    // The page switched kind: every template row takes its setting for the new names (keeping
    // the page's notice, limit and where its text goes), and every bound control is reloaded
    // (nothing is sent).
    void Rebind(const AddressNames& names);
    const BindRow& Row(int handle) const { return m_rows[static_cast<std::size_t>(handle)].row; }
    int Count() const { return static_cast<int>(m_rows.size()); }

    // A control moved to a position: limit, store, send, show on every copy, notice.
    void Issue(int handle, int position);
    // Current position of a row from the store.
    int Position(int handle) const;
    // Every bound control and label from the store, sending nothing.
    void Reload(LabelUse use = LabelUse::Refresh);
    // Only the labels, in the new language.
    void Relabel();
    // Shows every bound control as locked (disabled or read-only) or usable again. Whatever
    // the look, Issue changes nothing while the context is locked.
    void ShowLocked(bool locked);
    // Whether a wheel notch over the page belongs to this control while it has the focus.
    bool TakesWheel(const QWidget* control) const;
    // The row a control belongs to, or -1.
    int HandleOf(const QWidget* control) const;

Q_SIGNALS:
    void issued(int handle, int position);

private:
    struct Entry {
        BindRow row;
        QList<QPointer<QWidget>> controls;
        QList<QPointer<QLabel>> labels;
        std::string pattern;    // the address template of a template row
        bool optional = false;  // a template not every kind has
    };
    // Slider ranges from the row; the controls of an unknown address disabled.
    void Fit(Entry& e, bool enableKnown);
    // Each control's tooltip from the row's setting, in the interface's language.
    void Tip(Entry& e);
    void Listen(int handle, QWidget* control, int indexInRow);
    void Typed(int handle, QLineEdit* edit);
    void Show(Entry& e, int position, LabelUse use, bool labels = true);
    void ApplyDefault(const BindRow& row, int position);

    PageContext& m_context;
    std::vector<Entry> m_rows;
};

// Printf-style value text of a row, e.g. Format("%d%%").
std::function<QString(int, LabelUse)> Format(const char* format);

}  // namespace kv
