#pragma once
// The window's "Remote access": the same server as kv4420ctl serve, on the window's own box,
// off unless the user turns it on. Changes made over the network (and by kv4420ctl through
// it) show in the window at once and are steps of its edit history. A status-bar button
// opens the window that shows the address and its QR code.

#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QString>
#include <memory>

class QStatusBar;
#include <QToolButton>

namespace kv {

class CKV4420v13App;
class CRemoteAccessDlg;
namespace net {
class ApiServer;
class BoxHolder;
class CommandServer;
}  // namespace net

class RemoteAccess : public QObject {
    Q_OBJECT
public:
    static constexpr quint16 kPort = 4420;

    RemoteAccess(CKV4420v13App& app, QStatusBar& bar, QObject* parent = nullptr);
    ~RemoteAccess() override;

    // Where it listens: every address of this computer by default, so that a phone on the
    // same network reaches it (tests take 127.0.0.1 and port 0).
    void SetListen(const QHostAddress& address, quint16 port);
    // The same for every one created from now on (tests keep to 127.0.0.1 so).
    static void SetDefaultListen(const QHostAddress& address, quint16 port);
    // Turns it on or off and remembers that; false with the reason in error when it could
    // not start.
    bool SetEnabled(bool on, QString& error);
    bool Running() const { return m_api != nullptr; }
    quint16 Port() const { return m_port; }
    // The page's address with the token, on the address a phone would use; empty when off.
    QString Url() const;

    QToolButton* Button() const { return m_button; }
    CRemoteAccessDlg* ShowWindow();
    void Relabel();

Q_SIGNALS:
    void stateChanged();

private:
    bool Start(QString& error);
    void Stop();
    void TakeRemoteEdit();

    CKV4420v13App& m_app;
    QHostAddress m_address;
    quint16 m_listenPort = kPort;
    quint16 m_port = 0;
    QByteArray m_token;
    std::unique_ptr<net::BoxHolder> m_holder;
    std::unique_ptr<net::ApiServer> m_api;
    std::unique_ptr<net::CommandServer> m_commands;
    QPointer<QToolButton> m_button;  // the status bar's, gone before this when the frame closes
    QPointer<CRemoteAccessDlg> m_window;
};

}  // namespace kv
