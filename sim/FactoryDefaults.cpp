#include "sim/FactoryDefaults.h"

#include <algorithm>
#include <array>
#include <bit>

#include "device/Commands.h"
#include "device/Encoders.h"
#include "device/Parameters.h"
#include "device/WireTable.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

std::uint32_t FloatWord(float v) { return std::bit_cast<std::uint32_t>(v); }

// The program's own start-up values, which a fresh box reads back as.
const ParameterStore& StartUp() {
    static const ParameterStore store;
    return store;
}

std::uint32_t MuteWord(int field) { return WireValueOf(FieldKind::Mute, StartUp().Int(field)).bits; }

}  // namespace

std::uint32_t FactoryParamWord(int module, int parameter, int index, int commandSetVersion) {
    using namespace prm;
    const ParameterStore& s = StartUp();
    // A plain parameter holds its field's start-up value; one that means something else on
    // this command set holds 0.
    if (const WireField* w = WireOfParameter(module, parameter))
        return w->DecodedFrom(commandSetVersion) ? WireValueOf(*w, s).bits : 0;
    switch (module) {
        case module::kMic:
            if (parameter == kMicMuteA || parameter == kMicMuteB) return MuteWord(fld::kMicMute);
            return 0;
        case module::kEcho:
            if (parameter == kEchoTimeA) return static_cast<std::uint32_t>(SamplesOf(s.Float(fld::kEchoChATime)));
            if (parameter == kEchoTimeA + kEchoChannelStride)
                return static_cast<std::uint32_t>(SamplesOf(s.Float(fld::kEchoChBTime)));
            return 0;
        case module::kMusic:
            if (parameter == kMusicMute) return MuteWord(fld::kMusicMute);
            if (parameter == kMusicPitch) {
                // No shift: the table's middle row on version 8, the offset alone from version 9.
                if (commandSetVersion == kVersionPitchTable)
                    return index == 0 ? static_cast<std::uint32_t>(kPitchColumnA[kPitchRange])
                                      : kPitchColumnBBits[kPitchRange];
                return kPitchOffsetV9;
            }
            return 0;
        default:
            break;
    }
    const fld::OutputFields* out = OutputOfModule(module);
    if (!out) return 0;
    const OutputParams& op = OutputParamsOf(*out);
    // Delay mode 0: the high-frequency part is delayed, (1.0, 1.0).
    if (parameter == op.delayMode[0] || parameter == op.delayMode[1]) return FloatWord(1.0f);
    if (parameter == op.compressor) {
        // Threshold 0 dB, ratio 1, attack and release 0: a ratio of 0 has no finite encoding.
        constexpr std::array<float, kCompressorValues> kCompressor{0.0f, 0.0f, 0.0f, 20.0f, 0.05f, 1.0f, 1.0f};
        return index >= 0 && index < kCompressorValues ? FloatWord(kCompressor[static_cast<std::size_t>(index)]) : 0;
    }
    return 0;
}

SimMemory FactoryMemory() {
    // The program's own start-up image is the box's factory image.
    static const SimMemory image = [] {
        SimMemory m{};
        const ParameterStore store;
        const auto eq = store.GetEqImage();
        std::copy(eq.begin(), eq.end(), m.begin());
        const auto& pos = ParameterStore::kDefaultSpeakerPositions;
        std::copy(pos.begin(), pos.end(), m.begin() + kSpeakerPosOffset);
        return m;
    }();
    return image;
}

SimNameArea FactoryNameArea() {
    SimNameArea a{};
    const char16_t* names[4] = {u"Mode1", u"Mode2", u"Mode3", u"Mode4"};
    for (int s = 0; s < 4; ++s) {
        std::size_t at = static_cast<std::size_t>(s * kModeNameStride);
        for (const char16_t* c = names[s]; *c; ++c, at += 2) PutBe16(&a[at], *c);
    }
    return a;
}

SimSettings FactorySettings() {
    SimSettings s{};
    s[record::kMicPowerOn] = record::kNotSet;
    s[record::kMusicPowerOn] = record::kNotSet;
    s[record::kMicMax] = record::kMaxMax;
    s[record::kMusicMax] = record::kMaxMax;
    return s;
}

}  // namespace kv
