#pragma once
// Notices for a box behind a Unix socket: a read thread that ended on a lost connection
// is a removal, and while nothing is connected the socket is tried again now and then.

#include <QTimer>

#include "app/HotplugWatcher.h"

namespace kv {

class SocketHotplugWatcher : public HotplugWatcher {
    Q_OBJECT
public:
    static constexpr int kLostCheckMs = 500;
    static constexpr int kRetryMs = 3000;

    explicit SocketHotplugWatcher(LinkProbe probe, QObject* parent = nullptr);

private:
    void CheckLost();
    void Retry();

    LinkProbe m_probe;
    QTimer m_lostTimer;
    QTimer m_retryTimer;
};

}  // namespace kv
