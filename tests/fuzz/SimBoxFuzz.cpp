// Any sequence of reports sent to the simulated box: it must answer (or stay silent)
// without faulting, its state stays within its own sizes, and every answer it gives is
// something the application's parser takes.
// Input: consecutive 61-byte reports, the last one padded with zeros.

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "FuzzChecks.h"
#include "device/InboundParser.h"
#include "model/ParameterStore.h"
#include "sim/SimBox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace kv;
    SimBox box;
    ParameterStore store;
    InboundParser parser(store);
    for (std::size_t at = 0; at < size; at += kReportSize) {
        Report r{};
        std::memcpy(r.data(), data + at, std::min<std::size_t>(kReportSize, size - at));
        if (const auto answer = box.Handle(r)) parser.Dispatch(*answer);
        while (const auto unsolicited = box.TakeUnsolicited()) parser.Dispatch(*unsolicited);
    }
    KV_FUZZ_CHECK(box.CurrentSlot() >= 0 && box.CurrentSlot() < kModeSlots);
    for (int slot = 0; slot < kModeSlots; ++slot)
        KV_FUZZ_CHECK(box.ModeName(slot).size() <= static_cast<std::size_t>(kModeNameChars));
    KV_FUZZ_CHECK(box.Memory(0, kEqImageSize).size() == static_cast<std::size_t>(kEqImageSize));
    KV_FUZZ_CHECK(box.Transcript().size() >= size / kReportSize);
    return 0;
}
