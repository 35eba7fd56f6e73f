#pragma once
// Notices for the simulated box: whoever unplugs or plugs it in (a test, a developer)
// raises the matching notice here, as the system would for the real box.

#include "app/HotplugWatcher.h"

namespace kv {

class ManualHotplugWatcher : public HotplugWatcher {
    Q_OBJECT
public:
    using HotplugWatcher::HotplugWatcher;

    void RaiseArrived() { Q_EMIT arrived(); }
    void RaiseRemoved(const QString& path) { Q_EMIT removed(path); }
};

}  // namespace kv
