#pragma once
// Modal progress shown while a synchronisation thread runs. It does not follow the real
// progress: the bar cycles until the main view closes the dialog, or gives up once the box
// has not answered for 20 s (a slow box reading back for longer is still progressing).

#include <QDialog>
#include <QTimer>
#include <cstdint>
#include <functional>

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

    // answers: how many answers the box gave so far; each new one restarts the give-up time.
    using AnswerCount = std::function<std::uint64_t()>;
    explicit CSynDlg(int language, QWidget* parent = nullptr, int giveUpMs = kGiveUpMs, AnswerCount answers = {});

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
    AnswerCount m_answers;
    std::uint64_t m_lastAnswers = 0;
};

}  // namespace kv
