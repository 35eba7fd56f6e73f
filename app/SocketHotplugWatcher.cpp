#include "app/SocketHotplugWatcher.h"

#include <sys/stat.h>

namespace kv {

bool SocketHotplugWatcher::Peer::operator==(const Peer& other) const {
    if (present != other.present) return false;
    if (!present) return true;
    return device == other.device && inode == other.inode && changed.tv_sec == other.changed.tv_sec &&
           changed.tv_nsec == other.changed.tv_nsec;
}

SocketHotplugWatcher::SocketHotplugWatcher(std::string socketPath, LinkProbe probe, int pollMs, QObject* parent)
    : HotplugWatcher(parent), m_path(std::move(socketPath)), m_probe(std::move(probe)) {
    // The peer there now is the one the start-up look finds (or does not).
    m_seen = Look();
    connect(&m_pollTimer, &QTimer::timeout, this, &SocketHotplugWatcher::Poll);
    m_pollTimer.start(pollMs);
}

SocketHotplugWatcher::Peer SocketHotplugWatcher::Look() const {
    Peer peer;
    struct stat st {};
    if (::stat(m_path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) return peer;
    peer.present = true;
    peer.device = st.st_dev;
    peer.inode = st.st_ino;
    // Inode numbers are reused; a new socket file also has a new change time.
    peer.changed = st.st_ctim;
    return peer;
}

void SocketHotplugWatcher::Poll() {
    if (m_probe.isOpen() && m_probe.readThreadEnded()) Q_EMIT removed(QString::fromStdString(m_probe.devicePath()));
    // While connected the peer is the connected one; a new one is looked at once the
    // connection is gone, so it is not missed.
    if (m_probe.isOpen()) return;
    const Peer now = Look();
    if (now == m_seen) return;
    m_seen = now;
    if (now.present) Q_EMIT arrived();
}

}  // namespace kv
