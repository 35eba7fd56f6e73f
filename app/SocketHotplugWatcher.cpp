#include "app/SocketHotplugWatcher.h"

namespace kv {

SocketHotplugWatcher::SocketHotplugWatcher(LinkProbe probe, QObject* parent)
    : HotplugWatcher(parent), m_probe(std::move(probe)) {
    connect(&m_lostTimer, &QTimer::timeout, this, &SocketHotplugWatcher::CheckLost);
    connect(&m_retryTimer, &QTimer::timeout, this, &SocketHotplugWatcher::Retry);
    m_lostTimer.start(kLostCheckMs);
    m_retryTimer.start(kRetryMs);
}

void SocketHotplugWatcher::CheckLost() {
    if (m_probe.isOpen() && m_probe.readThreadEnded()) Q_EMIT removed(QString::fromStdString(m_probe.devicePath()));
}

void SocketHotplugWatcher::Retry() {
    if (!m_probe.isOpen()) Q_EMIT arrived();
}

}  // namespace kv
