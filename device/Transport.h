#pragma once
// One connection to a box: read one 61-byte report with a time-out, write one report.
// The link owns the choice of transport only through the opener it is given.

#include <functional>
#include <memory>
#include <string>

#include "device/Report.h"

namespace kv {

using DebugOutput = std::function<void(const std::string&)>;

class Transport {
public:
    enum class ReadStatus { Ok, Timeout, Failed };

    virtual ~Transport() = default;
    // Waits at most timeoutMs for one report; Failed means the device is gone.
    virtual ReadStatus Read(Report& out, int timeoutMs) = 0;
    // Writes one report, waiting at most timeoutMs for the device to take it; returns the
    // number of bytes written (61 on success, fewer after the time-out).
    virtual int Write(const Report& report, int timeoutMs) = 0;
    // Path of the opened device, kept to recognise its removal.
    virtual std::string Path() const = 0;
};

// Finds and opens a box; returns nothing when none is found. Emits debug texts.
using TransportOpener = std::function<std::unique_ptr<Transport>(const DebugOutput& debug)>;

}  // namespace kv
