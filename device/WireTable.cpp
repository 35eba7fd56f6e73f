#include "device/WireTable.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <vector>

#include "device/Parameters.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

using namespace prm;

constexpr int kParameterSlots = 256;  // a parameter number is one byte on the wire
constexpr std::int16_t kNone = -1;
constexpr int kSurroundVersion = kVersionSurround + 1;  // surround volumes only above that

struct Tables {
    std::vector<WireField> rows;
    std::array<std::int16_t, fld::kCount> byField{};
    std::array<std::array<std::int16_t, kParameterSlots>, module::kLast + 1> byParameter{};
};

std::vector<WireField> BuildRows() {
    std::vector<WireField> rows;
    const auto add = [&](int field, int module, int parameter, int copies = 1, int minVersion = kEveryVersion,
                         int decodeFrom = kEveryVersion) {
        rows.push_back({field, module, parameter, copies, minVersion, decodeFrom, KindOf(field)});
    };
    constexpr int kInputs = 4;
    constexpr int kSources = 3;  // SPDIF, Aux1, Aux2

    // Microphones.
    for (int i = 0; i < kInputs; ++i) add(fld::kMicChAShare1 + i, module::kMic, kMicShareA1 + i);
    for (int i = 0; i < kInputs; ++i) add(fld::kMicChBShare1 + i, module::kMic, kMicShareB1 + i);
    add(fld::kMicChAEqBypass, module::kMic, kMicEqBypassA);
    add(fld::kMicChBEqBypass, module::kMic, kMicEqBypassB);
    add(fld::kMicPhase1, module::kMic, kMicPhase1);
    add(fld::kMicPhase2, module::kMic, kMicPhase2);
    for (int i = 0; i < kInputs; ++i) add(fld::kMicInputVolume1 + i, module::kMic, kMicInputVolume1 + i);
    for (int i = 0; i < kInputs; ++i) add(fld::kMicNoiseGate1 + i, module::kMic, kMicNoiseGate1 + i);
    add(fld::kMicGateOpen, module::kMic, kMicGateOpen);
    add(fld::kMicGateClose, module::kMic, kMicGateClose);
    add(fld::kAutoSubEnabled, module::kMic, kAutoSubEnabled);
    add(fld::kAutoSubRatio, module::kMic, kAutoSubRatio);

    // Echo: CH B sits one channel stride above CH A.
    for (int ch = 0; ch < 2; ++ch) {
        const int s = ch * kEchoChannelStride;
        add(ch ? fld::kEchoChBEqBypass : fld::kEchoChAEqBypass, module::kEcho, kEchoEqBypassA + s);
        add(ch ? fld::kEchoChBLevel : fld::kEchoChALevel, module::kEcho, kEchoLevelA + s);
        add(ch ? fld::kEchoChBStartVol : fld::kEchoChAStartVol, module::kEcho, kEchoStartVolA + s);
        add(ch ? fld::kEchoChBDecay : fld::kEchoChADecay, module::kEcho, kEchoDecayA + s);
    }
    add(fld::kEchoVolume, module::kEcho, kEchoVolume, kStereoValues);
    add(fld::kEchoMute, module::kEcho, kEchoMute, kStereoValues);

    // Reverb.
    for (int ch = 0; ch < 2; ++ch) {
        const int s = ch * kReverbChannelStride;
        add(ch ? fld::kReverbChBEqBypass : fld::kReverbChAEqBypass, module::kReverb, kReverbEqBypassA + s);
        add(ch ? fld::kReverbChBLevel : fld::kReverbChALevel, module::kReverb, kReverbLevelA + s);
    }
    add(fld::kReverbVolume, module::kReverb, kReverbVolume, kStereoValues);
    add(fld::kReverbMute, module::kReverb, kReverbMute, kStereoValues);

    // Music. Before the AGC existed its two parameters carried the pitch-is-zero flags.
    add(fld::kMusicVolume, module::kMusic, kMusicLevel, kMusicLevelValues);
    add(fld::kSpdifVolume, module::kMusic, kSpdifVolume, kStereoValues);
    add(fld::kAux1Volume, module::kMusic, kAux1Volume, kStereoValues);
    add(fld::kAux2Volume, module::kMusic, kAux2Volume, kStereoValues);
    add(fld::kMusicEqBypass, module::kMusic, kMusicEqBypass);
    for (int i = 0; i < kSources; ++i) add(fld::kSpdifOn + i, module::kMusic, kSpdifOn + i);
    add(fld::kMusicNoiseGate, module::kMusic, kMusicNoiseGate);
    add(fld::kMusicGateOpen, module::kMusic, kMusicGateOpen);
    add(fld::kMusicGateClose, module::kMusic, kMusicGateClose);
    add(fld::kMusicAgc, module::kMusic, kMusicAgc, 1, kVersionAgc, kVersionAgc);
    add(fld::kMusicAgcLevel, module::kMusic, kMusicAgcLevel, 1, kVersionAgc, kVersionAgc);

    // Outputs.
    for (const auto* out : fld::kOutputs) {
        const OutputParams& op = OutputParamsOf(*out);
        constexpr int kMixes = 4;  // direct, reverb, echo, music
        for (int i = 0; i < kMixes; ++i) add(out->mixDirect() + i, out->module, op.mixFirst + i);
        add(out->eqBypass(), out->module, op.eqBypass);
        add(out->compBypass(), out->module, op.compBypass);
        add(out->delayOffLeft(), out->module, op.delayOff[0]);
        if (out->stereo) add(out->delayOffRight(), out->module, op.delayOff[1]);
        add(out->mute(), out->module, op.mute, op.muteValues);
        if (out->surround) add(out->surroundVolume(), out->module, op.surround, kStereoValues, kSurroundVersion);
    }
    std::sort(rows.begin(), rows.end(), [](const WireField& a, const WireField& b) { return a.field < b.field; });
    return rows;
}

const Tables& TheTables() {
    static const Tables t = [] {
        Tables t;
        t.rows = BuildRows();
        t.byField.fill(kNone);
        for (auto& m : t.byParameter) m.fill(kNone);
        for (std::size_t i = 0; i < t.rows.size(); ++i) {
            const WireField& w = t.rows[i];
            t.byField[static_cast<std::size_t>(w.field)] = static_cast<std::int16_t>(i);
            t.byParameter[static_cast<std::size_t>(w.module)][static_cast<std::size_t>(w.parameter)] =
                static_cast<std::int16_t>(i);
        }
        return t;
    }();
    return t;
}

// Nothing non-finite may reach the box's processor.
ParamValue FiniteFloat(double v) {
    const float f = static_cast<float>(v);
    return ParamValue::FromFloat(std::isfinite(f) ? f : 0.0f);
}

}  // namespace

const WireField* WireOfField(int field) {
    if (field < 0 || field >= fld::kCount) return nullptr;
    const Tables& t = TheTables();
    const std::int16_t i = t.byField[static_cast<std::size_t>(field)];
    return i == kNone ? nullptr : &t.rows[static_cast<std::size_t>(i)];
}

const WireField* WireOfParameter(int module, int parameter) {
    if (module < module::kFirst || module > module::kLast || parameter < 0 || parameter >= kParameterSlots)
        return nullptr;
    const Tables& t = TheTables();
    const std::int16_t i = t.byParameter[static_cast<std::size_t>(module)][static_cast<std::size_t>(parameter)];
    return i == kNone ? nullptr : &t.rows[static_cast<std::size_t>(i)];
}

std::span<const WireField> WireFields() { return TheTables().rows; }

ParamValue WireValueOf(FieldKind kind, std::uint32_t storedBits) {
    const auto v = static_cast<std::int32_t>(storedBits);
    switch (kind) {
        case FieldKind::Hundredths:
            return FiniteFloat(v / 100.0);
        case FieldKind::Ten4:
            return FiniteFloat(v / 1e4);
        case FieldKind::Ten5:
            return FiniteFloat(v / 1e5);
        case FieldKind::Ten7:
            return FiniteFloat(v / 1e7);
        case FieldKind::Mute:
            return ParamValue::FromFloat(v ? 0.0f : 1.0f);
        case FieldKind::Surround:
            // Negated as a 64-bit integer first: zero stays +0.0 and the integer limit cannot overflow.
            return FiniteFloat(-std::int64_t{v} / 100.0);
        case FieldKind::Float:
            return FiniteFloat(std::bit_cast<float>(storedBits));
        default:
            return ParamValue{storedBits};
    }
}

ParamValue WireValueOf(const WireField& wire, const ParameterStore& store) {
    return WireValueOf(wire.kind, static_cast<std::uint32_t>(store.Int(wire.field)));
}

}  // namespace kv
