#pragma once
// Shown while the box listens for a remote-control key: the function being learned, the
// key code once the box reported it, then a one-second close. Abandoning releases the
// write pacing (the box never answered the learn command) and tells the box to stop.

#include <QDialog>
#include <QTimer>

class QLabel;
class QLineEdit;
class QPushButton;

namespace kv {

class AuxContext;

class CRemoteStudyDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 372;
    static constexpr int kPromptId = 1167;
    static constexpr int kClosingId = 1006;
    static constexpr int kCodeId = 1038;
    static constexpr int kAbandonId = 3;
    static constexpr int kCloseId = 1;
    static constexpr int kCloseAfterMs = 1000;

    CRemoteStudyDlg(AuxContext& context, int function, QWidget* parent = nullptr);

    // The prompt of a learnable function (1..15) in a language; empty for others.
    static QString Prompt(int function, int language);

    // The box reported the key: shows its code and closes after a second.
    void KeyLearned(int keyCode);
    bool Learned() const { return m_learned; }

    QLabel* PromptLabel() const { return m_prompt; }
    QLabel* ClosingLabel() const { return m_closing; }
    QLineEdit* Code() const { return m_code; }
    QPushButton* AbandonButton() const { return m_abandon; }
    QPushButton* CloseButton() const { return m_close; }

public Q_SLOTS:
    void reject() override;

private:
    AuxContext& m_context;
    QLabel* m_prompt = nullptr;
    QLabel* m_closing = nullptr;
    QLineEdit* m_code = nullptr;
    QPushButton* m_abandon = nullptr;
    QPushButton* m_close = nullptr;
    QTimer m_closeTimer;
    bool m_learned = false;
};

}  // namespace kv
