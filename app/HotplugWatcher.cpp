#include "app/HotplugWatcher.h"

#include "app/ManualHotplugWatcher.h"
#include "app/SocketHotplugWatcher.h"
#include "app/UdevHotplugWatcher.h"

namespace kv {

std::unique_ptr<HotplugWatcher> MakeHotplugWatcher(const TransportUri& uri, LinkProbe probe, int socketPollMs) {
    switch (uri.kind) {
        case TransportUri::Kind::Hid:
            return std::make_unique<UdevHotplugWatcher>();
        case TransportUri::Kind::Unix:
            return std::make_unique<SocketHotplugWatcher>(uri.path, std::move(probe), socketPollMs);
        case TransportUri::Kind::Sim:
        case TransportUri::Kind::File:
            break;
    }
    return std::make_unique<ManualHotplugWatcher>();
}

}  // namespace kv
