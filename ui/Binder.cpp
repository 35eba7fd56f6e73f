#include "ui/Binder.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>
#include <cmath>

#include "device/DeviceContext.h"
#include "device/SettingTable.h"
#include "device/WireTable.h"
#include "eq/CXBmpSlider.h"
#include "ui/LockLook.h"
#include "ui/NumberText.h"
#include "ui/PageContext.h"
#include "ui/SettingTip.h"
#include "ui/UiLog.h"

namespace kv {

namespace {
bool IsToggle(const BindRow& row) { return row.minimum == 0 && row.maximum == 1; }

// Two radio buttons stand for 1 and 0; two check boxes are copies of one switch.
template <typename List>
bool IsRadioPair(const List& controls) {
    if (controls.size() != 2) return false;
    const auto* first = qobject_cast<const QAbstractButton*>(static_cast<const QWidget*>(controls[0]));
    return first && first->autoExclusive();
}
}  // namespace

std::function<QString(int, LabelUse)> Format(const char* format) {
    return [format](int v, LabelUse) { return QString::asprintf(format, v); };
}

BindRow FieldRow(int field, int minimum, int maximum) {
    BindRow row;
    row.field = field;
    row.minimum = minimum;
    row.maximum = maximum;
    return row;
}

namespace {
// A row bound to a setting; positions are (value - origin) / step.
BindRow SettingRow(std::string_view address, bool fromLowest) {
    BindRow row;
    const Setting* s = FindSetting(address);
    if (!s) {
        const QByteArray name = QByteArray(address.data(), static_cast<qsizetype>(address.size()));
#ifndef NDEBUG
        qFatal("binder: no setting \"%s\"", name.constData());
#endif
        qCCritical(lcKvUi, "binder: no setting \"%s\"; its controls do nothing", name.constData());
        row.unknownAddress = true;
        return row;
    }
    const double step = s->step;
    // Positions count from the lowest value for a slider over a list of values, else from the
    // setting's own zero position.
    const double origin = fromLowest ? s->minimum : s->positionZero;
    row.setting = s;
    row.minimum = static_cast<int>(std::lround((s->minimum - origin) / step));
    row.maximum = static_cast<int>(std::lround((s->maximum - origin) / step));
    row.read = [s, step, origin](const DeviceContext& d) {
        return static_cast<int>(std::lround((s->read(d) - origin) / step));
    };
    row.apply = [s, step, origin](DeviceContext& d, int p) { s->apply(d, origin + p * step); };
    if (s->refuse)
        row.refuse = [s, step, origin](const DeviceContext& d, int p) { return s->refuse(d, origin + p * step); };
    row.text = [s, step, origin](int p, LabelUse) {
        return QString::fromStdString(FormatSetting(*s, origin + p * step));
    };
    return row;
}

// The row of a template for the names; an optional template without a setting gives a row
// whose controls do nothing.
BindRow TemplateRow(const std::string& pattern, const AddressNames& names, bool optional) {
    const std::string address = FillAddress(pattern, names);
    if (optional && !FindSetting(address)) {
        BindRow row;
        row.unknownAddress = true;
        return row;
    }
    return AddressRow(address);
}
}  // namespace

BindRow AddressRow(std::string_view address) { return SettingRow(address, false); }
BindRow AddressRowFromLowest(std::string_view address) { return SettingRow(address, true); }

BindRow StagedAddressRow(std::string_view address) {
    BindRow row = AddressRow(address);
    if (row.unknownAddress) return row;
    const Setting* s = row.setting;
    if (!s->stage) {
        const QByteArray name = QByteArray(address.data(), static_cast<qsizetype>(address.size()));
#ifndef NDEBUG
        qFatal("binder: setting \"%s\" is not staged", name.constData());
#endif
        qCCritical(lcKvUi, "binder: setting \"%s\" is not staged; its controls do nothing", name.constData());
        row.unknownAddress = true;
        return row;
    }
    const double step = s->step;
    const double zero = s->positionZero;
    row.apply = [s, step, zero](DeviceContext& d, int p) { s->stage(d, zero + p * step); };
    // The window keeps a staged value within the limits it is editing, which the box does not
    // know yet.
    row.refuse = nullptr;
    return row;
}

std::string FillAddress(std::string_view pattern, const AddressNames& names) {
    std::string out;
    std::size_t i = 0;
    while (i < pattern.size()) {
        const std::size_t open = pattern.find('{', i);
        const std::size_t close = open == std::string_view::npos ? open : pattern.find('}', open);
        if (close == std::string_view::npos) break;
        out += pattern.substr(i, open - i);
        const auto it = names.find(pattern.substr(open + 1, close - open - 1));
        out += it != names.end() ? std::string_view(it->second) : pattern.substr(open, close - open + 1);
        i = close + 1;
    }
    out += pattern.substr(std::min(i, pattern.size()));
    return out;
}

Binder::Binder(PageContext& context, QObject* parent) : QObject(parent), m_context(context) {}

int Binder::Add(BindRow row, QList<QWidget*> controls, QList<QLabel*> labels, bool listen) {
    if (!row.apply && row.field >= 0 && !WireOfField(row.field)) {
        // Found when the page is built, not at the first edit: the field needs an encoder of its own.
#ifndef NDEBUG
        qFatal("binder: field %d has no plain wire address", row.field);
#endif
        qCCritical(lcKvUi, "binder: field %d has no plain wire address; its controls do nothing", row.field);
        row.unknownAddress = true;
    }
    const int handle = static_cast<int>(m_rows.size());
    Entry e;
    e.row = std::move(row);
    for (QWidget* c : controls) e.controls.append(c);
    for (QLabel* l : labels) e.labels.append(l);
    m_rows.push_back(std::move(e));
    Fit(m_rows.back(), false);
    if (listen)
        for (int i = 0; i < controls.size(); ++i) Listen(handle, controls[i], i);
    return handle;
}

int Binder::AddTemplate(std::string pattern, const AddressNames& names, QList<QWidget*> controls, QList<QLabel*> labels,
                        BindNotice notice) {
    BindRow row = AddressRow(FillAddress(pattern, names));
    row.notice = notice;
    const int handle = Add(std::move(row), std::move(controls), std::move(labels));
    m_rows.back().pattern = std::move(pattern);
    return handle;
}

int Binder::AddOptionalTemplate(std::string pattern, const AddressNames& names, QList<QWidget*> controls,
                                QList<QLabel*> labels, BindNotice notice) {
    BindRow row = TemplateRow(pattern, names, true);
    row.notice = notice;
    const int handle = Add(std::move(row), std::move(controls), std::move(labels));
    m_rows.back().pattern = std::move(pattern);
    m_rows.back().optional = true;
    return handle;
}

void Binder::Rebind(const AddressNames& names) {
    for (Entry& e : m_rows) {
        if (e.pattern.empty()) continue;
        BindRow row = TemplateRow(e.pattern, names, e.optional);
        row.notice = e.row.notice;
        row.limit = std::move(e.row.limit);
        row.show = std::move(e.row.show);
        e.row = std::move(row);
        Fit(e, true);
    }
    Reload();
}

void Binder::Tip(Entry& e) {
    // The setting's own words, for every page and window alike; a row without a setting
    // leaves its controls' tips to the page.
    if (!e.row.setting) return;
    const QString tip = SettingTip(*e.row.setting, m_context.Language());
    for (QWidget* c : e.controls) SetSettingTip(c, tip);
}

void Binder::Fit(Entry& e, bool enableKnown) {
    Tip(e);
    for (QWidget* c : e.controls) {
        if (!c) continue;
        // The page enables its known controls itself; a rebound row may be known again.
        if (e.row.unknownAddress || enableKnown) c->setEnabled(!e.row.unknownAddress);
        if (auto* s = qobject_cast<CXBmpSlider*>(c)) s->SetRange(e.row.minimum, e.row.maximum);
    }
}

void Binder::Listen(int handle, QWidget* control, int indexInRow) {
    if (auto* s = qobject_cast<CXBmpSlider*>(control)) {
        connect(s, &CXBmpSlider::changed, this, [this, handle](int, int position) { Issue(handle, position); });
    } else if (auto* b = qobject_cast<QAbstractButton*>(control)) {
        const bool pair = IsRadioPair(m_rows[static_cast<std::size_t>(handle)].controls);
        const bool second = pair && indexInRow == 1;
        connect(b, &QAbstractButton::clicked, this, [this, handle, pair, second](bool checked) {
            // A radio button says which side was chosen; a check box says its new state.
            Issue(handle, pair ? (second ? 0 : 1) : (checked ? 1 : 0));
        });
    } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        connect(edit, &QLineEdit::returnPressed, this, [this, handle, edit] { Typed(handle, edit); });
    } else if (auto* combo = qobject_cast<QComboBox*>(control)) {
        // A drop-down's entries are the row's positions from its minimum on.
        connect(combo, &QComboBox::activated, this,
                [this, handle](int index) { Issue(handle, Row(handle).minimum + index); });
    }
}

void Binder::Typed(int handle, QLineEdit* edit) {
    Entry& e = m_rows[static_cast<std::size_t>(handle)];
    Setting plain;
    plain.minimum = e.row.minimum;
    plain.maximum = e.row.maximum;
    const Setting& s = e.row.setting ? *e.row.setting : plain;
    const BoxValue v = ReadBox(s, edit->text(), m_context.Language());
    if (!v) {
        // Nothing is sent: the box shows the value that stands, and why the text was not one.
        const QString text = edit->text();
        Show(e, Position(handle), LabelUse::Refresh);
        ShowRefused(m_context, edit, text, v.reason);
        return;
    }
    ClearRefused(edit);
    Issue(handle, static_cast<int>(std::lround((*v.value - s.positionZero) / s.step)));
}

void Binder::Issue(int handle, int position) {
    if (handle < 0 || handle >= Count()) return;
    Entry& e = m_rows[static_cast<std::size_t>(handle)];
    // Locked: the control that moved goes back to the stored value; nothing is stored or sent.
    if (m_context.Locked()) {
        Show(e, Position(handle), LabelUse::Moving, false);
        return;
    }
    const BindRow& row = e.row;
    if (row.unknownAddress) return;
    int p = std::clamp(position, row.minimum, row.maximum);
    if (row.limit) p = row.limit(p);
    DeviceContext& dev = m_context.Device();
    if (row.refuse) {
        // Nothing is sent: the control shows the value that stands, the notice says why.
        const std::string reason = row.refuse(dev, p);
        if (!reason.empty()) {
            Show(e, Position(handle), LabelUse::Refresh);
            m_context.Notice(QString::fromStdString(reason));
            return;
        }
    }
    if (row.apply)
        row.apply(dev, p);
    else
        ApplyDefault(row, p);
    m_context.Edited();
    Show(e, p, LabelUse::Moving);
    const BindNotice& n = row.notice;
    if (n.field >= 0 && n.chinese && (!n.needsValue || p != 0)) {
        const bool set = dev.store.Int(n.field) != 0;
        if (set != n.whenClear) m_context.Notice(m_context.Text(n.chinese, n.english));
    }
    Q_EMIT issued(handle, p);
}

void Binder::ApplyDefault(const BindRow& row, int position) {
    if (row.field < 0) return;
    DeviceContext& dev = m_context.Device();
    const bool toggle = IsToggle(row);
    const int stored = toggle ? (position ? row.onValue : row.offValue) : position;
    dev.store.SetInt(row.field, stored);
    if (row.pairField >= 0) dev.store.SetInt(row.pairField, position ? row.offValue : row.onValue);
    dev.encoders.SendField(row.field);
    if (row.pairField >= 0) dev.encoders.SendField(row.pairField);
}

int Binder::Position(int handle) const {
    const BindRow& row = Row(handle);
    if (row.unknownAddress) return row.minimum;
    const DeviceContext& dev = m_context.Device();
    if (row.read) return row.read(dev);
    if (row.field < 0) return row.minimum;
    const int v = dev.store.Int(row.field);
    return IsToggle(row) ? (v != row.offValue ? 1 : 0) : v;
}

void Binder::Show(Entry& e, int position, LabelUse use, bool labels) {
    const int count = e.controls.size();
    const bool pair = IsRadioPair(e.controls);
    for (int i = 0; i < count; ++i) {
        QWidget* c = e.controls[i];
        if (!c) continue;
        const QSignalBlocker block(c);
        if (auto* s = qobject_cast<CXBmpSlider*>(c)) {
            s->SetPosition(position);
        } else if (auto* s = qobject_cast<QAbstractSlider*>(c)) {
            s->setValue(position);
        } else if (auto* b = qobject_cast<QAbstractButton*>(c)) {
            // The second of a radio pair stands for 0.
            b->setChecked(pair && i == 1 ? position == 0 : position != 0);
        } else if (auto* edit = qobject_cast<QLineEdit*>(c)) {
            edit->setText(e.row.text ? e.row.text(position, use) : QString::number(position));
        } else if (auto* combo = qobject_cast<QComboBox*>(c)) {
            combo->setCurrentIndex(position - e.row.minimum);
        }
    }
    if (!labels || !e.row.text) return;
    const QString text = e.row.text(position, use);
    for (QLabel* l : e.labels)
        if (l) l->setText(text);
    if (e.row.show) e.row.show(text);
}

void Binder::Reload(LabelUse use) {
    for (int h = 0; h < Count(); ++h) Show(m_rows[static_cast<std::size_t>(h)], Position(h), use);
}

void Binder::Relabel() {
    for (int h = 0; h < Count(); ++h) {
        Entry& e = m_rows[static_cast<std::size_t>(h)];
        Tip(e);
        if (!e.row.text) continue;
        const QString text = e.row.text(Position(h), LabelUse::LanguageChange);
        for (QLabel* l : e.labels)
            if (l) l->setText(text);
        if (e.row.show) e.row.show(text);
    }
}

int Binder::HandleOf(const QWidget* control) const {
    if (!control) return -1;
    for (int h = 0; h < Count(); ++h)
        for (const auto& c : m_rows[static_cast<std::size_t>(h)].controls)
            if (c == control) return h;
    return -1;
}

void Binder::ShowLocked(bool locked) {
    for (auto& e : m_rows)
        for (const auto& c : e.controls) SetLockLook(c, locked);
}

bool Binder::TakesWheel(const QWidget* control) const {
    return qobject_cast<const CXBmpSlider*>(control) && HandleOf(control) >= 0;
}

}  // namespace kv
