#include "net/ApiServer.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpServer>
#include <QUrlQuery>
#include <QWebSocket>
#include <algorithm>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>

#include "cli/SettingJson.h"
#include "device/SettingTable.h"
#include "device/StoreCheck.h"
#include "model/Fields.h"
#include "model/ModeFile.h"
#include "model/Utf16.h"
#include "net/BoxHolder.h"
#include "net/Token.h"

// The page is compiled into this static library; its resources are registered by hand.
static void RegisterPage() { Q_INIT_RESOURCE(net); }

namespace kv::net {
namespace {

using Json = nlohmann::ordered_json;
using Status = QHttpServerResponder::StatusCode;
using Method = QHttpServerRequest::Method;

constexpr char kApiPrefix[] = "/api/v1";
constexpr char kJsonType[] = "application/json";
constexpr char kOctetType[] = "application/octet-stream";
constexpr char kEventsPath[] = "events";

QByteArray Dump(const Json& j) {
    return QByteArray::fromStdString(j.dump(2, ' ', false, Json::error_handler_t::replace) + "\n");
}

int CurrentSlot(const ParameterStore& store) { return std::clamp(store.Int(fld::kCurrentMode), 0, kModeSlots - 1); }

// The path's segments, each decoded on its own so that an id may hold a slash.
QStringList Segments(const QUrl& url) {
    QStringList out;
    const QString path = url.path(QUrl::FullyEncoded);
    for (const QString& part : path.split('/', Qt::SkipEmptyParts))
        out.push_back(QUrl::fromPercentEncoding(part.toUtf8()));
    return out;
}

qsizetype HeaderBytes(const QHttpServerRequest& request) {
    qsizetype n = request.url().toEncoded().size();
    for (const auto& [key, value] : request.headers()) n += key.size() + value.size() + 4;
    return n;
}

QByteArray HeaderValue(const QHttpServerRequest& request, const QByteArray& name) {
    for (const auto& [key, value] : request.headers())
        if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
    return {};
}

}  // namespace

struct ApiServer::Reply {
    Status status = Status::Ok;
    QByteArray body;
    QByteArray type = kJsonType;
    bool deferred = false;  // answered later through a kept responder

    static Reply Error(Status s, const std::string& text) { return {s, Dump(Json{{"error", text}}), kJsonType, false}; }
    static Reply Ok(const Json& j) { return {Status::Ok, Dump(j), kJsonType, false}; }
    static Reply Later() { return {Status::Ok, {}, {}, true}; }
};

ApiServer::ApiServer(QByteArray token, std::vector<BoxHolder*> boxes, QObject* parent)
    : QAbstractHttpServer(parent), m_token(std::move(token)), m_boxes(std::move(boxes)) {
    RegisterPage();
    connect(this, &QAbstractHttpServer::newWebSocketConnection, this, &ApiServer::TakeWebSocket);
    for (BoxHolder* box : m_boxes) {
        connect(box, &BoxHolder::SettingChanged, this, [this, box](int index) { OnSettingChanged(box, index); });
        connect(box, &BoxHolder::Arrived, this, [this, box] { OnBoxState(box, true); });
        connect(box, &BoxHolder::Lost, this, [this, box] { OnBoxState(box, false); });
    }
}

ApiServer::~ApiServer() {
    for (const QPointer<QWebSocket>& ws : std::as_const(m_clients))
        if (ws) ws->close(QWebSocketProtocol::CloseCodeGoingAway, "the server is closing");
}

quint16 ApiServer::Listen(const QHostAddress& address, quint16 port, QString& error) {
    auto* server = new QTcpServer(this);
    if (!server->listen(address, port)) {
        error = "cannot listen on " + address.toString() + ":" + QString::number(port) + ": " + server->errorString();
        delete server;
        return 0;
    }
    bind(server);
    return server->serverPort();
}

bool ApiServer::Authorised(const QHttpServerRequest& request, bool queryAllowed) const {
    const QByteArray header = HeaderValue(request, "authorization");
    static const QByteArray kBearer = "Bearer ";
    if (header.startsWith(kBearer)) return TokensEqual(header.mid(kBearer.size()).trimmed(), m_token);
    if (queryAllowed) {
        const QUrlQuery query(request.url());
        if (query.hasQueryItem("token"))
            return TokensEqual(query.queryItemValue("token", QUrl::FullyDecoded).toUtf8(), m_token);
    }
    return false;
}

bool ApiServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    // An upgrade is answered by the WebSocket handshake that follows; its path and token
    // are checked there.
    if (HeaderValue(request, "upgrade").compare("websocket", Qt::CaseInsensitive) == 0) return true;
    Reply reply = Route(request, socket);
    if (reply.deferred) return true;
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.write(reply.body, reply.type, reply.status);
    return true;
}

void ApiServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    makeResponder(request, socket)
        .write(Reply::Error(Status::NotFound, "no such resource").body, kJsonType, Status::NotFound);
}

ApiServer::Reply ApiServer::Route(const QHttpServerRequest& request, QTcpSocket* socket) {
    if (HeaderBytes(request) > kMaxRequestBytes || request.body().size() > kMaxRequestBytes)
        return Reply::Error(Status::PayloadTooLarge, "a request's headers and its body are limited to 64 KiB each");
    const QStringList parts = Segments(request.url());
    const bool page = parts.isEmpty() || (parts.size() == 1 && parts[0] == "index.html");
    if (!Authorised(request, page))
        return Reply::Error(Status::Unauthorized, "a valid token is needed (Authorization: Bearer TOKEN)");
    if (page) {
        if (request.method() != Method::Get) return Reply::Error(Status::MethodNotAllowed, "the page is only read");
        QFile file(":/kv4420/net/index.html");
        if (!file.open(QIODevice::ReadOnly)) return Reply::Error(Status::InternalServerError, "the page is missing");
        return {Status::Ok, file.readAll(), "text/html; charset=utf-8", false};
    }
    if (parts.size() < 2 || "/" + parts[0] + "/" + parts[1] != kApiPrefix)
        return Reply::Error(Status::NotFound, "no such resource");
    QStringList rest = parts.mid(2);
    if (m_boxes.empty()) return Reply::Error(Status::ServiceUnavailable, "no box is held");
    if (!rest.isEmpty() && rest[0] == "devices") {
        if (rest.size() == 1) {
            if (request.method() != Method::Get) return Reply::Error(Status::MethodNotAllowed, "devices are only read");
            Json all = Json::array();
            for (BoxHolder* box : m_boxes)
                all.push_back({{"id", box->Id().toStdString()}, {"connected", box->Ready()}});
            return Reply::Ok(all);
        }
        BoxHolder* box = FindBox(rest[1]);
        if (!box) return Reply::Error(Status::NotFound, "no box with the id \"" + rest[1].toStdString() + "\"");
        return Device(*box, rest.mid(2), request, socket);
    }
    return Device(*m_boxes.front(), rest, request, socket);
}

BoxHolder* ApiServer::FindBox(const QString& id) const {
    const auto it = std::find_if(m_boxes.begin(), m_boxes.end(), [&](BoxHolder* b) { return b->Id() == id; });
    return it == m_boxes.end() ? nullptr : *it;
}

ApiServer::Reply ApiServer::Device(BoxHolder& box, const QStringList& rest, const QHttpServerRequest& request,
                                   QTcpSocket* socket) {
    const Method method = request.method();
    const QString what = rest.value(0);
    auto wrongMethod = [] { return Reply::Error(Status::MethodNotAllowed, "that method is not taken here"); };
    auto gone = [] { return Reply::Error(Status::ServiceUnavailable, "the box is not connected"); };
    // The window reads the box back and writes it whole itself, with its progress and questions.
    auto heldElsewhere = [] {
        return Reply::Error(Status::Conflict, "the window holds this box: load modes and mode files in the window");
    };
    DeviceContext& dev = box.Box();

    if (what == "device" && rest.size() == 1) {
        if (method != Method::Get) return wrongMethod();
        Json j{{"id", box.Id().toStdString()}, {"connected", box.Ready()}};
        if (box.Ready()) {
            const Identity id = dev.store.GetIdentity();
            j["model"] = id.model;
            j["commandSetVersion"] = id.commandSetVersion;
            j["mcuVersion"] = id.mcuVersion;
            j["dspVersion"] = id.dspVersion;
            j["currentMode"] = CurrentSlot(dev.store) + 1;
            Json names = Json::array();
            for (int s = 0; s < kModeSlots; ++s) names.push_back(Utf16ToUtf8(dev.store.ModeName(s)));
            j["modeNames"] = names;
        }
        return Reply::Ok(j);
    }
    if (what == kEventsPath && rest.size() == 1)
        return Reply::Error(Status::BadRequest, "events are sent over a WebSocket");

    if (what == "settings" && rest.size() <= 2) {
        const Setting* one = nullptr;
        if (rest.size() == 2) {
            one = FindSetting(rest[1].toStdString());
            if (!one) return Reply::Error(Status::NotFound, cli::UnknownSettingText(rest[1].toStdString()));
        }
        const bool read = method == Method::Get;
        const bool write = one ? method == Method::Put : method == Method::Post;
        if (!read && !write) return wrongMethod();
        // Texts are checked before the box is asked about, as set does.
        std::vector<cli::SettingChange> changes;
        if (write) {
            Json body;
            try {
                body = Json::parse(request.body().toStdString());
            } catch (const Json::exception&) {
                return Reply::Error(Status::BadRequest, "the body is not JSON");
            }
            if (!body.is_object()) return Reply::Error(Status::BadRequest, "the body must be a JSON object");
            if (one) {
                if (!body.contains("text") || !body["text"].is_string())
                    return Reply::Error(Status::BadRequest, "the body must be {\"text\": \"VALUE\"}");
                body = Json{{one->address, body["text"]}};
            }
            if (body.empty()) return Reply::Error(Status::BadRequest, "no setting given");
            for (const auto& [address, text] : body.items()) {
                const Setting* s = FindSetting(address);
                if (!s) return Reply::Error(Status::NotFound, cli::UnknownSettingText(address));
                if (!text.is_string())
                    return Reply::Error(Status::BadRequest, address + ": the value must be a text, as set takes it");
                cli::SettingChange change;
                if (const std::string refusal = cli::ReadChange(*s, text.get<std::string>(), change); !refusal.empty())
                    return Reply::Error(Status::BadRequest, refusal);
                changes.push_back(change);
            }
        }
        if (!box.Ready()) return gone();
        if (write) {
            if (const std::string refusal = cli::ApplyChanges(dev, changes); !refusal.empty())
                return Reply::Error(Status::BadRequest, refusal);
            box.AnnounceChanges();
            Q_EMIT Edited(&box);
        }
        if (one) return Reply::Ok(Json{{one->address, cli::SettingValueObject(*one, dev)}});
        if (write) {
            Json j = Json::object();
            for (const cli::SettingChange& c : changes)
                j[c.setting->address] = cli::SettingValueObject(*c.setting, dev);
            return Reply::Ok(j);
        }
        Json all = Json::array();
        for (const Setting& s : AllSettings()) {
            Json j = cli::SettingListEntry(s);
            const Json value = cli::SettingValueObject(s, dev);
            for (const auto& [k, v] : value.items()) j[k] = v;
            all.push_back(std::move(j));
        }
        return Reply::Ok(all);
    }

    if (what == "modes" && rest.size() == 3) {
        bool isNumber = false;
        const int n = rest[1].toInt(&isNumber);
        if (!isNumber || n < 1 || n > kModeSlots)
            return Reply::Error(Status::NotFound, "the mode number must be 1, 2, 3 or 4");
        const QString action = rest[2];
        if (action != "load" && action != "save" && action != "reset")
            return Reply::Error(Status::NotFound, "a mode is loaded, saved or reset");
        if (method != Method::Post) return wrongMethod();
        if (!box.Ready()) return gone();
        const int slot = n - 1;
        if (action != "save" && box.Held()) return heldElsewhere();
        if (action == "save") {
            dev.encoders.SaveUserMode(slot);
            return Reply::Ok(Json{{"mode", n}});
        }
        if (action == "load")
            dev.encoders.LoadUserMode(slot);
        else
            dev.encoders.ResetUserMode(slot);
        // Answered once the box's mode was read back.
        auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
        box.Resync(true, [responder, &dev, n](bool ok) {
            const Reply r = ok ? Reply::Ok(Json{{"mode", n}, {"currentMode", CurrentSlot(dev.store) + 1}})
                               : Reply::Error(Status::ServiceUnavailable, "the box was lost while reading the mode");
            responder->write(r.body, r.type, r.status);
        });
        return Reply::Later();
    }

    if (what == "mode-file" && rest.size() == 1) {
        if (method != Method::Get && method != Method::Put) return wrongMethod();
        if (!box.Ready()) return gone();
        if (method == Method::Put && box.Held()) return heldElsewhere();
        if (method == Method::Get) {
            const auto bytes = EncodeModeFile(dev.store);
            return {Status::Ok,
                    QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())),
                    kOctetType, false};
        }
        const QByteArray body = request.body();
        const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(body.constData()),
                                                  static_cast<std::size_t>(body.size()));
        // Checked against this box's maxima and command set before anything is sent.
        ParameterStore file;
        file.SetAppliedSettings(dev.store.AppliedSettings());
        file.SetCommandSetVersion(dev.store.CommandSetVersion());
        const ModeFileResult loaded = DecodeModeFile(bytes, file);
        if (loaded.status != ModeFileStatus::Ok)
            return Reply::Error(Status::BadRequest, "the body is not a mode file this program reads");
        if (const auto outside = CheckStore(file); !outside.empty()) {
            Json list = Json::array();
            for (const OutOfRange& o : outside) list.push_back(o.address + " is " + o.fileValue + ", out of range");
            return {Status::BadRequest, Dump(Json{{"error", "values out of range, nothing sent"}, {"values", list}}),
                    kJsonType, false};
        }
        DecodeModeFile(bytes, dev.store);
        auto responder = std::make_shared<QHttpServerResponder>(makeResponder(request, socket));
        box.Resync(false, [responder](bool ok) {
            const Reply r = ok ? Reply::Ok(Json{{"loaded", true}})
                               : Reply::Error(Status::ServiceUnavailable, "the box was lost while writing the mode");
            responder->write(r.body, r.type, r.status);
        });
        return Reply::Later();
    }
    return Reply::Error(Status::NotFound, "no such resource");
}

void ApiServer::TakeWebSocket() {
    while (hasPendingWebSocketConnections()) {
        QWebSocket* ws = nextPendingWebSocketConnection().release();
        ws->setParent(this);
        connect(ws, &QWebSocket::disconnected, ws, &QObject::deleteLater);
        const QStringList parts = Segments(ws->requestUrl());
        const bool plain = parts.size() == 3 && parts[2] == kEventsPath;
        const bool ofBox = parts.size() == 5 && parts[2] == "devices" && parts[4] == kEventsPath && FindBox(parts[3]);
        const QByteArray header = ws->request().rawHeader("Authorization");
        const QUrlQuery query(ws->requestUrl());
        const QByteArray given = header.startsWith("Bearer ")
                                     ? header.mid(7).trimmed()
                                     : query.queryItemValue("token", QUrl::FullyDecoded).toUtf8();
        if ("/" + parts.value(0) + "/" + parts.value(1) != kApiPrefix || !(plain || ofBox)) {
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated, "no such event stream");
            continue;
        }
        if (!TokensEqual(given, m_token)) {
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated, "a valid token is needed");
            continue;
        }
        m_clients.removeAll(nullptr);
        if (m_clients.size() >= kMaxEventClients) {
            ws->close(QWebSocketProtocol::CloseCodePolicyViolated,
                      "too many event clients (" + QString::number(kMaxEventClients) + " at most)");
            continue;
        }
        m_clients.push_back(ws);
        connect(ws, &QWebSocket::disconnected, this, [this, ws] { m_clients.removeAll(ws); });
        Json hello{{"event", "hello"}, {"devices", Json::array()}};
        for (BoxHolder* box : m_boxes)
            hello["devices"].push_back({{"id", box->Id().toStdString()}, {"connected", box->Ready()}});
        ws->sendTextMessage(QString::fromStdString(hello.dump()));
    }
}

void ApiServer::Broadcast(const QByteArray& message) {
    const QString text = QString::fromUtf8(message);
    for (const QPointer<QWebSocket>& ws : std::as_const(m_clients))
        if (ws) ws->sendTextMessage(text);
}

void ApiServer::OnSettingChanged(BoxHolder* box, int index) {
    const Setting& s = AllSettings()[static_cast<std::size_t>(index)];
    Json j{{"event", "setting"}, {"device", box->Id().toStdString()}, {"address", s.address}};
    const Json value = cli::SettingValueObject(s, box->Box());
    for (const auto& [k, v] : value.items()) j[k] = v;
    Broadcast(QByteArray::fromStdString(j.dump(-1, ' ', false, Json::error_handler_t::replace)));
}

void ApiServer::OnBoxState(BoxHolder* box, bool connected) {
    const Json j{{"event", "device"}, {"device", box->Id().toStdString()}, {"connected", connected}};
    Broadcast(QByteArray::fromStdString(j.dump()));
}

}  // namespace kv::net
