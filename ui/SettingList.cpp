#include "ui/SettingList.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <algorithm>

#include "eq/CXBmpSlider.h"
#include "ui/LockLook.h"
#include "ui/PageContext.h"
#include "ui/PageStyle.h"

namespace kv {

SettingList::SettingList(Binder& binder, PageContext& context, View view, QWidget* parent, int sliderId,
                         const QString& prefix)
    : QObject(parent),
      m_binder(binder),
      m_context(context),
      m_view(std::move(view)),
      m_bar(new QWidget(parent)),
      m_slider(new CXBmpSlider(sliderId, Qt::Horizontal, m_bar)),
      m_name(new QLabel(m_bar)),
      m_value(new QLabel(m_bar)) {
    auto* h = new QHBoxLayout(m_bar);
    h->setContentsMargins(0, 0, 0, 0);
    m_name->setObjectName(prefix + QStringLiteral("Name"));
    m_name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_name->setMinimumWidth(90);
    m_slider->setObjectName(prefix + QStringLiteral("Slider"));
    m_slider->setMinimumHeight(22);
    m_slider->SetBackground(style::kPanelBackground);
    m_value->setObjectName(prefix + QStringLiteral("Value"));
    m_value->setAlignment(Qt::AlignCenter);
    m_value->setMinimumWidth(64);
    h->addWidget(m_name);
    h->addWidget(m_slider, 1);
    h->addWidget(m_value);
    connect(m_slider, &CXBmpSlider::changed, this, [this](int, int position) {
        if (m_selected < 0) return;
        // Locked: the slider goes back to the row's stored value (the binder sends nothing).
        if (m_context.Locked()) {
            m_slider->SetPosition(m_binder.Position(Handle(m_selected)));
            return;
        }
        m_binder.Issue(Handle(m_selected), position);
    });
    connect(&m_binder, &Binder::issued, this, [this](int handle, int) {
        if (m_selected >= 0 && handle == Handle(m_selected)) ShowValue();
    });
    if (m_view.list) m_view.list->installEventFilter(this);
}

void SettingList::SetRows(std::span<const SettingListRow> rows, const AddressNames& names) {
    m_rows.assign(rows.begin(), rows.end());
    SetNames(names);
    Relabel();
}

void SettingList::SetNames(const AddressNames& names) {
    m_handles.assign(m_rows.size(), -1);
    for (std::size_t r = 0; r < m_rows.size(); ++r) {
        const std::string address = FillAddress(m_rows[r].address, names);
        auto it = m_bound.find(address);
        if (it == m_bound.end()) {
            // Each filled address is bound once; rows of other names stay bound but keep
            // out of the cells.
            const int handle = m_binder.Count();
            const int row = static_cast<int>(r);
            BindRow b = AddressRow(address);
            b.notice = m_rows[r].notice;
            if (m_rows[r].text) b.text = m_rows[r].text;
            b.show = [this, handle, row](const QString& text) {
                if (m_active && Handle(row) == handle && m_view.value) m_view.value(row, text);
            };
            it = m_bound.emplace(address, m_binder.Add(std::move(b))).first;
        }
        m_handles[r] = it->second;
    }
}

int SettingList::Handle(int row) const {
    if (row < 0 || row >= RowCount()) return -1;
    return m_handles[static_cast<std::size_t>(row)];
}

void SettingList::SetActive(bool active) {
    m_active = active;
    m_slider->setEnabled(active);
    m_name->setEnabled(active);
    m_value->setEnabled(active);
    if (m_view.list) m_view.list->setEnabled(active);
    Select(-1);
    Refresh();
}

void SettingList::Select(int row) {
    if (row >= RowCount() || (row >= 0 && !m_active)) return;
    m_selected = row;
    if (m_view.mark) m_view.mark(row);
    if (row < 0) {
        m_name->clear();
        m_value->clear();
        return;
    }
    const SettingListRow& r = m_rows[static_cast<std::size_t>(row)];
    m_name->setText(m_context.Text(r.chinese, r.english));
    const BindRow& b = m_binder.Row(Handle(row));
    m_slider->SetRange(b.minimum, b.maximum);
    m_slider->SetPosition(m_binder.Position(Handle(row)));
    ShowValue();
}

void SettingList::ShowValue() {
    const int h = Handle(m_selected);
    const BindRow& b = m_binder.Row(h);
    m_value->setText(b.text ? b.text(m_binder.Position(h), LabelUse::Moving) : QString());
}

void SettingList::Step(int step) {
    if (m_selected < 0) return;
    const int p = std::clamp(m_slider->Position() + step, m_slider->Minimum(), m_slider->Maximum());
    m_slider->SetPosition(p);
    m_binder.Issue(Handle(m_selected), p);
}

bool SettingList::Wheel(int steps) {
    if (m_selected < 0 || !m_view.list || QApplication::focusWidget() != m_view.list) return false;
    Step(steps > 0 ? 1 : -1);
    return true;
}

void SettingList::Refresh() {
    for (int r = 0; r < RowCount(); ++r) {
        const int h = Handle(r);
        const BindRow& b = m_binder.Row(h);
        if (!m_view.value) break;
        m_view.value(r, m_active && b.text ? b.text(m_binder.Position(h), LabelUse::Refresh) : QString());
    }
    if (m_selected >= 0) Select(m_selected);
}

void SettingList::Relabel() {
    if (m_view.name)
        for (int r = 0; r < RowCount(); ++r) {
            const SettingListRow& row = m_rows[static_cast<std::size_t>(r)];
            m_view.name(r, m_context.Text(row.chinese, row.english));
        }
    if (m_selected >= 0) {
        const SettingListRow& row = m_rows[static_cast<std::size_t>(m_selected)];
        m_name->setText(m_context.Text(row.chinese, row.english));
    }
}

void SettingList::ShowLocked(bool locked) { SetLockLook(m_slider, locked); }

bool SettingList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_view.list && event->type() == QEvent::KeyPress && m_selected >= 0) {
        switch (static_cast<QKeyEvent*>(event)->key()) {
            case Qt::Key_Left:
            case Qt::Key_Down:
                Step(-1);
                return true;
            case Qt::Key_Up:
            case Qt::Key_Right:
                Step(1);
                return true;
            default:
                break;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace kv
