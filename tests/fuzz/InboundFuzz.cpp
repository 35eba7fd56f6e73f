// Any sequence of reports from the box into a store: the parser must not fault, and what
// it leaves behind must be something the rest of the program can use as it is. Names and
// tables stay within their sizes, everything an encoder derives from the store is finite
// (a non-finite float reaching the box's processor mutes or destroys its output), and a
// mode file saved from the store loads back to the same file.
// Input: consecutive 61-byte reports, the last one padded with zeros.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "FuzzChecks.h"
#include "device/Encoders.h"
#include "device/InboundParser.h"
#include "device/WireTable.h"
#include "eq/EqMath.h"
#include "model/ModeFile.h"
#include "model/ParameterStore.h"

namespace {

using namespace kv;

bool FiniteBits(std::uint32_t bits) { return std::isfinite(std::bit_cast<float>(bits)); }

bool FloatOnTheWire(FieldKind kind) {
    switch (kind) {
        case FieldKind::Hundredths:
        case FieldKind::Ten4:
        case FieldKind::Ten5:
        case FieldKind::Ten7:
        case FieldKind::Mute:
        case FieldKind::Surround:
        case FieldKind::Float:
            return true;
        default:
            return false;
    }
}

void CheckStore(const ParameterStore& store) {
    const Identity id = store.GetIdentity();
    KV_FUZZ_CHECK(id.model.size() <= static_cast<std::size_t>(kModelNameChars) * 4);  // UTF-8 of at most 29 chars
    KV_FUZZ_CHECK(id.mcuVersion.size() <= static_cast<std::size_t>(kVersionChars) * 4);
    KV_FUZZ_CHECK(id.dspVersion.size() <= static_cast<std::size_t>(kVersionChars) * 4);
    for (int slot = 0; slot < kModeSlots; ++slot)
        KV_FUZZ_CHECK(store.ModeName(slot).size() <= static_cast<std::size_t>(kModeNameChars));

    // Plain fields as the parameter encoders send them.
    for (const WireField& w : WireFields()) {
        if (!FloatOnTheWire(w.kind)) continue;
        KV_FUZZ_CHECK(FiniteBits(WireValueOf(w, store).bits));
    }
    // The compressor and delay encoders derive their values from the stored floats.
    for (const auto* out : fld::kOutputs) {
        KV_FUZZ_CHECK(std::isfinite(CompressorTimeCoeff(store.Float(out->compAttack()))));
        KV_FUZZ_CHECK(std::isfinite(CompressorTimeCoeff(store.Float(out->compRelease()))));
        (void)SamplesOf(store.Float(out->delayLeft()));  // must not overflow (UBSan)
        if (out->stereo) (void)SamplesOf(store.Float(out->delayRight()));
    }
    // Every stored band is resent as a designed section after a mode load.
    for (const EqModuleLayout& m : kEqModules) {
        for (int slot = 0; slot < m.slotCount; ++slot) {
            const BandDescriptor d = store.ReadBand(m.module, slot);
            KV_FUZZ_CHECK(std::isfinite(d.gainDb) && std::isfinite(d.q));
            const eq::Biquad s = eq::DesignSection(d.code, d.gainDb, d.frequencyHz, d.q, 0.0, eq::kSampleRate);
            KV_FUZZ_CHECK(std::isfinite(s.b0) && std::isfinite(s.b1) && std::isfinite(s.b2) && std::isfinite(s.a1) &&
                          std::isfinite(s.a2));
        }
    }
    // Whatever the box sent can be saved and loaded again unchanged.
    const auto saved = EncodeModeFile(store);
    ParameterStore reloaded;
    KV_FUZZ_CHECK(DecodeModeFile(saved, reloaded).status == ModeFileStatus::Ok);
    KV_FUZZ_CHECK(EncodeModeFile(reloaded) == saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ParameterStore store;
    store.ApplyDefaults();
    InboundParser parser(store);
    int keys = 0;
    parser.SetKeyLearnedHook([&](int) { ++keys; });
    parser.SetParameterErrorHook([](const std::string& text) { KV_FUZZ_CHECK(!text.empty()); });
    for (std::size_t at = 0; at < size; at += kReportSize) {
        Report r{};
        std::memcpy(r.data(), data + at, std::min<std::size_t>(kReportSize, size - at));
        parser.Dispatch(r);
    }
    CheckStore(store);
    return 0;
}
