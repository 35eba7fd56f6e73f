#pragma once
// Serves a simulated box on a Unix stream socket: 61-byte reports back to back in both
// directions, one client at a time; the box keeps its state between clients.

#include <chrono>
#include <cstdint>
#include <deque>
#include <memory>
#include <ostream>
#include <string>

#include "sim/SimBox.h"

namespace kv {

// Misbehaviours of the connection itself, for testing how a client copes with a hostile box.
struct ServerFaults {
    int hangUpOn = -1;          // a command with this code (byte 1) drops the client unanswered
    int stopReadingAfter = -1;  // after this many reports nothing more is read; reports of
                                // its own keep going out so the client keeps writing
    int flood = 0;              // unsolicited reports sent at once ahead of every answer
};

class SimServer {
public:
    enum class ListenResult { Ok, InUse, Failed };

    // log: where each report and violation goes as one JSON object a line; may be null.
    SimServer(std::shared_ptr<SimBox> box, std::string socketPath, std::ostream* log);
    ~SimServer();  // closes the sockets and removes the socket file
    SimServer(const SimServer&) = delete;
    SimServer& operator=(const SimServer&) = delete;

    // Binds the socket. A live socket at the path is InUse and left alone, as is any file
    // that is not a socket; a stale socket file (no one listening) is replaced.
    ListenResult Listen(std::string& error);
    void SetFaults(ServerFaults faults) { m_faults = faults; }
    // Serves until SIGINT or SIGTERM arrives on the signalfd; SIGUSR1 presses a remote key
    // (for learning by hand). Returns 0, or 1 after a socket error.
    int Run(int signalFd);

private:
    struct Pending {
        std::chrono::steady_clock::time_point due;
        Report report;
    };
    void AcceptClient();
    void DropClient();
    bool ReadClient();  // false when the client left
    void SendDue();
    void SendReport(const Report& report);
    static Report Chatter();
    void LogReport(const char* direction, const Report& report);
    void LogNewViolations();

    std::shared_ptr<SimBox> m_box;
    std::string m_path;
    std::ostream* m_log;
    const std::chrono::steady_clock::time_point m_start = std::chrono::steady_clock::now();
    int m_listenFd = -1;
    int m_clientFd = -1;
    bool m_bound = false;
    Report m_partial{};
    int m_have = 0;
    std::deque<Pending> m_pending;
    std::size_t m_violationsLogged = 0;
    std::uint8_t m_nextKeyCode = 0x10;
    ServerFaults m_faults;
    long m_reportsRead = 0;
};

}  // namespace kv
