#pragma once
// Modal progress shown while a synchronisation thread runs. It does not follow the real
// progress: the bar cycles until the main view closes the dialog, or gives up after 20 s.

#include <QDialog>
#include <QTimer>

class QLabel;
class QProgressBar;

namespace kv {

class CSynDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kProgressId = 1217;
    static constexpr int kTextId = 1218;
    static constexpr int kStepMs = 150;
    static constexpr int kGiveUpMs = 20000;
    // Result of exec() when the time-out ended the dialog.
    static constexpr int kTimedOut = 2;

    explicit CSynDlg(int language, QWidget* parent = nullptr, int giveUpMs = kGiveUpMs);

    // Called when the synchronisation finished: stops both timers and ends the dialog.
    void CloseProgress();
    QProgressBar* Progress() const { return m_progress; }
    QLabel* Text() const { return m_text; }

public Q_SLOTS:
    // Only CloseProgress and the time-out end the dialog; Escape does not.
    void reject() override {}

private:
    void Step();
    void GiveUp();

    QProgressBar* m_progress = nullptr;
    QLabel* m_text = nullptr;
    QTimer m_stepTimer;
    QTimer m_giveUpTimer;
};

}  // namespace kv
