#pragma once
// The whole core over an in-process simulated box, with zero fixed waits.

#include <gtest/gtest.h>

#include <memory>

#include "device/DeviceContext.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"
#include "tests/common/Reports.h"

namespace kv::test {

inline SyncTimings NoWaits() { return SyncTimings{0, 0, 0, 0}; }

struct Box {
    explicit Box(int version = 9, SyncTimings st = NoWaits())
        : box(std::make_shared<SimBox>()),
          core(std::make_unique<DeviceContext>(MakeSimOpener(box), LinkTimings{2000, 500, 5}, st,
                                               EncoderTimings{0, 0})) {
        box->SetCommandSetVersion(version);
        core->store.SetCommandSetVersion(version);
        EXPECT_TRUE(core->link.Open());
    }
    ~Box() {
        core.reset();
        EXPECT_TRUE(box->Violations().empty()) << (box->Violations().empty() ? "" : box->Violations().front());
    }
    // Outbound reports of one code since the last Clear.
    std::vector<Report> Sent(std::uint8_t code) const { return box->Received(code); }
    void Clear() { box->ClearTranscript(); }

    std::shared_ptr<SimBox> box;
    std::unique_ptr<DeviceContext> core;
};

// A parameter write as the box must receive it.
}  // namespace kv::test
