#pragma once
// Device arrival and removal notices, one implementation per transport, chosen in one
// place (MakeHotplugWatcher) from the same URI that chose the transport.

#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <string>

#include "connect/TransportUri.h"

namespace kv {

class HotplugWatcher : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~HotplugWatcher() override = default;

Q_SIGNALS:
    void arrived();
    void removed(const QString& path);
};

// What a watcher may ask of the link: whether its read thread ended on a lost device,
// whether it is open, and the path it opened.
struct LinkProbe {
    std::function<bool()> isOpen;
    std::function<bool()> readThreadEnded;
    std::function<std::string()> devicePath;
};

// socketPollMs: how often a socket watcher looks for a lost connection and a new peer.
std::unique_ptr<HotplugWatcher> MakeHotplugWatcher(const TransportUri& uri, LinkProbe probe, int socketPollMs);

}  // namespace kv
