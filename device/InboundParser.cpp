#include "device/InboundParser.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <limits>

#include "device/MemoryReport.h"
#include "device/ParamReport.h"
#include "device/Parameters.h"
#include "device/WireTable.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

constexpr std::uint8_t kBlank = 0xFF;  // erased box memory
constexpr double kTwoPi = 6.283185307179586;

// Truncation toward zero that never overflows (a crafted reply may carry anything).
std::int32_t TruncToInt(double v) {
    if (std::isnan(v)) return 0;
    // Symmetric range, so that a decoded value can always be negated (surround volumes).
    constexpr double kMax = std::numeric_limits<std::int32_t>::max();
    constexpr double kMin = -kMax;
    return static_cast<std::int32_t>(std::clamp(std::trunc(v), kMin, kMax));
}

// r(v, k) in double narrowed to float, then scaled in single precision and truncated:
// that order is what makes 0.125 read back as 13 hundredths.
std::int32_t Scaled(float v, int roundDigits, float scale) {
    const double half = 5.0 / std::pow(10.0, roundDigits);
    const float r = static_cast<float>(v >= 0.0f ? double{v} + half : double{v} - half);
    const float s = r * scale;
    return TruncToInt(s);
}

std::int32_t Hundredths(float v) { return Scaled(v, 3, 100.0f); }

// Stores the first value of a reply into a field, decoded by the field's kind.
void StoreByKind(ParameterStore& store, int field, const ParamReport& r) {
    const float v = r.Float(0);
    switch (KindOf(field)) {
        case FieldKind::Hundredths:
            store.SetInt(field, Hundredths(v));
            break;
        case FieldKind::Ten4:
            store.SetInt(field, Scaled(v, 5, 1e4f));
            break;
        case FieldKind::Ten5:
            store.SetInt(field, Scaled(v, 6, 1e5f));
            break;
        case FieldKind::Ten7:
            store.SetInt(field, Scaled(v, 8, 1e7f));
            break;
        case FieldKind::Integer:
            store.SetInt(field, r.LowByte(0));
            break;
        case FieldKind::Mute:
            store.SetInt(field, Hundredths(v) == 0 ? 1 : 0);
            break;
        case FieldKind::Surround:
            store.SetInt(field, -Hundredths(v));
            break;
        case FieldKind::Millis:
            store.SetFloat(field, static_cast<float>(static_cast<double>(r.Bits(0)) * 1000.0 / 48000.0));
            break;
        case FieldKind::Float:
            store.SetFloat(field, v);
            break;
        case FieldKind::DelayMode:
            store.SetInt(field, TruncToInt(r.Float(1)) == 0 ? 1 : 0);
            break;
        default:
            break;
    }
}

// Milliseconds from a one-pole coefficient: the inverse of 1 - exp(-1 / (t x 48)).
float TimeFromCoeff(float c) { return static_cast<float>(-1.0 / std::log(1.0 - double{c}) / 48.0); }

// The decoders below cover only what is not plain: plain fields are decoded from the wire
// table before they are reached.

void DecodeOutput(ParameterStore& store, const fld::OutputFields& out, int p, const ParamReport& r) {
    const prm::OutputParams& op = prm::OutputParamsOf(out);
    if (p == op.compressor) {
        store.SetFloat(out.compThreshold(), r.Float(0));
        store.SetFloat(out.compRatio(), static_cast<float>(1.0 / (1.0 - double{r.Float(2)})));
        store.SetFloat(out.compAttack(), TimeFromCoeff(r.Float(5)));
        store.SetFloat(out.compRelease(), TimeFromCoeff(r.Float(6)));
        return;
    }
    const int sides = out.stereo ? 2 : 1;
    for (int s = 0; s < sides; ++s) {
        if (p == op.delay[s]) StoreByKind(store, s ? out.delayRight() : out.delayLeft(), r);
        if (p == op.delayMode[s]) StoreByKind(store, s ? out.delayModeRight() : out.delayModeLeft(), r);
    }
}

void DecodeMic(ParameterStore& store, int p, const ParamReport& r) {
    using namespace prm;
    if (p == kMicLevelA || p == kMicLevelB) return StoreByKind(store, fld::kMicVolume, r);
    if (p == kMicMuteA || p == kMicMuteB) return StoreByKind(store, fld::kMicMute, r);
    for (int ch = 0; ch < 2; ++ch) {
        const int shiftField = ch ? fld::kMicChBShift : fld::kMicChAShift;
        if (p == (ch ? kMicShiftStepB : kMicShiftStepA)) {
            store.SetInt(shiftField, TruncToInt(double{r.Float(0)} * 48000.0 / kTwoPi + 0.5));
            return;
        }
        if (p == (ch ? kMicShiftBypassB : kMicShiftBypassA)) {
            const int b = r.LowByte(0);
            store.SetInt(ch ? fld::kMicChBShiftBypass : fld::kMicChAShiftBypass, b);
            if (b == 1) store.SetInt(shiftField, kShiftSettingOff);
            return;
        }
    }
}

void DecodeEcho(ParameterStore& store, int p, const ParamReport& r) {
    using namespace prm;
    for (int ch = 0; ch < 2; ++ch) {
        const int q = p - ch * kEchoChannelStride;
        if (q == kEchoPredelayA || q == kEchoPredelayA + 1)
            return StoreByKind(store, (ch ? fld::kEchoChBPredelay1 : fld::kEchoChAPredelay1) + (q - kEchoPredelayA), r);
        if (q == kEchoTimeA) return StoreByKind(store, ch ? fld::kEchoChBTime : fld::kEchoChATime, r);
    }
}

void DecodeReverb(ParameterStore& store, int p, const ParamReport& r) {
    using namespace prm;
    for (int ch = 0; ch < 2; ++ch) {
        const int q = p - ch * kReverbChannelStride;
        if (q == kReverbPredelayA || q == kReverbPredelayA + 1)
            return StoreByKind(store,
                               (ch ? fld::kReverbChBPredelay1 : fld::kReverbChAPredelay1) + (q - kReverbPredelayA), r);
        // The time is held as a float with an integer value; the second copy (19/25) is not read.
        if (q == kReverbTimeA) {
            store.SetFloat(ch ? fld::kReverbChBTime : fld::kReverbChATime, static_cast<float>(Hundredths(r.Float(0))));
            return;
        }
    }
}

void DecodeMusic(ParameterStore& store, int p, const ParamReport& r) {
    using namespace prm;
    if (p == kMusicMute) return StoreByKind(store, fld::kMusicMute, r);
    if (p != kMusicPitch) return;
    const int version = store.CommandSetVersion();
    if (version == kVersionPitchTable) {
        // The second value is column B of the table; not found reads as one past the end.
        const float value = r.Float(1);
        int index = static_cast<int>(kPitchColumnBBits.size());
        for (std::size_t i = 0; i < kPitchColumnBBits.size(); ++i)
            if (std::bit_cast<float>(kPitchColumnBBits[i]) == value) {
                index = static_cast<int>(i);
                break;
            }
        store.SetInt(fld::kMusicPitch, index - kPitchRange);
    } else if (version > kVersionPitchTable) {
        store.SetInt(fld::kMusicPitch, r.LowByte(0) - kPitchOffsetV9);
    }
}

}  // namespace

InboundParser::InboundParser(ParameterStore& store) : m_store(store) {}

void InboundParser::SetKeyLearnedHook(std::function<void(int)> hook) {
    std::lock_guard lock(m_hookMutex);
    m_keyLearned = std::move(hook);
}

void InboundParser::SetParameterErrorHook(std::function<void(const std::string&)> hook) {
    std::lock_guard lock(m_hookMutex);
    m_parameterError = std::move(hook);
}

void InboundParser::Dispatch(const Report& r) {
    switch (r[1]) {
        case cmd::kCurrentMode:
            m_store.SetInt(fld::kCurrentMode, r[2]);
            break;
        case cmd::kParamWrite:
        case reply::kParamChanged:
            m_store.SetSettingsChanged(true);
            break;
        case cmd::kParamRead:
            ParameterReply(r);
            break;
        case cmd::kLevelMeter: {
            ParameterStore::LevelMeter meter{};
            std::copy_n(r.begin() + 2, meter.size(), meter.begin());
            m_store.SetLevelMeter(meter);
            break;
        }
        case reply::kAuxBytes:
            if (r[2] == 1)
                for (int i = 0; i < 3; ++i) m_store.SetAuxByte(i, r[static_cast<std::size_t>(3 + i)]);
            break;
        case cmd::kRemoteLearn: {
            m_store.SetRemoteByte(0, r[2]);
            if (r[3] < kRemoteTableSize) m_store.SetRemoteByte(r[3], r[4]);  // an index past the table is dropped
            std::function<void(int)> hook;
            {
                std::lock_guard lock(m_hookMutex);
                hook = m_keyLearned;
            }
            if (hook) hook(r[4]);
            break;
        }
        case cmd::kRemoteTableRead: {
            ParameterStore::RemoteTable table{};
            std::copy_n(r.begin() + 2, table.size(), table.begin());
            m_store.SetRemoteTable(table);
            break;
        }
        case cmd::kDspVersion:
            m_store.SetDspVersion(ReplyText(r, kVersionChars));
            break;
        case cmd::kCmdSetVersion:
            m_store.SetCommandSetVersion(r[2]);
            break;
        case cmd::kModelName:
            m_store.SetModelName(ReplyText(r, kModelNameChars));
            break;
        case cmd::kMcuVersion:
            m_store.SetMcuVersion(ReplyText(r, kVersionChars));
            break;
        case cmd::kMemoryRead:
            MemoryReply(r);
            break;
        case reply::kAuxByte5:
            m_store.SetAuxByte(5, r[3]);
            break;
        case cmd::kSettingsRead: {
            ParameterStore::Settings settings{};
            std::copy_n(r.begin() + 2, settings.size(), settings.begin());
            m_store.SetAppliedSettings(settings);
            m_store.SetEditedSettings(settings);
            break;
        }
        case cmd::kModeNameRead:
            ModeNameReply(r);
            break;
        default:
            break;
    }
}

void InboundParser::ParameterReply(const Report& bytes) {
    const ParamReport r(bytes);
    if (r.Status() != 0 && !m_errorShown.exchange(true)) {
        char text[128];
        std::snprintf(text, sizeof text, "参数错误,代码0x:%02X,指令1:0x%02X,指令2:0x%02X ", r.Status(), r.Module(),
                      r.Parameter());
        std::function<void(const std::string&)> hook;
        {
            std::lock_guard lock(m_hookMutex);
            hook = m_parameterError;
        }
        if (hook) hook(text);
    }
    // Every decoder reads at most the seven values that fit behind byte 6, whatever the count says.
    const int module = r.Module();
    const int p = r.Parameter();
    if (const WireField* w = WireOfParameter(module, p)) {
        // Below its version the parameter carries something else, which nobody decodes.
        if (w->DecodedFrom(m_store.CommandSetVersion())) StoreByKind(m_store, w->field, r);
        return;
    }
    switch (module) {
        case module::kMic:
            DecodeMic(m_store, p, r);
            break;
        case module::kEcho:
            DecodeEcho(m_store, p, r);
            break;
        case module::kReverb:
            DecodeReverb(m_store, p, r);
            break;
        case module::kMusic:
            DecodeMusic(m_store, p, r);
            break;
        default:
            if (const fld::OutputFields* out = prm::OutputOfModule(module)) DecodeOutput(m_store, *out, p, r);
            break;
    }
}

void InboundParser::MemoryReply(const Report& r) {
    const MemoryReport m(r);
    const int offset = m.Offset();
    // Never more than the report carries.
    const int length = m.CarriedLength();
    const std::uint8_t* data = m.Data();
    if (offset < kEqImageSize) {
        if (data[0] == kBlank && data[1] == kBlank) {
            m_store.ClearEqImage();
        } else {
            m_store.WriteEqBytes(offset, data, length);
        }
    } else if (offset == kSpeakerPosOffset) {
        auto block = m_store.GetSpeakerPositions();
        std::copy_n(data, std::min<int>(length, kSpeakerPosSize), block.begin());
        m_store.SetSpeakerPositions(block);
    } else if (offset == kSpeakerGainOffset) {
        auto block = m_store.GetSpeakerGains();
        std::copy_n(data, std::min<int>(length, kSpeakerGainSize), block.begin());
        m_store.SetSpeakerGains(block);
    }
}

void InboundParser::ModeNameReply(const Report& r) {
    const MemoryReport m(r);
    const int offset = m.Offset();
    const int length = m.Length();
    const std::uint8_t* data = m.Data();
    if (data[0] == kBlank && data[1] == kBlank && data[2] == kBlank && data[3] == kBlank) return;
    if (offset < kModeNameOffset || (offset - kModeNameOffset) % kModeNameStride != 0) return;
    const int slot = (offset - kModeNameOffset) / kModeNameStride;
    if (slot >= kModeSlots) return;
    const int chars = std::min({length / 2, kModeNameChars, (kReportSize - kMemoryDataOffset) / 2});
    std::u16string name;
    for (int i = 0; i < chars; ++i) {
        const char16_t c = static_cast<char16_t>(GetBe16(data + 2 * i));
        if (c == 0) break;
        name.push_back(c);
    }
    m_store.SetModeName(slot, std::move(name));
}

}  // namespace kv
