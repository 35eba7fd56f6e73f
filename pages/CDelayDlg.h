#pragma once
// The delay page: for each of the eight loudspeaker channels a delay with its on/off switch,
// whether it delays the whole channel or only its high-frequency part, and the crossover that
// separates that part; the panel beside shows the delays as handles to drag.

#include <array>

#include "device/SettingTable.h"
#include "model/Fields.h"
#include "pages/CPageBase.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace kv {

class CDelayPanel;
class CNavigationBar;
class CSpinButtons;
class CXBmpSlider;

class CDelayDlg : public CPageBase {
    Q_OBJECT
public:
    static constexpr int kDialog = 333;
    static constexpr int kRows = 8;
    static constexpr double kMinMs = range::kDelayMinMs;
    static constexpr double kMaxMs = range::kDelayMaxMs;

    CDelayDlg(PageContext& context, int kind = 0, QWidget* parent = nullptr);

    // The channel of a row: its output and side.
    struct Channel {
        const fld::OutputFields* out;
        int side;
    };
    static Channel ChannelOf(int row);

    // The central operation of the spin control, the edit box and the panel.
    void SetDelay(int row, double ms);

    CNavigationBar* Navigation() const { return m_nav; }
    CDelayPanel* Panel() const { return m_panel; }
    QCheckBox* OnOff(int row) const { return m_rows[static_cast<std::size_t>(row)].onOff; }
    QRadioButton* HighRadio(int row) const { return m_rows[static_cast<std::size_t>(row)].high; }
    QRadioButton* WholeRadio(int row) const { return m_rows[static_cast<std::size_t>(row)].whole; }
    CXBmpSlider* Crossover(int row) const { return m_rows[static_cast<std::size_t>(row)].crossover; }
    QLabel* CrossoverText(int row) const { return m_rows[static_cast<std::size_t>(row)].hz; }
    QLineEdit* DelayEdit(int row) const { return m_rows[static_cast<std::size_t>(row)].edit; }
    CSpinButtons* Spin(int row) const { return m_rows[static_cast<std::size_t>(row)].spin; }
    QLabel* Caption(int row) const { return m_rows[static_cast<std::size_t>(row)].caption; }

protected:
    void OnReload() override;
    void OnRelabel() override;
    void OnLock(bool locked) override;
    bool OnWheel(int steps) override;
    // Arrow and Page keys in a delay box step it as a wheel notch does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Row {
        QLabel* caption = nullptr;
        QCheckBox* onOff = nullptr;
        QRadioButton* high = nullptr;
        QRadioButton* whole = nullptr;
        CXBmpSlider* crossover = nullptr;
        QLabel* hz = nullptr;
        QLineEdit* edit = nullptr;
        CSpinButtons* spin = nullptr;
    };
    QWidget* BuildRows();
    void AddRows(int row);
    void Enable(int row);
    void EnterDelay(int row, double ms);
    // Enter in a delay box: the typed delay applied, or refused and the box put back.
    void TypeDelay(int row);
    void Step(int row, int delta);

    CNavigationBar* m_nav = nullptr;
    CDelayPanel* m_panel = nullptr;
    std::array<Row, kRows> m_rows{};
};

}  // namespace kv
