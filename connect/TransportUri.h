#pragma once
// The one place where the transport is chosen: "hid" (the real box, default),
// "sim" (the simulated box in process) or "unix:PATH" (a box behind a Unix socket).

#include <memory>
#include <optional>
#include <string>

#include "device/Transport.h"

namespace kv {

class SimBox;

struct TransportUri {
    enum class Kind { Hid, Sim, Unix };
    Kind kind = Kind::Hid;
    std::string path;  // socket path for Kind::Unix

    // Nothing for an unknown form; the text of an error is left to the caller.
    static std::optional<TransportUri> Parse(const std::string& text);
    std::string ToString() const;
};

// Opener for the chosen transport; simBox serves Kind::Sim (created when null).
TransportOpener MakeOpener(const TransportUri& uri, std::shared_ptr<SimBox> simBox = nullptr);

}  // namespace kv
