#pragma once
// The server in process over a simulated box, on a free port of 127.0.0.1, and clients
// for it: HTTP requests, raw sockets and event streams, each waited for with a limit.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QTest>
#include <QWebSocket>
#include <memory>
#include <vector>

#include "net/ApiServer.h"
#include "net/BoxHolder.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"

namespace kv::test {

inline const QByteArray kTestToken = "00112233445566778899aabbccddeeff";
constexpr int kWaitMs = 5000;

struct HttpResult {
    int status = 0;
    QByteArray body;
};

class ServerFixture {
public:
    ServerFixture() : box(std::make_shared<SimBox>()) {
        box->SetModelName("KV4420M");
        box->SetCommandSetVersion(9);
        net::BoxOptions options;
        options.opener = MakeSimOpener(box);
        options.uri = "sim";
        options.link = LinkTimings{2000, 500, 5};
        options.sync = SyncTimings{0, 0, 0, 0};
        options.encoder = EncoderTimings{0, 0};
        options.retryMs = 50;
        options.watchMs = 20;
        holder = std::make_unique<net::BoxHolder>(std::move(options));
        server = std::make_unique<net::ApiServer>(kTestToken, std::vector<net::BoxHolder*>{holder.get()});
        QString error;
        port = server->Listen(QHostAddress::LocalHost, 0, error);
        holder->Start();
        ready = port != 0 && QTest::qWaitFor([&] { return holder->Ready(); }, kWaitMs);
    }

    QString Base() const { return "http://127.0.0.1:" + QString::number(port); }

    HttpResult Http(const QByteArray& method, const QString& path, const QByteArray& body = {},
                    const QByteArray& token = kTestToken) {
        QNetworkRequest request(QUrl(Base() + path));
        if (!token.isEmpty()) request.setRawHeader("Authorization", "Bearer " + token);
        request.setHeader(QNetworkRequest::ContentTypeHeader, "application/json");
        std::unique_ptr<QNetworkReply> reply(m_nam.sendCustomRequest(request, method, body));
        if (!QTest::qWaitFor([&] { return reply->isFinished(); }, kWaitMs)) return {};
        return {reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(), reply->readAll()};
    }

    // An event stream; its messages collect in the returned list.
    struct Events {
        std::unique_ptr<QWebSocket> socket = std::make_unique<QWebSocket>();
        std::vector<QByteArray> messages;
        QString closeReason;
        bool closed = false;
        // Closed before it goes: Qt's destructor of a socket still open keeps the close reason
        // it makes, which the leak check reports.
        ~Events() {
            QObject::disconnect(socket.get(), nullptr, nullptr, nullptr);
            socket->abort();
        }
        bool Has(const QByteArray& part) const {
            for (const QByteArray& m : messages)
                if (m.contains(part)) return true;
            return false;
        }
    };
    std::unique_ptr<Events> Listen(const QByteArray& token = kTestToken) {
        auto events = std::make_unique<Events>();
        Events* e = events.get();
        QObject::connect(e->socket.get(), &QWebSocket::textMessageReceived,
                         [e](const QString& m) { e->messages.push_back(m.toUtf8()); });
        QObject::connect(e->socket.get(), &QWebSocket::disconnected, [e] {
            e->closed = true;
            e->closeReason = e->socket->closeReason();
        });
        e->socket->open(QUrl("ws://127.0.0.1:" + QString::number(port) + "/api/v1/events?token=" + token));
        return events;
    }

    std::shared_ptr<SimBox> box;
    std::unique_ptr<net::BoxHolder> holder;
    std::unique_ptr<net::ApiServer> server;
    quint16 port = 0;
    bool ready = false;

private:
    QNetworkAccessManager m_nam;
};

}  // namespace kv::test
