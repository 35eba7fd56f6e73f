#include "app/RemoteAccess.h"

#include <QNetworkInterface>
#include <QStatusBar>
#include <QToolButton>

#include "app/CKV4420v13App.h"
#include "app/CKV4420v13View.h"
#include "app/CRemoteAccessDlg.h"
#include "net/ApiServer.h"
#include "net/BoxHolder.h"
#include "net/CommandServer.h"
#include "net/Token.h"
#include "ui/EditHistory.h"
#include "ui/UiText.h"

namespace kv {
namespace {

// The address a phone on the same network would use: the first of this computer's own.
QString ReachableHost(const QHostAddress& listening) {
    if (listening != QHostAddress::Any && listening != QHostAddress::AnyIPv4) return listening.toString();
    for (const QHostAddress& a : QNetworkInterface::allAddresses())
        if (a.protocol() == QAbstractSocket::IPv4Protocol && !a.isLoopback() && !a.isLinkLocal()) return a.toString();
    return QStringLiteral("127.0.0.1");
}

QHostAddress g_defaultAddress = QHostAddress::Any;
quint16 g_defaultPort = RemoteAccess::kPort;

}  // namespace

void RemoteAccess::SetDefaultListen(const QHostAddress& address, quint16 port) {
    g_defaultAddress = address;
    g_defaultPort = port;
}

RemoteAccess::RemoteAccess(CKV4420v13App& app, QStatusBar& bar, QObject* parent)
    : QObject(parent), m_app(app), m_address(g_defaultAddress), m_listenPort(g_defaultPort) {
    m_button = new QToolButton(&bar);
    m_button->setObjectName(QStringLiteral("remoteAccessButton"));
    m_button->setAutoRaise(true);
    bar.addPermanentWidget(m_button);
    connect(m_button, &QToolButton::clicked, this, [this] { ShowWindow(); });
    Relabel();
    // Turned on in an earlier session: on again once the window stands.
    if (m_app.Settings().RemoteAccess())
        QMetaObject::invokeMethod(
            this,
            [this] {
                QString error;
                if (!Running() && m_app.Settings().RemoteAccess()) Start(error);
            },
            Qt::QueuedConnection);
}

RemoteAccess::~RemoteAccess() { Stop(); }

void RemoteAccess::SetListen(const QHostAddress& address, quint16 port) {
    m_address = address;
    m_listenPort = port;
}

bool RemoteAccess::SetEnabled(bool on, QString& error) {
    m_app.Settings().SetRemoteAccess(on);
    if (!on) {
        Stop();
        return true;
    }
    return Running() || Start(error);
}

bool RemoteAccess::Start(QString& error) {
    m_token = net::LoadOrCreateToken(net::DefaultTokenPath(), error);
    if (m_token.isEmpty()) {
        Q_EMIT stateChanged();
        return false;
    }
    m_holder = std::make_unique<net::BoxHolder>(m_app.Device(), m_app.Options().uri.ToString());
    m_api = std::make_unique<net::ApiServer>(m_token, std::vector<net::BoxHolder*>{m_holder.get()});
    m_port = m_api->Listen(m_address, m_listenPort, error);
    if (!m_port) {
        m_api.reset();
        m_holder.reset();
        Q_EMIT stateChanged();
        Relabel();
        return false;
    }
    connect(m_api.get(), &net::ApiServer::Edited, this, &RemoteAccess::TakeRemoteEdit);
    m_commands = std::make_unique<net::CommandServer>(m_holder.get());
    std::string why;
    // Without the socket the command line opens the box itself, as before; the page still works.
    if (m_commands->Listen(why))
        connect(m_commands.get(), &net::CommandServer::Ran, this, &RemoteAccess::TakeRemoteEdit);
    else
        m_commands.reset();
    m_holder->Start();
    Q_EMIT stateChanged();
    Relabel();
    return true;
}

void RemoteAccess::Stop() {
    const bool was = Running();
    m_commands.reset();
    m_api.reset();
    if (m_holder) m_holder->Close();
    m_holder.reset();
    m_port = 0;
    if (was) {
        Q_EMIT stateChanged();
        Relabel();
    }
}

QString RemoteAccess::Url() const {
    if (!Running()) return {};
    return QStringLiteral("http://%1:%2/?token=%3")
        .arg(ReachableHost(m_address), QString::number(m_port), QString::fromLatin1(m_token));
}

void RemoteAccess::TakeRemoteEdit() {
    // As an edit in the window: shown everywhere, and one step of the history.
    if (CKV4420v13View* view = m_app.View()) {
        view->RefreshFromStore();
        view->History().Commit();
    }
}

CRemoteAccessDlg* RemoteAccess::ShowWindow() {
    if (!m_window) {
        m_window = new CRemoteAccessDlg(
            *this, [this] { return m_app.Language(); }, m_app.Frame());
        m_window->Relabel();
    }
    m_window->show();
    m_window->raise();
    return m_window;
}

void RemoteAccess::Relabel() {
    if (!m_button) return;
    const int language = m_app.Language();
    m_button->setText(Bi(language, "远程", "Remote") + (Running() ? QStringLiteral(" ●") : QString()));
    m_button->setToolTip(Bi(language, "远程访问：用手机控制", "Remote access: control from a phone"));
    if (m_window) m_window->Relabel();
}

}  // namespace kv
