#include "ServeProcess.h"

#include <sys/stat.h>

#include <QProcess>
#include <QTcpSocket>
#include <chrono>
#include <regex>
#include <thread>

namespace kv::test {
namespace {

constexpr int kStartMs = 10000;
constexpr int kAnswerMs = 5000;

}  // namespace

ServeProcess::ServeProcess(const std::string& home, const std::vector<std::string>& uris,
                           std::vector<std::string> extra)
    : m_process(std::make_unique<QProcess>()) {
    // The runtime folder exists, as the session's does; the server makes its own inside.
    ::mkdir((home + "/run").c_str(), 0700);
    QStringList args{"serve", "--listen", "127.0.0.1:0"};
    for (const std::string& uri : uris) args << "--device" << QString::fromStdString(uri);
    for (const std::string& e : extra) args << QString::fromStdString(e);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_CONFIG_HOME", QString::fromStdString(home + "/config"));
    env.insert("XDG_RUNTIME_DIR", QString::fromStdString(home + "/run"));
    env.insert("KV4420_SYNC_WAIT_MS", "0");
    m_process->setProcessEnvironment(env);
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_process->start(KV_CTL_PATH, args);
    if (!m_process->waitForStarted()) return;
    const std::regex line(R"(serving http://127\.0\.0\.1:(\d+)/\?token=([0-9a-f]+))");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
    while (std::chrono::steady_clock::now() < deadline && m_process->state() == QProcess::Running) {
        m_process->waitForReadyRead(50);
        m_said += m_process->readAll().toStdString();
        std::smatch m;
        if (std::regex_search(m_said, m, line)) {
            m_port = std::stoi(m[1]);
            m_token = m[2];
            m_startLine = m[0];
            return;
        }
    }
}

ServeProcess::~ServeProcess() {
    if (m_process->state() == QProcess::NotRunning) return;
    m_process->kill();
    m_process->waitForFinished();
}

bool ServeProcess::WaitConnected() const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
    while (std::chrono::steady_clock::now() < deadline) {
        if (Http("GET", "/api/v1/device").body.find("\"connected\": true") != std::string::npos) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

std::string ServeProcess::Output() {
    m_said += m_process->readAll().toStdString();
    return m_said;
}

RawHttp ServeProcess::Http(const std::string& method, const std::string& path, const std::string& body,
                           bool withToken) const {
    QTcpSocket socket;
    socket.connectToHost("127.0.0.1", static_cast<quint16>(m_port));
    if (!socket.waitForConnected(kAnswerMs)) return {};
    std::string request = method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    if (withToken) request += "Authorization: Bearer " + m_token + "\r\n";
    request += "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    socket.write(request.data(), static_cast<qint64>(request.size()));
    std::string got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kAnswerMs);
    // Until the whole body is in, by its length, or the server closes.
    auto complete = [&] {
        const auto split = got.find("\r\n\r\n");
        if (split == std::string::npos) return false;
        std::smatch m;
        const std::string head = got.substr(0, split);
        if (!std::regex_search(head, m, std::regex("[Cc]ontent-[Ll]ength: *(\\d+)"))) return false;
        return got.size() >= split + 4 + std::stoul(m[1]);
    };
    while (!complete() && socket.state() == QAbstractSocket::ConnectedState &&
           std::chrono::steady_clock::now() < deadline) {
        socket.waitForReadyRead(50);
        got += socket.readAll().toStdString();
    }
    got += socket.readAll().toStdString();
    RawHttp r;
    if (got.rfind("HTTP/1.1 ", 0) != 0) return r;
    r.status = std::atoi(got.c_str() + 9);
    const auto split = got.find("\r\n\r\n");
    if (split != std::string::npos) r.body = got.substr(split + 4);
    return r;
}

int ServeProcess::Terminate(int limitMs) {
    m_process->terminate();
    if (!m_process->waitForFinished(limitMs)) return -1;
    m_said += m_process->readAll().toStdString();
    return m_process->exitStatus() == QProcess::NormalExit ? m_process->exitCode() : -1;
}

}  // namespace kv::test
