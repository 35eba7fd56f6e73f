#include "net/ServeCommand.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QHostAddress>
#include <QSocketNotifier>
#include <memory>
#include <vector>

#include "net/ApiServer.h"
#include "net/BoxHolder.h"
#include "net/CommandServer.h"
#include "net/Token.h"

namespace kv::net {
namespace {

int g_signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char byte = 1;
    // Nothing else is safe in a signal handler; the event loop reads the byte.
    [[maybe_unused]] const auto n = ::write(g_signalPipe[1], &byte, 1);
}

// "HOST:PORT", "[IPv6]:PORT"; false when it is neither.
bool ParseListen(const std::string& text, QHostAddress& host, quint16& port) {
    const auto colon = text.rfind(':');
    if (colon == std::string::npos || colon == 0) return false;
    std::string h = text.substr(0, colon);
    if (h.size() > 2 && h.front() == '[' && h.back() == ']') h = h.substr(1, h.size() - 2);
    bool ok = false;
    const int p = QString::fromStdString(text.substr(colon + 1)).toInt(&ok);
    if (!ok || p < 0 || p > 65535) return false;
    if (!host.setAddress(QString::fromStdString(h))) {
        if (h != "localhost") return false;
        host = QHostAddress::LocalHost;
    }
    port = static_cast<quint16>(p);
    return true;
}

}  // namespace

int RunServe(const cli::CommandLine& line, const cli::CtlEnvironment& env, std::ostream& out, std::ostream& err) {
    auto fail = [&](int code, const QString& text) {
        err << "kv4420ctl: " << text.toStdString() << std::endl;
        return code;
    };
    const std::string listen = line.listen.empty() ? kDefaultListen : line.listen;
    QHostAddress host;
    quint16 port = 0;
    if (!ParseListen(listen, host, port))
        return fail(cli::exitcode::kUsage, "--listen takes HOST:PORT (an address, not a name), not \"" +
                                               QString::fromStdString(listen) + "\"");

    std::unique_ptr<QCoreApplication> app;
    static int argc = 1;
    static char name[] = "kv4420ctl";
    static char* argv[] = {name, nullptr};
    if (!QCoreApplication::instance()) app = std::make_unique<QCoreApplication>(argc, argv);

    QString problem;
    const QString tokenPath = line.tokenFile.empty() ? DefaultTokenPath() : QString::fromStdString(line.tokenFile);
    const QByteArray token = LoadOrCreateToken(tokenPath, problem);
    if (token.isEmpty()) return fail(cli::exitcode::kFile, problem);

    std::vector<TransportUri> uris = line.devices;
    if (uris.empty()) uris.push_back(line.device);
    std::vector<std::unique_ptr<BoxHolder>> holders;
    std::vector<BoxHolder*> boxes;
    for (const TransportUri& uri : uris) {
        BoxOptions options;
        options.opener = MakeOpener(uri);
        options.uri = uri.ToString();
        if (env.syncWaitMs) options.sync.connectWaitMs = *env.syncWaitMs;
        holders.push_back(std::make_unique<BoxHolder>(std::move(options)));
        boxes.push_back(holders.back().get());
    }
    for (std::size_t i = 0; i < uris.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (uris[i].ToString() == uris[j].ToString())
                return fail(cli::exitcode::kUsage,
                            "the box " + QString::fromStdString(uris[i].ToString()) + " is named twice");

    // Said before listening, so that it is said even when the address cannot be had.
    if (!host.isLoopback())
        err << "kv4420ctl: warning: listening on " << listen
            << ": the box's settings can be changed from the network by anyone who has the token" << std::endl;
    auto server = std::make_unique<ApiServer>(token, boxes);
    const quint16 bound = server->Listen(host, port, problem);
    if (!bound) return fail(cli::exitcode::kUsage, problem);

    if (::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return fail(cli::exitcode::kUsage, "cannot make a pipe");
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    QSocketNotifier notifier(g_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, [] { QCoreApplication::quit(); });

    const QString shown =
        (host.protocol() == QAbstractSocket::IPv6Protocol ? "[" + host.toString() + "]" : host.toString()) + ":" +
        QString::number(bound);
    std::vector<std::unique_ptr<CommandServer>> commands;
    for (BoxHolder* box : boxes) {
        commands.push_back(std::make_unique<CommandServer>(box));
        std::string why;
        if (!commands.back()->Listen(why))
            err << "kv4420ctl: note: kv4420ctl commands for " << box->Id().toStdString()
                << " are not taken here (they open the box themselves): " << why << std::endl;
    }
    for (BoxHolder* box : boxes) box->Start();
    out << "kv4420ctl: serving http://" << shown.toStdString() << "/?token=" << token.toStdString() << std::endl;

    QCoreApplication::exec();

    // The links say goodbye to their boxes; the event clients are told why they lose us.
    server.reset();
    commands.clear();
    for (BoxHolder* box : boxes) box->Close();
    holders.clear();
    notifier.setEnabled(false);
    ::close(g_signalPipe[0]);
    ::close(g_signalPipe[1]);
    out << "kv4420ctl: server closed" << std::endl;
    return cli::exitcode::kOk;
}

}  // namespace kv::net
