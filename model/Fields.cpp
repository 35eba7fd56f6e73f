#include "model/Fields.h"

namespace kv {
namespace {

constexpr std::array<FieldKind, fld::kCount> BuildKinds() {
    using K = FieldKind;
    std::array<FieldKind, fld::kCount> k{};
    for (auto& e : k) e = K::Unused;
    for (int f = 0; f < 4; ++f) k[f] = K::Raw;
    for (int f = 4; f <= 21; ++f) k[f] = K::Position;
    k[22] = k[23] = K::Raw;
    k[25] = K::Integer;
    // Microphones.
    k[26] = K::Hundredths;
    for (int f = 27; f <= 30; ++f) k[f] = K::Hundredths;
    k[31] = k[32] = k[33] = k[34] = K::Integer;
    for (int f = 35; f <= 38; ++f) k[f] = K::Hundredths;
    k[39] = k[40] = k[41] = k[42] = K::Integer;
    k[43] = K::Mute;
    for (int f = 44; f <= 47; ++f) k[f] = K::Hundredths;
    for (int f = 48; f <= 51; ++f) k[f] = K::Ten4;
    k[52] = K::Ten5;
    k[53] = K::Ten7;
    k[54] = K::Integer;
    k[55] = K::Hundredths;
    // Echo.
    for (int base : {56, 63}) {
        k[base] = K::Integer;
        k[base + 1] = K::Hundredths;
        k[base + 2] = k[base + 3] = k[base + 4] = K::Millis;
        k[base + 5] = k[base + 6] = K::Hundredths;
    }
    k[70] = K::Hundredths;
    k[71] = K::Mute;
    // Reverb; the time setting is a float holding an integer value.
    for (int base : {72, 77}) {
        k[base] = K::Integer;
        k[base + 1] = K::Hundredths;
        k[base + 2] = k[base + 3] = K::Millis;
        k[base + 4] = K::Float;
    }
    k[82] = K::Hundredths;
    k[83] = K::Mute;
    // Music.
    for (int f = 84; f <= 87; ++f) k[f] = K::Hundredths;
    k[88] = K::Mute;
    k[89] = k[90] = K::Integer;
    for (int f = 91; f <= 93; ++f) k[f] = K::Hundredths;
    k[94] = K::Ten4;
    k[95] = K::Ten5;
    k[96] = K::Ten7;
    k[179] = K::Integer;
    k[180] = K::Float;
    // Outputs.
    for (const auto* out : fld::kOutputs) {
        const auto& o = *out;
        for (int f = o.mixDirect(); f <= o.mixMusic(); ++f) k[f] = K::Hundredths;
        k[o.eqBypass()] = k[o.compBypass()] = K::Integer;
        for (int f = o.compThreshold(); f <= o.compRelease(); ++f) k[f] = K::Float;
        k[o.delayLeft()] = K::Millis;
        k[o.delayOffLeft()] = K::Integer;
        k[o.delayModeLeft()] = K::DelayMode;
        if (o.stereo) {
            k[o.delayRight()] = K::Millis;
            k[o.delayOffRight()] = K::Integer;
            k[o.delayModeRight()] = K::DelayMode;
        }
        k[o.mute()] = K::Mute;
        if (o.surround) k[o.surroundVolume()] = K::Surround;
    }
    k[181] = K::Integer;
    return k;
}

constexpr auto kKinds = BuildKinds();

}  // namespace

FieldKind KindOf(int field) {
    if (field < 0 || field >= fld::kCount) return FieldKind::Unused;
    return kKinds[static_cast<std::size_t>(field)];
}

}  // namespace kv
