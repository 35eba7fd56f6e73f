#pragma once
// The real box over hidapi (hidraw backend).

#include <memory>
#include <string>

#include "device/Transport.h"

struct hid_device_;

namespace kv {

class HidTransport : public Transport {
public:
    // At most this many interfaces are examined while looking for the box.
    static constexpr int kMaxInterfaces = 32;

    ~HidTransport() override;
    // Finds the box among the HID interfaces of our vendor and opens it.
    static std::unique_ptr<HidTransport> Discover(const DebugOutput& debug);

    // The node of a box that was present at the last discovery but that this user may not
    // open (its permissions), or empty: tells a missing udev rule from a missing box.
    static std::string DeniedPath();

    ReadStatus Read(Report& out, int timeoutMs) override;
    int Write(const Report& report, int timeoutMs) override;
    std::string Path() const override { return m_path; }

private:
    HidTransport(hid_device_* device, std::string path) : m_device(device), m_path(std::move(path)) {}
    hid_device_* m_device;
    std::string m_path;
};

TransportOpener MakeHidOpener();

}  // namespace kv
