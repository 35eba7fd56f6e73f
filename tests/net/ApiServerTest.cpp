// The server's API over real sockets on 127.0.0.1 against the simulated box: every route
// and error status, the event stream, and the load a venue puts on it.

#include <QTcpSocket>
#include <QtTest>
#include <nlohmann/json.hpp>

#include "ServerFixture.h"
#include "device/Commands.h"
#include "device/SettingTable.h"
#include "model/SettingsRecord.h"

namespace kv::test {

using Json = nlohmann::json;
using net::ApiServer;

class ApiServerTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void routes_data();
    void routes();
    void putChangesTheBoxAndAnswersTheNewObject();
    void postIsAllOrNothing();
    void modeLoadReadsBack();
    void modeFileRoundTrip();
    void modeFileGivesTheBoxTheSameMode_data();
    void modeFileGivesTheBoxTheSameMode();
    void eventsOfEveryKindOfChange();
    void oversizedAndMalformedRequests_data();
    void oversizedAndMalformedRequests();
    void slowClientDoesNotHoldOthers();
    void eventClientsAreLimited();
    void concurrentSetters();
    void boxUnpluggedAndBack();
};

void ApiServerTest::routes_data() {
    QTest::addColumn<QByteArray>("method");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<QByteArray>("token");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("contains");
    const QByteArray t = kTestToken;
    QTest::newRow("no token") << QByteArray("GET") << "/api/v1/device" << QByteArray() << QByteArray() << 401
                              << QByteArray("token");
    QTest::newRow("wrong token") << QByteArray("GET") << "/api/v1/device" << QByteArray()
                                 << QByteArray("00112233445566778899aabbccddeefe") << 401 << QByteArray("token");
    QTest::newRow("token prefix") << QByteArray("GET") << "/api/v1/device" << QByteArray()
                                  << QByteArray("00112233445566778899aabbccddee") << 401 << QByteArray("token");
    QTest::newRow("api takes no query token") << QByteArray("GET") << "/api/v1/device?token=" + QString(t)
                                              << QByteArray() << QByteArray() << 401 << QByteArray("token");
    QTest::newRow("page with query token")
        << QByteArray("GET") << "/?token=" + QString(t) << QByteArray() << QByteArray() << 200 << QByteArray("<html");
    QTest::newRow("page without token") << QByteArray("GET") << "/" << QByteArray() << QByteArray() << 401
                                        << QByteArray("token");
    QTest::newRow("device") << QByteArray("GET") << "/api/v1/device" << QByteArray() << t << 200
                            << QByteArray("\"commandSetVersion\": 9");
    QTest::newRow("devices") << QByteArray("GET") << "/api/v1/devices" << QByteArray() << t << 200
                             << QByteArray("\"id\": \"sim\"");
    QTest::newRow("all settings") << QByteArray("GET") << "/api/v1/settings" << QByteArray() << t << 200
                                  << QByteArray("\"address\": \"music.level\"");
    QTest::newRow("one setting") << QByteArray("GET") << "/api/v1/settings/music.mute" << QByteArray() << t << 200
                                 << QByteArray("\"text\": \"off\"");
    QTest::newRow("one setting of a named box") << QByteArray("GET") << "/api/v1/devices/sim/settings/music.mute"
                                                << QByteArray() << t << 200 << QByteArray("\"music.mute\"");
    QTest::newRow("unknown box") << QByteArray("GET") << "/api/v1/devices/hid/device" << QByteArray() << t << 404
                                 << QByteArray("hid");
    QTest::newRow("unknown address") << QByteArray("GET") << "/api/v1/settings/music.loud" << QByteArray() << t << 404
                                     << QByteArray("unknown setting \\\"music.loud\\\"");
    QTest::newRow("put to unknown address") << QByteArray("PUT") << "/api/v1/settings/music.loud"
                                            << QByteArray(R"({"text":"1"})") << t << 404 << QByteArray("unknown");
    QTest::newRow("value out of range as set says it")
        << QByteArray("PUT") << "/api/v1/settings/music.level" << QByteArray(R"({"text":"100"})") << t << 400
        << QByteArray(R"(music.level: \"100\" is not one of its values (0..99))");
    QTest::newRow("bad json") << QByteArray("PUT") << "/api/v1/settings/music.level" << QByteArray(R"({"text":)") << t
                              << 400 << QByteArray("not JSON");
    QTest::newRow("text not a string") << QByteArray("PUT") << "/api/v1/settings/music.level"
                                       << QByteArray(R"({"text":40})") << t << 400 << QByteArray("text");
    QTest::newRow("post of one address is not taken")
        << QByteArray("POST") << "/api/v1/settings/music.level" << QByteArray("{}") << t << 405 << QByteArray("method");
    QTest::newRow("empty post") << QByteArray("POST") << "/api/v1/settings" << QByteArray("{}") << t << 400
                                << QByteArray("no setting");
    QTest::newRow("mode out of range") << QByteArray("POST") << "/api/v1/modes/5/load" << QByteArray() << t << 404
                                       << QByteArray("1, 2, 3 or 4");
    QTest::newRow("mode action unknown") << QByteArray("POST") << "/api/v1/modes/2/copy" << QByteArray() << t << 404
                                         << QByteArray("loaded, saved or reset");
    QTest::newRow("mode save") << QByteArray("POST") << "/api/v1/modes/3/save" << QByteArray() << t << 200
                               << QByteArray("\"mode\": 3");
    QTest::newRow("mode file not a file")
        << QByteArray("PUT") << "/api/v1/mode-file" << QByteArray("xyz") << t << 400 << QByteArray("mode file");
    QTest::newRow("events over plain http")
        << QByteArray("GET") << "/api/v1/events" << QByteArray() << t << 400 << QByteArray("WebSocket");
    QTest::newRow("unknown path") << QByteArray("GET") << "/api/v2/device" << QByteArray() << t << 404
                                  << QByteArray("no such");
}

void ApiServerTest::routes() {
    QFETCH(QByteArray, method);
    QFETCH(QString, path);
    QFETCH(QByteArray, body);
    QFETCH(QByteArray, token);
    QFETCH(int, status);
    QFETCH(QByteArray, contains);
    ServerFixture f;
    QVERIFY(f.ready);
    const HttpResult r = f.Http(method, path, body, token);
    QCOMPARE(r.status, status);
    QVERIFY2(r.body.contains(contains), r.body.constData());
}

void ApiServerTest::putChangesTheBoxAndAnswersTheNewObject() {
    ServerFixture f;
    QVERIFY(f.ready);
    f.box->ClearTranscript();
    const HttpResult r = f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"40"})");
    QCOMPARE(r.status, 200);
    QCOMPARE(Json::parse(r.body.toStdString()), Json::parse(R"({"music.level": {"value": 40, "text": "40"}})"));
    QVERIFY(QTest::qWaitFor([&] { return !f.box->Received(cmd::kParamWrite).empty(); }, kWaitMs));
    QVERIFY(f.box->Violations().empty());
    const HttpResult again = f.Http("GET", "/api/v1/settings/music.level");
    QCOMPARE(again.body, r.body);
}

void ApiServerTest::postIsAllOrNothing() {
    ServerFixture f;
    QVERIFY(f.ready);
    f.box->ClearTranscript();
    // The second text is refused: the first must not reach the box either.
    const HttpResult refused = f.Http("POST", "/api/v1/settings", R"({"music.level": "20", "music.mute": "maybe"})");
    QCOMPARE(refused.status, 400);
    QVERIFY(refused.body.contains("music.mute"));
    QTest::qWait(100);
    QVERIFY(f.box->Received(cmd::kParamWrite).empty());
    const HttpResult taken = f.Http("POST", "/api/v1/settings", R"({"music.level": "20", "music.mute": "on"})");
    QCOMPARE(taken.status, 200);
    const Json j = Json::parse(taken.body.toStdString());
    QCOMPARE(j["music.level"]["text"], "20");
    QCOMPARE(j["music.mute"]["value"], true);
}

void ApiServerTest::modeLoadReadsBack() {
    ServerFixture f;
    QVERIFY(f.ready);
    const HttpResult r = f.Http("POST", "/api/v1/modes/2/load");
    QCOMPARE(r.status, 200);
    QVERIFY2(r.body.contains("\"currentMode\": 2"), r.body.constData());
    QCOMPARE(f.box->CurrentSlot(), 1);
}

void ApiServerTest::modeFileRoundTrip() {
    ServerFixture f;
    QVERIFY(f.ready);
    QCOMPARE(f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"33"})").status, 200);
    const HttpResult file = f.Http("GET", "/api/v1/mode-file");
    QCOMPARE(file.status, 200);
    QCOMPARE(file.body.size(), 1823);
    QCOMPARE(f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"5"})").status, 200);
    const HttpResult loaded = f.Http("PUT", "/api/v1/mode-file", file.body);
    QCOMPARE(loaded.status, 200);
    QVERIFY(f.box->Violations().empty());
}

void ApiServerTest::modeFileGivesTheBoxTheSameMode_data() {
    QTest::addColumn<int>("saveMode");
    QTest::addColumn<QString>("musicLevel");  // after the file, as the box has it
    // The master volumes go with the mode only when the box is set to keep them so.
    QTest::newRow("volumes kept across power") << int(record::kSaveAcrossPower) << "5";
    QTest::newRow("volumes kept with the mode") << int(record::kSaveWithMode) << "33";
}

void ApiServerTest::modeFileGivesTheBoxTheSameMode() {
    QFETCH(int, saveMode);
    QFETCH(QString, musicLevel);
    ServerFixture f;
    QVERIFY(f.ready);
    auto record = f.holder->Box().store.AppliedSettings();
    record[record::kSaveMode] = static_cast<std::uint8_t>(saveMode);
    f.holder->Box().encoders.WriteSettings(record);
    auto readBack = [&] {
        bool done = false, ok = false;
        f.holder->Resync(true, [&](bool answered) {
            ok = answered;
            done = true;
        });
        return QTest::qWaitFor([&] { return done; }, kWaitMs) && ok;
    };
    // A fresh simulated box holds zeros some settings cannot take (delays, predelays): its own
    // file, written and read back, makes it a box as a box would be.
    QCOMPARE(f.Http("PUT", "/api/v1/mode-file", f.Http("GET", "/api/v1/mode-file").body).status, 200);
    QVERIFY(readBack());
    // Settings of every kind the file carries, the pitch among them; then each changed.
    const std::vector<std::pair<const char*, std::pair<const char*, const char*>>> rows{
        {"music.pitch", {"-3", "4"}},           {"music.level", {"33", "5"}},
        {"music.mute", {"on", "off"}},          {"mic.2.route", {"B", "A"}},
        {"eq.music.3.gain", {"-4.5", "2"}},     {"eq.main.2.freq", {"250", "4000"}},
        {"delay.main.l", {"3.5", "20"}},        {"main.comp.threshold", {"-20", "-5"}},
        {"music.agc.level", {"-3", "2"}},       {"mica.reverb.predelay", {"20", "100"}},
        {"micb.reverb.predelay", {"60", "70"}}, {"mica.echo.predelay", {"20", "30"}},
        {"micb.echo.predelay", {"40", "50"}},
    };
    auto putAll = [&](bool first) {
        for (const auto& [address, texts] : rows) {
            const QByteArray body = QByteArray(R"({"text":")") + (first ? texts.first : texts.second) + "\"}";
            const HttpResult r = f.Http("PUT", QString("/api/v1/settings/") + address, body);
            if (r.status != 200) return QByteArray(address) + ": " + r.body;
        }
        return QByteArray();
    };
    QCOMPARE(putAll(true), QByteArray());
    const HttpResult file = f.Http("GET", "/api/v1/mode-file");
    QCOMPARE(file.status, 200);
    QCOMPARE(putAll(false), QByteArray());
    QCOMPARE(f.Http("PUT", "/api/v1/mode-file", file.body).status, 200);
    // The box itself, read back, holds the file's mode byte for byte.
    QVERIFY(readBack());
    QVERIFY(f.Http("GET", "/api/v1/settings/music.pitch").body.contains("\"text\": \"-3\""));
    const HttpResult level = f.Http("GET", "/api/v1/settings/music.level");
    QVERIFY2(level.body.contains("\"text\": \"" + musicLevel.toUtf8() + "\""), level.body.constData());
    QCOMPARE(f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"33"})").status, 200);
    const HttpResult again = f.Http("GET", "/api/v1/mode-file");
    QCOMPARE(again.body.size(), file.body.size());
    for (qsizetype i = 0; i < file.body.size(); ++i)
        QVERIFY2(again.body[i] == file.body[i], qPrintable("the mode file differs at byte " + QString::number(i)));
    QVERIFY(f.box->Violations().empty());
}

void ApiServerTest::eventsOfEveryKindOfChange() {
    ServerFixture f;
    QVERIFY(f.ready);
    auto events = f.Listen();
    QVERIFY(QTest::qWaitFor([&] { return events->Has("\"hello\""); }, kWaitMs));
    // Another client's change.
    QCOMPARE(f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"41"})").status, 200);
    QVERIFY(QTest::qWaitFor([&] { return events->Has(R"("address":"music.level","value":41,"text":"41")"); }, kWaitMs));
    // A change made beside the server, as the window makes it.
    FindSetting("mic.level")->apply(f.holder->Box(), 12);
    QVERIFY(QTest::qWaitFor([&] { return events->Has(R"("address":"mic.level","value":12)"); }, kWaitMs));
    // Exactly one event per change.
    int count = 0;
    for (const QByteArray& m : events->messages) count += m.contains("\"mic.level\"") ? 1 : 0;
    QCOMPARE(count, 1);
}

void ApiServerTest::oversizedAndMalformedRequests_data() {
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<QByteArray>("answer");  // the status line's start, or empty: the link is closed
    const QByteArray auth = "Authorization: Bearer " + kTestToken + "\r\n";
    const QByteArray bigBody(ApiServer::kMaxRequestBytes + 1, 'a');
    QTest::newRow("body over 64 KiB") << "POST /api/v1/settings HTTP/1.1\r\nHost: x\r\n" + auth +
                                             "Content-Length: " + QByteArray::number(bigBody.size()) + "\r\n\r\n" +
                                             bigBody
                                      << QByteArray("HTTP/1.1 413");
    QTest::newRow("headers over 64 KiB") << "GET /api/v1/device HTTP/1.1\r\nHost: x\r\n" + auth +
                                                "X-Pad: " + QByteArray(ApiServer::kMaxRequestBytes, 'p') + "\r\n\r\n"
                                         << QByteArray("HTTP/1.1 413");
    QTest::newRow("not http") << QByteArray("\x01\x02 nonsense\r\n\r\n") << QByteArray();
    QTest::newRow("bad request line") << QByteArray("GET\t/\x7f HTTP/x.y\r\n\r\n") << QByteArray();
}

void ApiServerTest::oversizedAndMalformedRequests() {
    QFETCH(QByteArray, request);
    QFETCH(QByteArray, answer);
    ServerFixture f;
    QVERIFY(f.ready);
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, f.port);
    QVERIFY(socket.waitForConnected(kWaitMs));
    socket.write(request);
    QByteArray got;
    bool closed = false;
    QObject::connect(&socket, &QTcpSocket::disconnected, [&] { closed = true; });
    // Either ends the wait; what it was is checked below.
    (void)QTest::qWaitFor(
        [&] {
            got += socket.readAll();
            return closed || (!answer.isEmpty() && got.startsWith(answer));
        },
        kWaitMs);
    if (answer.isEmpty())
        QVERIFY2(closed || got.startsWith("HTTP/1.1 400"), got.left(80).constData());
    else
        QVERIFY2(got.startsWith(answer), got.left(80).constData());
    // The server is still there for the next client.
    QCOMPARE(f.Http("GET", "/api/v1/device").status, 200);
}

void ApiServerTest::slowClientDoesNotHoldOthers() {
    ServerFixture f;
    QVERIFY(f.ready);
    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, f.port);
    QVERIFY(slow.waitForConnected(kWaitMs));
    const QByteArray request = "GET /api/v1/device HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + kTestToken +
                               "\r\nConnection: close\r\n\r\n";
    QByteArray got;
    // A byte at a time with pauses; every pause another client is answered at once.
    for (int i = 0; i < 12; ++i) {
        slow.write(request.mid(i, 1));
        slow.flush();
        QElapsedTimer t;
        t.start();
        QCOMPARE(f.Http("GET", "/api/v1/devices").status, 200);
        QVERIFY(t.elapsed() < 1000);
    }
    slow.write(request.mid(12));
    QVERIFY(QTest::qWaitFor(
        [&] {
            got += slow.readAll();
            return got.contains("\"connected\": true");
        },
        kWaitMs));
}

void ApiServerTest::eventClientsAreLimited() {
    ServerFixture f;
    QVERIFY(f.ready);
    std::vector<std::unique_ptr<ServerFixture::Events>> clients;
    for (int i = 0; i < ApiServer::kMaxEventClients; ++i) clients.push_back(f.Listen());
    QVERIFY(QTest::qWaitFor(
        [&] { return std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->Has("hello"); }); },
        kWaitMs));
    auto extra = f.Listen();
    QVERIFY(QTest::qWaitFor([&] { return extra->closed; }, kWaitMs));
    QVERIFY2(extra->closeReason.contains("too many"), qPrintable(extra->closeReason));
    auto wrongToken = f.Listen("ffffffffffffffffffffffffffffffff");
    QVERIFY(QTest::qWaitFor([&] { return wrongToken->closed; }, kWaitMs));
    QVERIFY(wrongToken->closeReason.contains("token"));
    // Every one of the 32 still gets the events.
    QCOMPARE(f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"7"})").status, 200);
    QVERIFY(QTest::qWaitFor(
        [&] {
            return std::all_of(clients.begin(), clients.end(), [](const auto& c) { return c->Has("\"music.level\""); });
        },
        kWaitMs));
    // One leaves: a place is free again.
    clients.front()->socket->close();
    clients.erase(clients.begin());
    QVERIFY(QTest::qWaitFor([&] { return f.server->EventClients() < ApiServer::kMaxEventClients; }, kWaitMs));
    auto next = f.Listen();
    QVERIFY(QTest::qWaitFor([&] { return next->Has("hello"); }, kWaitMs));
}

void ApiServerTest::concurrentSetters() {
    ServerFixture f;
    QVERIFY(f.ready);
    // 32 raw connections whose requests all arrive before the first is answered: half set
    // the same level, half one level each.
    const char* own[16] = {"mic.level",        "echo.level",        "reverb.level",       "aux1.level",
                           "aux2.level",       "spdif.level",       "music.pitch",        "mic.gate.attack",
                           "mic.gate.release", "music.gate.attack", "music.gate.release", "music.agc",
                           "mic.mute",         "echo.mute",         "music.mute",         "aux2.on"};
    const char* value[16] = {"11", "12", "13", "14", "15", "16", "-2", "30",
                             "31", "32", "33", "on", "on", "on", "on", "on"};
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    std::vector<QByteArray> answers(32);
    for (int i = 0; i < 32; ++i) {
        const bool same = i < 16;
        const QByteArray address = same ? "music.level" : own[i - 16];
        const QByteArray body =
            "{\"text\":\"" + (same ? QByteArray::number(50 + i) : QByteArray(value[i - 16])) + "\"}";
        auto s = std::make_unique<QTcpSocket>();
        s->connectToHost(QHostAddress::LocalHost, f.port);
        QVERIFY(s->waitForConnected(kWaitMs));
        s->write("PUT /api/v1/settings/" + address + " HTTP/1.1\r\nHost: x\r\nAuthorization: Bearer " + kTestToken +
                 "\r\nConnection: close\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
        sockets.push_back(std::move(s));
    }
    std::vector<int> order;  // the answers seen so far
    QVERIFY(QTest::qWaitFor(
        [&] {
            for (int i = 0; i < 32; ++i) {
                const bool had = answers[i].contains("\r\n\r\n{");
                answers[i] += sockets[i]->readAll();
                if (!had && answers[i].contains("\r\n\r\n{")) order.push_back(i);
            }
            return order.size() == 32;
        },
        kWaitMs));
    for (const QByteArray& a : answers) QVERIFY2(a.startsWith("HTTP/1.1 200"), a.constData());
    // The box itself, read back, holds each value; the shared one is the last answered.
    f.holder->Box().link.Flush();
    const QByteArray served = f.Http("GET", "/api/v1/settings/music.level").body;
    bool readBack = false, done = false;
    f.holder->Resync(true, [&](bool ok) {
        readBack = ok;
        done = true;
    });
    QVERIFY(QTest::qWaitFor([&] { return done; }, kWaitMs));
    QVERIFY(readBack);
    // One of the sixteen, whole: which one went last is the server's order, and the answers
    // are read here in turns, so two that arrive together are seen in socket order.
    const QByteArray shared = f.Http("GET", "/api/v1/settings/music.level").body;
    bool oneOfThem = false;
    for (int i = 0; i < 16; ++i) oneOfThem |= shared.contains("\"text\": \"" + QByteArray::number(50 + i) + "\"");
    QVERIFY2(oneOfThem, shared.constData());
    QCOMPARE(shared, served);  // what the server said is what the box holds
    for (int i = 0; i < 16; ++i) {
        const HttpResult r = f.Http("GET", QString("/api/v1/settings/") + own[i]);
        QVERIFY2(r.body.contains(QByteArray("\"text\": \"") + value[i]), r.body.constData());
    }
    QVERIFY(f.box->Violations().empty());
}

void ApiServerTest::boxUnpluggedAndBack() {
    ServerFixture f;
    QVERIFY(f.ready);
    auto events = f.Listen();
    QVERIFY(QTest::qWaitFor([&] { return events->Has("hello"); }, kWaitMs));
    f.box->SetUnplugged(true);
    QVERIFY(
        QTest::qWaitFor([&] { return events->Has(R"("event":"device","device":"sim","connected":false)"); }, kWaitMs));
    QCOMPARE(f.Http("GET", "/api/v1/settings/music.level").status, 503);
    QCOMPARE(f.Http("PUT", "/api/v1/settings/music.level", R"({"text":"3"})").status, 503);
    QVERIFY(f.Http("GET", "/api/v1/device").body.contains("\"connected\": false"));
    // Back, with a value changed meanwhile on its own panel: read back, and announced.
    f.box->ClearTranscript();
    f.box->SetUnplugged(false);
    QVERIFY(
        QTest::qWaitFor([&] { return events->Has(R"("event":"device","device":"sim","connected":true)"); }, kWaitMs));
    QVERIFY(!f.box->Received().empty());
    QCOMPARE(f.Http("GET", "/api/v1/settings/music.level").status, 200);
}

}  // namespace kv::test

QTEST_GUILESS_MAIN(kv::test::ApiServerTest)
#include "ApiServerTest.moc"
