#pragma once
// A list of settings edited with one shared slider. Each row of the list is a setting by
// address, or an address template the page fills and fills again when it switches kind; the
// row's cell shows its value. Selecting a row puts the slider on it and its name and value
// beside the slider; the slider, the arrow keys and the wheel over the focused list move the
// selected row through the binder, so the lock, the refusals and the notices are the binder's.

#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <span>
#include <string>
#include <vector>

#include "ui/Binder.h"

class QLabel;

namespace kv {

class CXBmpSlider;
class PageContext;

struct SettingListRow {
    const char* chinese;
    const char* english;
    const char* address;  // an address, or a template such as "{mic}.reverb.level"
    BindNotice notice{};  // shown after a change, as on any bound control
    // The value in the interface's language where the table's word is not the page's
    // ("Off" / "关闭"); the table's text without it.
    std::function<QString(int position, LabelUse use)> text{};
};

class SettingList : public QObject {
    Q_OBJECT
public:
    // The list control is the page's: it says how its cells are written and a row is marked.
    struct View {
        QWidget* list = nullptr;  // takes the arrow keys, and the wheel while it has the focus
        std::function<void(int row, const QString& text)> name;
        std::function<void(int row, const QString& text)> value;
        std::function<void(int row)> mark;  // -1 marks none; reports nothing
    };

    // Builds the bar under the list: the chosen row's name, the slider and its value, named
    // prefixName, prefixSlider and prefixValue.
    SettingList(Binder& binder, PageContext& context, View view, QWidget* parent, int sliderId, const QString& prefix);

    QWidget* Bar() const { return m_bar; }
    CXBmpSlider* Slider() const { return m_slider; }
    QLabel* NameLabel() const { return m_name; }
    QLabel* ValueLabel() const { return m_value; }

    void SetRows(std::span<const SettingListRow> rows, const AddressNames& names = {});
    // The page switched kind: the rows take the settings of the new names; nothing is sent.
    void SetNames(const AddressNames& names);
    // A list that is not in use shows no values and selects no row.
    void SetActive(bool active);
    int RowCount() const { return static_cast<int>(m_rows.size()); }
    // The binder row of a list row under the current names.
    int Handle(int row) const;

    // A row chosen as a click on it does: the slider takes its range and value. -1 clears.
    void Select(int row);
    int Selected() const { return m_selected; }
    // The selected row one step up or down, stored and sent.
    void Step(int step);
    // A wheel notch over the page: taken while the list has the focus and a row is selected.
    bool Wheel(int steps);
    // The cells, the slider and the labels from the store; nothing is sent.
    void Refresh();
    // The names of the rows in the interface's language.
    void Relabel();
    void ShowLocked(bool locked);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowValue();

    Binder& m_binder;
    PageContext& m_context;
    View m_view;
    QWidget* m_bar;
    CXBmpSlider* m_slider;
    QLabel* m_name;
    QLabel* m_value;
    std::vector<SettingListRow> m_rows;
    std::vector<int> m_handles;          // per row, under the current names
    std::map<std::string, int> m_bound;  // binder rows by filled address, added once each
    bool m_active = true;
    int m_selected = -1;
};

}  // namespace kv
