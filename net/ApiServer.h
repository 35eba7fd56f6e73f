#pragma once
// The HTTP and WebSocket face of the held boxes: settings by address as kv4420ctl's get
// --json and set speak them, the mode commands, mode files, the page, and one event per
// change on /api/v1/events. Every request carries the token.

#include <QAbstractHttpServer>
#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

class QWebSocket;
class QHttpServerResponder;

namespace kv::net {

class BoxHolder;

class ApiServer : public QAbstractHttpServer {
    Q_OBJECT
public:
    static constexpr qsizetype kMaxRequestBytes = 64 * 1024;  // headers, and the body, each
    static constexpr int kMaxEventClients = 32;

    ApiServer(QByteArray token, std::vector<BoxHolder*> boxes, QObject* parent = nullptr);
    ~ApiServer() override;

    // Port 0 takes a free one; the port listened on, or 0 with the reason in error.
    quint16 Listen(const QHostAddress& address, quint16 port, QString& error);
    int EventClients() const { return static_cast<int>(m_clients.size()); }

Q_SIGNALS:
    // Settings were changed by a request (after they went to the box's queue).
    void Edited(kv::net::BoxHolder* box);

protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

private:
    struct Reply;
    Reply Route(const QHttpServerRequest& request, QTcpSocket* socket);
    Reply Device(BoxHolder& box, const QStringList& rest, const QHttpServerRequest& request, QTcpSocket* socket);
    bool Authorised(const QHttpServerRequest& request, bool queryAllowed) const;
    void TakeWebSocket();
    void Broadcast(const QByteArray& message);
    void OnSettingChanged(BoxHolder* box, int index);
    void OnBoxState(BoxHolder* box, bool connected);
    BoxHolder* FindBox(const QString& id) const;

    QByteArray m_token;
    std::vector<BoxHolder*> m_boxes;
    QList<QPointer<QWebSocket>> m_clients;
};

}  // namespace kv::net
