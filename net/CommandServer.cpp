#include "net/CommandServer.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QLocalServer>
#include <QLocalSocket>
#include <filesystem>
#include <sstream>

#include "cli/CommandLine.h"
#include "cli/CtlCommands.h"
#include "net/BoxHolder.h"
#include "net/CommandClient.h"
#include "net/CommandSocket.h"

namespace kv::net {
namespace {

// A socket file left by a server that is gone refuses connections; a live one takes them.
bool SomeoneListens(const std::string& path) {
    const int fd = ConnectToSocket(path);
    if (fd >= 0) ::close(fd);
    return fd >= 0;
}

bool PeerIsThisUser(QLocalSocket* socket) {
    ucred peer{};
    socklen_t size = sizeof peer;
    if (::getsockopt(static_cast<int>(socket->socketDescriptor()), SOL_SOCKET, SO_PEERCRED, &peer, &size) != 0)
        return false;
    return peer.uid == ::geteuid();
}

std::string Answer(int code, const std::string& out, const std::string& err) {
    return EncodeStrings({std::to_string(code), out, err});
}

}  // namespace

CommandServer::CommandServer(BoxHolder* box, QObject* parent) : QObject(parent), m_box(box) {}

CommandServer::~CommandServer() {
    if (m_server) m_server->close();
}

bool CommandServer::Listen(std::string& problem) {
    const std::string path = CommandSocketPath(m_box->Id().toStdString());
    if (path.empty()) {
        problem = "XDG_RUNTIME_DIR is not set";
        return false;
    }
    if (path.size() >= sizeof(sockaddr_un::sun_path)) {
        problem = "the socket path " + path + " is too long";
        return false;
    }
    if (!PrepareCommandFolder(problem)) return false;
    if (SomeoneListens(path)) {
        problem = "another server already takes the commands for " + m_box->Id().toStdString();
        return false;
    }
    QLocalServer::removeServer(QString::fromStdString(path));
    m_server = new QLocalServer(this);
    m_server->setSocketOptions(QLocalServer::UserAccessOption);
    if (!m_server->listen(QString::fromStdString(path))) {
        problem = "cannot listen on " + path + ": " + m_server->errorString().toStdString();
        delete m_server;
        m_server = nullptr;
        return false;
    }
    connect(m_server, &QLocalServer::newConnection, this, &CommandServer::TakeConnection);
    return true;
}

void CommandServer::TakeConnection() {
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QObject::destroyed, this, [this, socket] { m_buffers.erase(socket); });
        if (!PeerIsThisUser(socket)) {
            socket->abort();
            continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] { Read(socket); });
        Read(socket);
    }
}

void CommandServer::Read(QLocalSocket* socket) {
    std::string& buffer = m_buffers[socket];
    buffer += socket->readAll().toStdString();
    bool bad = false;
    const auto request = DecodeStrings(buffer, kMaxRequestBytes, bad);
    if (!request && !bad) return;  // more to come
    m_buffers.erase(socket);
    disconnect(socket, &QLocalSocket::readyRead, this, nullptr);
    // The command runs here, on the thread that holds the box, one at a time.
    const std::string answer =
        bad ? Answer(cli::exitcode::kUsage, {}, "kv4420ctl: a malformed request\n") : Run(*request);
    socket->write(answer.data(), static_cast<qint64>(answer.size()));
    socket->disconnectFromServer();
    if (!bad) Q_EMIT Ran();
}

std::string CommandServer::Run(const std::vector<std::string>& request) {
    if (request.size() < 2 || request[0] != kCommandMagic)
        return Answer(cli::exitcode::kUsage, {}, "kv4420ctl: not a command of this kv4420ctl\n");
    const std::string& cwd = request[1];
    const std::vector<std::string> args(request.begin() + 2, request.end());
    std::string error;
    auto line = cli::CommandLine::Parse(args, error);
    if (!line) return Answer(cli::exitcode::kUsage, {}, "kv4420ctl: " + error + " (see kv4420ctl --help)\n");
    if (!TakenThroughServer(*line))
        return Answer(cli::exitcode::kUsage, {}, "kv4420ctl: this command is not taken through the server\n");
    // A file is where the caller meant it, not where the server runs.
    if (!line->path.empty() && line->path != "-" && std::filesystem::path(line->path).is_relative())
        line->path = (std::filesystem::path(cwd) / line->path).string();
    cli::CtlEnvironment env;
    env.heldBox = &m_box->Box();
    std::ostringstream out, err;
    const int code = cli::RunCommand(*line, env, out, err);
    m_box->AnnounceChanges();
    return Answer(code, out.str(), err.str());
}

}  // namespace kv::net
