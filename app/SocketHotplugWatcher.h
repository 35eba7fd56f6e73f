#pragma once
// Notices for a box behind a Unix socket. A read thread that ended on a lost connection is
// a removal. An arrival is a new peer: a socket file that appears, or that is replaced by
// one of another server. A box that was refused and is still served at the same socket has
// not arrived again, so it is not tried again until it goes away and comes back.

#include <sys/types.h>

#include <QTimer>
#include <ctime>
#include <string>

#include "app/HotplugWatcher.h"

namespace kv {

class SocketHotplugWatcher : public HotplugWatcher {
    Q_OBJECT
public:
    static constexpr int kPollMs = 500;

    SocketHotplugWatcher(std::string socketPath, LinkProbe probe, int pollMs = kPollMs, QObject* parent = nullptr);

private:
    // What tells one server's socket file from the next one at the same path.
    struct Peer {
        bool present = false;
        dev_t device = 0;
        ino_t inode = 0;
        timespec changed{};
        bool operator==(const Peer& other) const;
    };
    Peer Look() const;
    void Poll();

    std::string m_path;
    LinkProbe m_probe;
    QTimer m_pollTimer;
    Peer m_seen;
};

}  // namespace kv
