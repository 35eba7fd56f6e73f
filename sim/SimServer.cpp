#include "sim/SimServer.h"

#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::uint8_t kSimRemoteCode = 0x40;
constexpr std::uint8_t kChatterCode = 0x55;  // a code no client acts upon

// Every line is valid JSON whatever a violation's text holds: bytes that are not UTF-8
// become U+FFFD.
void LogLine(std::ostream& log, const nlohmann::ordered_json& entry) {
    log << entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) << '\n';
}

bool MakeAddress(const std::string& path, sockaddr_un& addr) {
    addr = {};
    if (path.empty() || path.size() >= sizeof addr.sun_path) return false;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    return true;
}

// Someone accepts connections at the path.
bool SocketIsLive(const sockaddr_un& addr) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    const bool live = ::connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
    ::close(fd);
    return live;
}

}  // namespace

SimServer::SimServer(std::shared_ptr<SimBox> box, std::string socketPath, std::ostream* log)
    : m_box(std::move(box)), m_path(std::move(socketPath)), m_log(log) {}

SimServer::~SimServer() {
    DropClient();
    if (m_listenFd >= 0) ::close(m_listenFd);
    if (m_bound) ::unlink(m_path.c_str());
}

SimServer::ListenResult SimServer::Listen(std::string& error) {
    sockaddr_un addr{};
    if (!MakeAddress(m_path, addr)) {
        error = "socket path is empty or too long: " + m_path;
        return ListenResult::Failed;
    }
    struct stat st {};
    if (::lstat(m_path.c_str(), &st) == 0) {
        if (!S_ISSOCK(st.st_mode)) {
            error = m_path + " exists and is not a socket";
            return ListenResult::InUse;
        }
        if (SocketIsLive(addr)) {
            error = "a box is already served at " + m_path;
            return ListenResult::InUse;
        }
        ::unlink(m_path.c_str());  // left behind by a process that ended without cleaning up
    }
    m_listenFd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (m_listenFd < 0) {
        error = std::string("socket: ") + std::strerror(errno);
        return ListenResult::Failed;
    }
    if (::bind(m_listenFd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        error = "bind " + m_path + ": " + std::strerror(errno);
        return ListenResult::Failed;
    }
    m_bound = true;
    if (::listen(m_listenFd, 4) != 0) {
        error = std::string("listen: ") + std::strerror(errno);
        return ListenResult::Failed;
    }
    return ListenResult::Ok;
}

int SimServer::Run(int signalFd) {
    for (;;) {
        pollfd fds[2];
        // While a client is served, others wait in the backlog: one client at a time.
        fds[0] = {signalFd, POLLIN, 0};
        const bool deaf =
            m_clientFd >= 0 && m_faults.stopReadingAfter >= 0 && m_reportsRead >= m_faults.stopReadingAfter;
        fds[1] = {m_clientFd >= 0 ? m_clientFd : m_listenFd, static_cast<short>(deaf ? 0 : POLLIN), 0};
        int timeoutMs = deaf ? 0 : -1;
        if (!m_pending.empty()) {
            const auto left = m_pending.front().due - Clock::now();
            timeoutMs =
                static_cast<int>(std::max<std::int64_t>(0, std::chrono::ceil<std::chrono::milliseconds>(left).count()));
        }
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0) {
            if (errno == EINTR) continue;
            std::perror("poll");
            return 1;
        }
        if (fds[0].revents & POLLIN) {
            signalfd_siginfo info{};
            if (::read(signalFd, &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
                if (info.ssi_signo == SIGINT || info.ssi_signo == SIGTERM) return 0;
                if (info.ssi_signo == SIGUSR1) m_box->PressRemoteKey(kSimRemoteCode, m_nextKeyCode++);
            }
        }
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) {
            if (m_clientFd >= 0) {
                if (!ReadClient()) DropClient();
            } else {
                AcceptClient();
            }
        }
        if (deaf) SendReport(Chatter());
        SendDue();
    }
}

Report SimServer::Chatter() {
    Report r{};
    r[0] = 0x02;
    r[1] = kChatterCode;
    return r;
}

void SimServer::AcceptClient() {
    const int fd = ::accept4(m_listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    if (m_box->Unplugged()) {  // nothing there to talk to
        ::close(fd);
        return;
    }
    m_clientFd = fd;
    m_have = 0;
}

void SimServer::DropClient() {
    if (m_clientFd >= 0) ::close(m_clientFd);
    m_clientFd = -1;
    m_have = 0;
    m_pending.clear();  // answers to a client that left go nowhere
}

bool SimServer::ReadClient() {
    const ssize_t n = ::recv(m_clientFd, m_partial.data() + m_have, static_cast<std::size_t>(kReportSize - m_have), 0);
    if (n == 0) return false;
    if (n < 0) return errno == EINTR || errno == EAGAIN;
    m_have += static_cast<int>(n);
    if (m_have < kReportSize) return true;
    m_have = 0;
    ++m_reportsRead;
    if (m_faults.hangUpOn >= 0 && m_partial[1] == m_faults.hangUpOn) {
        LogReport("in", m_partial);
        return false;
    }
    const auto answer = m_box->Handle(m_partial);
    if (m_box->Unplugged()) return false;  // the report unplugged the box: the client sees the link die
    LogReport("in", m_partial);
    LogNewViolations();
    for (int i = 0; i < m_faults.flood && m_clientFd >= 0; ++i) SendReport(Chatter());
    if (answer) m_pending.push_back({Clock::now() + m_box->Latency(), *answer});
    return true;
}

void SimServer::SendDue() {
    // A key pressed while learning goes out at once.
    while (auto report = m_box->TakeUnsolicited()) {
        if (m_clientFd >= 0) SendReport(*report);
    }
    const auto now = Clock::now();
    while (!m_pending.empty() && m_pending.front().due <= now && m_clientFd >= 0) {
        const Report r = m_pending.front().report;
        m_pending.pop_front();
        SendReport(r);
    }
}

void SimServer::SendReport(const Report& report) {
    int sent = 0;
    while (sent < kReportSize) {
        const ssize_t n =
            ::send(m_clientFd, report.data() + sent, static_cast<std::size_t>(kReportSize - sent), MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR) continue;
            DropClient();
            return;
        }
        sent += static_cast<int>(n);
    }
    LogReport("out", report);
}

void SimServer::LogReport(const char* direction, const Report& report) {
    if (!m_log) return;
    // Seconds since the start, to the microsecond.
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - m_start).count();
    LogLine(*m_log, {{"dir", direction}, {"t", static_cast<double>(us) / 1e6}, {"hex", ToHex(report)}});
    m_log->flush();
}

void SimServer::LogNewViolations() {
    const auto all = m_box->Violations();
    for (std::size_t i = m_violationsLogged; i < all.size(); ++i) {
        std::fprintf(stderr, "violation: %s\n", all[i].c_str());
        if (m_log) LogLine(*m_log, {{"violation", all[i]}});
    }
    if (m_log) m_log->flush();
    m_violationsLogged = all.size();
}

}  // namespace kv
