#pragma once
// About box: program version, the box's versions while connected, and behind
// Ctrl+Shift+F11 the model line and the switch of the level-meter poll.

#include <QDialog>
#include <QString>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kv {

struct AboutInfo {
    bool connected = false;
    QString model;
    QString mcuVersion;
    QString dspVersion;
    int commandSetVersion = 0;
    bool meterPoll = true;
};

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 100;
    static constexpr int kOkId = 1;
    static constexpr int kModuleId = 1005;
    static constexpr int kDspId = 1006;
    static constexpr int kMcuId = 1007;
    static constexpr int kPeakId = 1045;

    explicit CAboutDlg(const AboutInfo& info, QWidget* parent = nullptr);

    QLabel* McuLine() const { return m_mcu; }
    QLabel* DspLine() const { return m_dsp; }
    QLabel* ModuleLine() const { return m_module; }
    QCheckBox* Peak() const { return m_peak; }

Q_SIGNALS:
    void meterPollToggled(bool on);

protected:
    void keyReleaseEvent(QKeyEvent* event) override;

private:
    QLabel* m_mcu = nullptr;
    QLabel* m_dsp = nullptr;
    QLabel* m_module = nullptr;
    QCheckBox* m_peak = nullptr;
};

}  // namespace kv
