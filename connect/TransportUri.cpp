#include "connect/TransportUri.h"

#include <mutex>

#include "connect/FileBox.h"
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
    const std::string file = "file:";
    if (text.rfind(file, 0) == 0 && text.size() > file.size())
        return TransportUri{Kind::File, text.substr(file.size())};
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
        case Kind::File:
            return "file:" + path;
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
        case TransportUri::Kind::File: {
            // One box for every opening, so that a reconnection finds the edits made before it.
            struct Lazy {
                std::mutex mutex;
                std::shared_ptr<FileBox> box;
            };
            auto lazy = std::make_shared<Lazy>();
            return [lazy, path = uri.path](const DebugOutput& debug) -> std::unique_ptr<Transport> {
                std::lock_guard lock(lazy->mutex);
                if (!lazy->box) {
                    FileBoxProblem problem;
                    lazy->box = FileBox::Load(path, problem);
                    if (!lazy->box) {
                        if (debug) debug("cannot edit the mode file " + path + "\n");
                        return nullptr;
                    }
                }
                return lazy->box->Opener()(debug);
            };
        }
    }
    return {};
}

}  // namespace kv
