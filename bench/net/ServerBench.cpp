// kv4420ctl serve against kv4420-sim answering in 2 ms, all real processes on 127.0.0.1:
// a set through the running server against a direct set (its own open and read-back, with
// the real settling wait) in the same run, the time from a PUT until a second client's event
// stream has the change, and GET requests per second on one kept-alive connection.

#include <benchmark/benchmark.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QWebSocket>
#include <memory>
#include <regex>
#include <string>

namespace {

constexpr int kStartMs = 15000;
constexpr char kLatencyMs[] = "2";

struct Rig {
    QTemporaryDir dir;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    std::unique_ptr<QProcess> served, direct, serve;
    int port = 0;
    std::string token;

    QString Socket(const char* name) const { return dir.path() + "/" + name + ".sock"; }

    std::unique_ptr<QProcess> Sim(const char* name) {
        auto p = std::make_unique<QProcess>();
        p->setProcessChannelMode(QProcess::MergedChannels);
        p->start(KV_SIM_PATH, {"--listen", Socket(name), "--latency-ms", kLatencyMs});
        p->waitForReadyRead(kStartMs);  // "serving on ..."
        return p;
    }

    Rig() {
        ::mkdir((dir.path() + "/run").toLocal8Bit().constData(), 0700);
        env.insert("XDG_CONFIG_HOME", dir.path() + "/config");
        env.insert("XDG_RUNTIME_DIR", dir.path() + "/run");
        served = Sim("a");
        direct = Sim("b");
        serve = std::make_unique<QProcess>();
        serve->setProcessEnvironment(env);
        serve->setProcessChannelMode(QProcess::MergedChannels);
        serve->start(KV_CTL_PATH, {"serve", "--listen", "127.0.0.1:0", "--device", "unix:" + Socket("a")});
        std::string said;
        const std::regex line(R"(127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+))");
        QElapsedTimer t;
        t.start();
        std::smatch m;
        while (t.elapsed() < kStartMs && !std::regex_search(said, m, line)) {
            serve->waitForReadyRead(50);
            said += serve->readAll().toStdString();
        }
        if (m.empty()) return;
        port = std::stoi(m[1]);
        token = m[2];
        // Until the box was read back once.
        while (t.elapsed() < kStartMs && Get("/api/v1/device").find("\"connected\": true") == std::string::npos) {
        }
    }
    ~Rig() {
        for (auto* p : {serve.get(), served.get(), direct.get()}) {
            if (!p) continue;
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    int Ctl(const QStringList& args, bool realSettling) {
        QProcess p;
        QProcessEnvironment e = env;
        if (!realSettling) e.insert("KV4420_SYNC_WAIT_MS", "0");
        p.setProcessEnvironment(e);
        p.start(KV_CTL_PATH, args);
        p.waitForFinished(60000);
        return p.exitCode();
    }

    // One request on a kept-alive connection; the body.
    std::string Request(QTcpSocket& s, const std::string& method, const std::string& path,
                        const std::string& body = {}) {
        const std::string r = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " + token +
                              "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
        s.write(r.data(), static_cast<qint64>(r.size()));
        std::string got;
        static const std::regex length("[Cc]ontent-[Ll]ength: *(\\d+)");
        for (;;) {
            if (!s.waitForReadyRead(5000)) return {};
            got += s.readAll().toStdString();
            const auto split = got.find("\r\n\r\n");
            std::smatch m;
            if (split == std::string::npos || !std::regex_search(got, m, length)) continue;
            if (got.size() >= split + 4 + std::stoul(m[1])) return got.substr(split + 4);
        }
    }
    std::string Get(const std::string& path) {
        QTcpSocket s;
        s.connectToHost("127.0.0.1", static_cast<quint16>(port));
        if (!s.waitForConnected(5000)) return {};
        return Request(s, "GET", path);
    }
};

Rig& TheRig() {
    static Rig rig;
    return rig;
}

void BM_SetThroughServe(benchmark::State& state) {
    Rig& rig = TheRig();
    int level = 0;
    for (auto _ : state)
        if (rig.Ctl({"--device", "unix:" + rig.Socket("a"), "set", "music.level=" + QString::number(++level % 90)},
                    false) != 0)
            state.SkipWithError("set through the server failed");
}

void BM_SetDirect(benchmark::State& state) {
    Rig& rig = TheRig();
    int level = 0;
    for (auto _ : state)
        if (rig.Ctl({"--device", "unix:" + rig.Socket("b"), "set", "music.level=" + QString::number(++level % 90)},
                    true) != 0)
            state.SkipWithError("direct set failed");
}

void BM_EventLatency(benchmark::State& state) {
    Rig& rig = TheRig();
    QWebSocket ws;
    QString last;
    QObject::connect(&ws, &QWebSocket::textMessageReceived, [&](const QString& m) { last = m; });
    ws.open(QUrl(QString("ws://127.0.0.1:%1/api/v1/events?token=%2").arg(rig.port).arg(rig.token.c_str())));
    QElapsedTimer t;
    t.start();
    while (last.isEmpty() && t.elapsed() < kStartMs) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    QTcpSocket http;
    http.connectToHost("127.0.0.1", static_cast<quint16>(rig.port));
    http.waitForConnected(5000);
    int level = 0;
    for (auto _ : state) {
        const QString value = QString::number(++level % 90 + 5);
        const QString want = "\"address\":\"music.level\",\"value\":" + value + ",";
        QElapsedTimer sent;
        sent.start();
        rig.Request(http, "PUT", "/api/v1/settings/music.level", "{\"text\":\"" + value.toStdString() + "\"}");
        while (!last.contains(want) && sent.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        state.SetIterationTime(static_cast<double>(sent.nsecsElapsed()) / 1e9);
    }
}

void BM_GetRequests(benchmark::State& state) {
    Rig& rig = TheRig();
    QTcpSocket http;
    http.connectToHost("127.0.0.1", static_cast<quint16>(rig.port));
    http.waitForConnected(5000);
    for (auto _ : state) benchmark::DoNotOptimize(rig.Request(http, "GET", "/api/v1/settings/music.level"));
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_SetThroughServe)->Name("SetThroughServe")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(40);
BENCHMARK(BM_SetDirect)->Name("SetDirect")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_EventLatency)->Name("PutToEvent")->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(100);
BENCHMARK(BM_GetRequests)->Name("GetSetting")->Unit(benchmark::kMicrosecond)->UseRealTime()->MinTime(1.0);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (TheRig().port == 0) {
        std::fprintf(stderr, "kv4420ctl serve did not start\n");
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
