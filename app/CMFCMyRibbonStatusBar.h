#pragma once
// Status bar: connection pane, mode pane, a line for notices that would otherwise be tray
// balloons, and on the right the equaliser "Bypass" check box and "Reset EQ" button.

#include <QStatusBar>
#include <QTimer>

class QCheckBox;
class QLabel;
class QPushButton;

namespace kv {

class CMFCMyRibbonStatusBar : public QStatusBar {
    Q_OBJECT
public:
    static constexpr int kConnectionPaneChars = 52;
    static constexpr int kModePaneChars = 97;

    explicit CMFCMyRibbonStatusBar(int language, QWidget* parent = nullptr);

    void SetConnectionText(const QString& text, const QColor& colour);
    void SetModeText(const QString& text);
    // Shows a notice for a while; an empty text clears it.
    void ShowNotice(const QString& text, int durationMs);
    void Relabel(int language);
    // The lock pane says the window is locked; empty while it is not.
    void SetLocked(bool locked, int language);

    QLabel* ConnectionPane() const { return m_connection; }
    QLabel* ModePane() const { return m_mode; }
    QLabel* NoticePane() const { return m_notice; }
    QLabel* LockPane() const { return m_lock; }
    QCheckBox* Bypass() const { return m_bypass; }
    QPushButton* ResetEq() const { return m_resetEq; }

private:
    void FitModePane();
    QLabel* m_connection = nullptr;
    QLabel* m_mode = nullptr;
    QLabel* m_notice = nullptr;
    QLabel* m_lock = nullptr;
    bool m_locked = false;
    QCheckBox* m_bypass = nullptr;
    QPushButton* m_resetEq = nullptr;
    QTimer m_noticeTimer;
};

}  // namespace kv
