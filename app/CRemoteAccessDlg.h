#pragma once
// The "Remote access" window: the switch, the page's address and its QR code, and what it
// means to turn it on.

#include <QDialog>
#include <functional>

class QCheckBox;
class QLabel;

namespace kv {

class RemoteAccess;

class CRemoteAccessDlg : public QDialog {
    Q_OBJECT
public:
    static constexpr int kQrScale = 5;  // pixels per module: readable from a phone at arm's length

    CRemoteAccessDlg(RemoteAccess& access, std::function<int()> language, QWidget* parent = nullptr);

    QCheckBox* Switch() const { return m_switch; }
    QLabel* Address() const { return m_url; }
    QLabel* Code() const { return m_qr; }
    QLabel* Note() const { return m_note; }
    void Relabel();

private:
    void Toggle(bool on);

    RemoteAccess& m_access;
    std::function<int()> m_language;
    QCheckBox* m_switch = nullptr;
    QLabel* m_url = nullptr;
    QLabel* m_qr = nullptr;
    QLabel* m_note = nullptr;
    QString m_problem;
};

}  // namespace kv
