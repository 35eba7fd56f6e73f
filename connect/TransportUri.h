#pragma once
// The one place where the transport is chosen: "hid" (the real box, default),
// "sim" (the simulated box in process), "unix:PATH" (a box behind a Unix socket) or
// "file:PATH" (a mode file edited as if it were a box).

#include <memory>
#include <optional>
#include <string>

#include "device/Transport.h"

namespace kv {

class SimBox;

struct TransportUri {
    enum class Kind { Hid, Sim, Unix, File };
    Kind kind = Kind::Hid;
    std::string path;  // socket path for Kind::Unix, mode file for Kind::File

    // Nothing for an unknown form; the text of an error is left to the caller.
    static std::optional<TransportUri> Parse(const std::string& text);
    std::string ToString() const;
};

// Opener for the chosen transport; simBox serves Kind::Sim (created when null). Kind::File
// loads the file at the first opening and finds nothing while it cannot be used; callers
// that report why load a FileBox themselves and take its opener.
TransportOpener MakeOpener(const TransportUri& uri, std::shared_ptr<SimBox> simBox = nullptr);

}  // namespace kv
