#pragma once
// Arrival and removal of hidraw devices from a udev monitor, read in the GUI loop.

#include <QSocketNotifier>
#include <memory>

#include "app/HotplugWatcher.h"

struct udev;
struct udev_monitor;

namespace kv {

class UdevHotplugWatcher : public HotplugWatcher {
    Q_OBJECT
public:
    explicit UdevHotplugWatcher(QObject* parent = nullptr);
    ~UdevHotplugWatcher() override;
    bool Active() const { return m_notifier != nullptr; }

private:
    void ReadEvents();

    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    QSocketNotifier* m_notifier = nullptr;
};

}  // namespace kv
