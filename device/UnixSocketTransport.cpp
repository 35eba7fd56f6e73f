#include "device/UnixSocketTransport.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>

namespace kv {

UnixSocketTransport::~UnixSocketTransport() {
    if (m_fd >= 0) ::close(m_fd);
}

std::unique_ptr<UnixSocketTransport> UnixSocketTransport::Connect(const std::string& path, const DebugOutput& debug) {
    sockaddr_un addr{};
    if (path.empty() || path.size() >= sizeof addr.sun_path) {
        if (debug) debug("socket path too long or empty: " + path);
        return nullptr;
    }
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return nullptr;
    addr.sun_family = AF_UNIX;
    std::memcpy(addr.sun_path, path.c_str(), path.size());
    if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        if (debug) debug("cannot connect to " + path + ": " + std::strerror(errno));
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<UnixSocketTransport>(new UnixSocketTransport(fd, path));
}

Transport::ReadStatus UnixSocketTransport::Read(Report& out, int timeoutMs) {
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_have < kReportSize) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        pollfd p{m_fd, POLLIN, 0};
        const int r = ::poll(&p, 1, left > 0 ? static_cast<int>(left) : 0);
        if (r < 0) {
            if (errno == EINTR) continue;
            return ReadStatus::Failed;
        }
        if (r == 0) return ReadStatus::Timeout;
        const ssize_t n = ::recv(m_fd, m_partial.data() + m_have, static_cast<std::size_t>(kReportSize - m_have), 0);
        if (n == 0) return ReadStatus::Failed;  // the peer went away
        if (n < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return ReadStatus::Failed;
        }
        m_have += static_cast<int>(n);
    }
    out = m_partial;
    m_have = 0;
    return ReadStatus::Ok;
}

int UnixSocketTransport::Write(const Report& report, int timeoutMs) {
    // A peer that stops reading fills the socket buffer; the send must not wait for it forever.
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    int sent = 0;
    while (sent < kReportSize) {
        const ssize_t n = ::send(m_fd, report.data() + sent, static_cast<std::size_t>(kReportSize - sent),
                                 MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK) break;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
            if (left <= 0) break;
            pollfd p{m_fd, POLLOUT, 0};
            if (::poll(&p, 1, static_cast<int>(left)) == 0) break;
            continue;
        }
        sent += static_cast<int>(n);
    }
    return sent;
}

TransportOpener MakeUnixSocketOpener(const std::string& path) {
    return [path](const DebugOutput& debug) -> std::unique_ptr<Transport> {
        return UnixSocketTransport::Connect(path, debug);
    };
}

}  // namespace kv
