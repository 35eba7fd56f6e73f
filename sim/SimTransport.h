#pragma once
// The simulated box in process, behind the same transport interface as the real one.

#include <memory>

#include "device/Transport.h"
#include "sim/SimBox.h"

namespace kv {

class SimTransport : public Transport {
public:
    explicit SimTransport(std::shared_ptr<SimBox> box);
    ~SimTransport() override;

    ReadStatus Read(Report& out, int timeoutMs) override;
    int Write(const Report& report, int timeoutMs) override;
    std::string Path() const override;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// Opens the simulated box; finds nothing while it is unplugged.
TransportOpener MakeSimOpener(std::shared_ptr<SimBox> box);

}  // namespace kv
