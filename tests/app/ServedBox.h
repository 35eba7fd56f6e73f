#pragma once
// The simulated box served on a real Unix socket on a thread of its own, as kv4420-sim
// serves it: stopping it removes the socket file, starting it again makes a new one.

#include <fcntl.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <memory>
#include <string>
#include <thread>

#include "sim/SimServer.h"

namespace kv::test {

class ServedBox {
public:
    ServedBox(std::shared_ptr<SimBox> box, const std::string& path) : m_server(std::move(box), path, nullptr) {
        std::string error;
        m_listening = m_server.Listen(error) == SimServer::ListenResult::Ok && ::pipe2(m_stop, O_CLOEXEC) == 0;
        // The server ends on a signal record; a pipe carries one as well as a signalfd.
        if (m_listening) m_thread = std::thread([this] { m_server.Run(m_stop[0]); });
    }
    ~ServedBox() {
        if (m_thread.joinable()) {
            signalfd_siginfo stop{};
            stop.ssi_signo = SIGTERM;
            if (::write(m_stop[1], &stop, sizeof stop) == static_cast<ssize_t>(sizeof stop)) m_thread.join();
        }
        for (int fd : m_stop)
            if (fd >= 0) ::close(fd);
    }
    ServedBox(const ServedBox&) = delete;
    ServedBox& operator=(const ServedBox&) = delete;

    bool Listening() const { return m_listening; }

private:
    SimServer m_server;
    int m_stop[2] = {-1, -1};
    bool m_listening = false;
    std::thread m_thread;
};

}  // namespace kv::test
