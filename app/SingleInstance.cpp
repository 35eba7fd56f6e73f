#include "app/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

namespace kv {

namespace {
constexpr char kRaiseMessage[] = "raise\n";
}

SingleInstance::SingleInstance(QString name, QObject* parent) : QObject(parent), m_name(std::move(name)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Listening() const { return m_server && m_server->isListening(); }

bool SingleInstance::Claim() {
    {
        QLocalSocket probe;
        probe.connectToServer(m_name);
        if (probe.waitForConnected(kConnectTimeoutMs)) {
            probe.write(kRaiseMessage);
            probe.waitForBytesWritten(kConnectTimeoutMs);
            probe.disconnectFromServer();
            return false;
        }
    }
    // Nobody answered: whatever carries the name is left over from a copy that crashed.
    QLocalServer::removeServer(m_name);
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(m_name)) return true;  // run anyway; only the raise request is lost
    connect(m_server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = m_server->nextPendingConnection()) {
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (socket->readAll().startsWith("raise")) Q_EMIT raiseRequested();
            });
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
    return true;
}

}  // namespace kv
