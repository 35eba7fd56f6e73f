#pragma once
// The box's own settings: power-on volumes, volume limits, how the master volume is kept,
// front-panel locks, the power-on mode and the microphone phase, and the buttons that reset
// a user mode of the box. The dialog edits the store's edited copy of the settings record;
// applying makes it the applied copy and sends it, cancelling or closing restores it.

#include <QDialog>
#include <array>

#include "model/ParameterStore.h"
#include "ui/BindHost.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kv {

class AuxContext;
class CXBmpSlider;

class CSetDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 335;
    static constexpr int kApplyId = 1073;
    static constexpr int kCancelId = 2;
    static constexpr int kResetFirstCommand = 32823;  // M1..M4
    enum Channel { kMic, kMusic };

    explicit CSetDlg(AuxContext& context, QWidget* parent = nullptr);

    // Controls from the applied copy, which the edited copy starts from; the texts of the
    // language table.
    void Refresh();
    // Only the texts, in the new language; the edits stay.
    void Relabel();
    // Locked: every control but cancel looks unusable, and nothing is applied or sent.
    void ApplyLock();

    // Its rows' notices: a power-on move has also set the live level by then.
    Binder& Bind() { return m_host.Bind(); }

    QCheckBox* PowerOnCheck(int channel) const { return m_powerOnCheck[static_cast<std::size_t>(channel)]; }
    CXBmpSlider* PowerOnSlider(int channel) const { return m_powerOnSlider[static_cast<std::size_t>(channel)]; }
    QLabel* PowerOnLabel(int channel) const { return m_powerOnLabel[static_cast<std::size_t>(channel)]; }
    CXBmpSlider* MaxSlider(int channel) const { return m_maxSlider[static_cast<std::size_t>(channel)]; }
    QLabel* MaxLabel(int channel) const { return m_maxLabel[static_cast<std::size_t>(channel)]; }
    QRadioButton* SaveModeButton(int value) const { return m_saveMode[static_cast<std::size_t>(value)]; }
    QCheckBox* PanelLock() const { return m_panelLock; }
    QCheckBox* VolumeLock() const { return m_volumeLock; }
    QCheckBox* ModeLock() const { return m_modeLock; }
    QComboBox* PowerOnMode() const { return m_powerOnMode; }
    QCheckBox* Phase(int group) const { return m_phase[static_cast<std::size_t>(group)]; }
    QPushButton* ResetButton(int slot) const { return m_reset[static_cast<std::size_t>(slot)]; }
    QPushButton* ApplyButton() const { return m_apply; }
    QPushButton* CancelButton() const { return m_cancel; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void ShowPowerOn(int channel, bool opening = false);
    void OnPowerOnChecked(int channel, bool checked);
    void OnPowerOnMoved(int channel, int v);
    void OnMaxMoved(int channel, int v);
    void UpdateLockEnables();
    // Not locked and a box to send to; otherwise the notice says so.
    bool Usable();
    void Apply();
    void ResetMode(int slot);
    void Restore();
    QString InvalidText() const;

    AuxContext& m_context;
    BindHost m_host;
    std::array<int, 2> m_powerOnRow{};
    std::array<QCheckBox*, 2> m_powerOnCheck{};
    std::array<CXBmpSlider*, 2> m_powerOnSlider{};
    std::array<QLabel*, 2> m_powerOnLabel{};
    std::array<CXBmpSlider*, 2> m_maxSlider{};
    std::array<QLabel*, 2> m_maxLabel{};
    std::array<QRadioButton*, 2> m_saveMode{};
    QCheckBox* m_panelLock = nullptr;
    QCheckBox* m_volumeLock = nullptr;
    QCheckBox* m_modeLock = nullptr;
    QComboBox* m_powerOnMode = nullptr;
    std::array<QCheckBox*, 2> m_phase{};
    std::array<QPushButton*, 4> m_reset{};
    QPushButton* m_apply = nullptr;
    QPushButton* m_cancel = nullptr;
};

}  // namespace kv
