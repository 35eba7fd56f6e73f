#pragma once
// The transient notice: one line of text in a small modeless window that destroys itself
// after the duration of the latest notice.

#include <QDialog>
#include <QTimer>

class QLabel;
class QPushButton;

namespace kv {

class CInfoDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = 344;
    static constexpr int kMessageId = 1223;
    static constexpr int kCloseId = 2;

    explicit CInfoDlg(int language, QWidget* parent = nullptr);

    // Puts the text into the message line and (re)starts the close timer.
    void ShowInfo(const QString& text, int durationMs);
    QString Message() const;
    QPushButton* CloseButton() const { return m_close; }

private:
    QLabel* m_message = nullptr;
    QPushButton* m_close = nullptr;
    QTimer m_closeTimer;
};

}  // namespace kv
