#include "app/UdevHotplugWatcher.h"

#include <libudev.h>

#include <cstring>

namespace kv {

UdevHotplugWatcher::UdevHotplugWatcher(QObject* parent) : HotplugWatcher(parent) {
    m_udev = udev_new();
    if (!m_udev) return;
    // The "udev" source reports a node only after the rules have set its permissions.
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    if (!m_monitor) return;
    if (udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(m_monitor) < 0) {
        return;
    }
    const int fd = udev_monitor_get_fd(m_monitor);
    if (fd < 0) return;
    m_notifier = new QSocketNotifier(fd, QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &UdevHotplugWatcher::ReadEvents);
}

UdevHotplugWatcher::~UdevHotplugWatcher() {
    delete m_notifier;
    if (m_monitor) udev_monitor_unref(m_monitor);
    if (m_udev) udev_unref(m_udev);
}

void UdevHotplugWatcher::ReadEvents() {
    while (udev_device* dev = udev_monitor_receive_device(m_monitor)) {
        const char* action = udev_device_get_action(dev);
        const char* node = udev_device_get_devnode(dev);
        if (action && std::strcmp(action, "add") == 0) {
            Q_EMIT arrived();
        } else if (action && std::strcmp(action, "remove") == 0 && node) {
            Q_EMIT removed(QString::fromLocal8Bit(node));
        }
        udev_device_unref(dev);
    }
}

}  // namespace kv
