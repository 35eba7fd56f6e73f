#include "connect/TransportUri.h"

#include "device/HidTransport.h"
#include "device/UnixSocketTransport.h"
#include "sim/SimTransport.h"

namespace kv {

std::optional<TransportUri> TransportUri::Parse(const std::string& text) {
    if (text == "hid") return TransportUri{Kind::Hid, {}};
    if (text == "sim") return TransportUri{Kind::Sim, {}};
    const std::string prefix = "unix:";
    if (text.rfind(prefix, 0) == 0 && text.size() > prefix.size())
        return TransportUri{Kind::Unix, text.substr(prefix.size())};
    return std::nullopt;
}

std::string TransportUri::ToString() const {
    switch (kind) {
        case Kind::Hid:
            return "hid";
        case Kind::Sim:
            return "sim";
        case Kind::Unix:
            return "unix:" + path;
    }
    return {};
}

TransportOpener MakeOpener(const TransportUri& uri, std::shared_ptr<SimBox> simBox) {
    switch (uri.kind) {
        case TransportUri::Kind::Hid:
            return MakeHidOpener();
        case TransportUri::Kind::Sim:
            return MakeSimOpener(simBox ? std::move(simBox) : std::make_shared<SimBox>());
        case TransportUri::Kind::Unix:
            return MakeUnixSocketOpener(uri.path);
    }
    return {};
}

}  // namespace kv
