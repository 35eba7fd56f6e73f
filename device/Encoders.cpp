#include "device/Encoders.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>
#include <vector>

#include "device/Parameters.h"
#include "device/UsbLink.h"
#include "device/WireTable.h"
#include "eq/EqMath.h"
#include "model/Bytes.h"
#include "model/SettingsRecord.h"

namespace kv {
namespace {

using namespace prm;

constexpr double kTwoPi = 6.283185307179586;
constexpr double kSamplesPerMs = 48.0;
constexpr double kMinPredelayMs = 3.0;
constexpr double kMinEchoTimeMs = 40.0;
constexpr double kMinOutputDelayMs = 1.5;
constexpr double kResetQ = 1.41;
constexpr double kResetSubCrossoverQ = 1.414;
constexpr int kSubResetCodes[4] = {18, 20, eq::kCodePeaking, eq::kCodePeaking};  // bands 16..19
constexpr int kSubResetCrossoverHz = 100;
constexpr int kSubRows = 16;       // bands 0..15 are the four-by-four rows
constexpr int kMicRampStart = 80;  // levels at or above start ramping here
constexpr int kMusicRampStart = 70;
constexpr int kRampTop = 100;  // no level control goes higher; a crafted file can't make the ramp endless
constexpr int kFadeSteps = 9;  // 0.0 .. 0.8 then 1.0
constexpr int kLastMode = kModeSlots - 1;
constexpr int kModeNameWireBytes = 44;  // length byte of a mode-name write
constexpr int kModeNameWireChars = kModeNameWireBytes / 2;

// Nothing non-finite may reach the box's processor.
float Finite(double v) {
    const float f = static_cast<float>(v);
    return std::isfinite(f) ? f : 0.0f;
}

ParamValue F(double v) { return ParamValue::FromFloat(Finite(v)); }

float MuteValue(std::int32_t muted) { return muted ? 0.0f : 1.0f; }

double Hundredths(std::int32_t v) { return v / 100.0; }

int DelayField(const fld::OutputFields& out, int side) { return side ? out.delayRight() : out.delayLeft(); }
int DelayModeField(const fld::OutputFields& out, int side) { return side ? out.delayModeRight() : out.delayModeLeft(); }
bool ValidSide(const fld::OutputFields& out, int side) { return side == 0 || (side == 1 && out.stereo); }

}  // namespace

EqLayout LayoutOf(EqId eq) {
    const EqInfo& e = EqInfoOf(eq);
    return {e.module, e.firstSlot, e.bands};
}

std::int32_t SamplesOf(double ms) {
    const double s = std::trunc(ms * kSamplesPerMs + 0.5);
    if (std::isnan(s)) return 0;
    return static_cast<std::int32_t>(std::clamp(s, double{std::numeric_limits<std::int32_t>::min()},
                                                double{std::numeric_limits<std::int32_t>::max()}));
}

float CompressorTimeCoeff(double ms) {
    // A time of zero (or less, or not a number) is an instant response: coefficient 1.
    if (!(ms > 0.0)) return 1.0f;
    return Finite(1.0 - std::exp(-1.0 / (ms * kSamplesPerMs)));
}

Encoders::Encoders(ParameterStore& store, UsbLink& link, EncoderTimings timings)
    : m_store(store), m_link(link), m_timings(timings) {}

void Encoders::SetDebugOutput(DebugOutput debug) { m_debug = std::move(debug); }

void Encoders::Debug(const std::string& text) const {
    if (m_debug) m_debug(text);
}

int Encoders::SendBytes(std::initializer_list<int> bytes) { return m_link.SendCommand(bytes); }

// --- Generic ------------------------------------------------------------------------

int Encoders::FloatParamWrite(int module, int parameter, float value, int count) {
    const int n = std::clamp(count, 1, kMaxParamValues);
    std::vector<ParamValue> values(static_cast<std::size_t>(n), F(value));
    return RawParamWrite(module, parameter, values);
}

int Encoders::IntParamWrite(int module, int parameter, std::int32_t value) {
    const ParamValue v = ParamValue::FromInt(value);
    return RawParamWrite(module, parameter, std::span<const ParamValue>(&v, 1));
}

int Encoders::RawParamWrite(int module, int parameter, std::span<const ParamValue> values) {
    return m_link.WriteReport(BuildParamWrite(module, parameter, values));
}

void Encoders::StoreAndSend(int field, std::int32_t v) {
    m_store.SetInt(field, v);
    SendField(field);
}

int Encoders::SendField(int field) {
    const WireField* w = WireOfField(field);
    if (!w || !w->SentTo(m_store.CommandSetVersion())) return 0;
    std::array<ParamValue, kMaxParamValues> values{};
    values.fill(WireValueOf(*w, m_store));
    return RawParamWrite(w->module, w->parameter,
                         std::span<const ParamValue>(values.data(), static_cast<std::size_t>(w->copies)));
}

// --- Microphones --------------------------------------------------------------------

void Encoders::SendMicLevel(float value) {
    FloatParamWrite(module::kMic, kMicLevelA, value);
    FloatParamWrite(module::kMic, kMicLevelB, value);
}

void Encoders::MicLevel(int v) {
    m_store.SetInt(fld::kMicVolume, v);
    SendMicLevel(Finite(Hundredths(v)));
}

void Encoders::MicMute(int muted) {
    m_store.SetInt(fld::kMicMute, muted);
    FloatParamWrite(module::kMic, kMicMuteA, MuteValue(muted));
    FloatParamWrite(module::kMic, kMicMuteB, MuteValue(muted));
}

void Encoders::MicInputVolume(int input1to4, int v) {
    if (input1to4 < 1 || input1to4 > 4) return;
    StoreAndSend(fld::kMicInputVolume1 + input1to4 - 1, v);
}

void Encoders::MicNoiseGate4(int v) { StoreAndSend(fld::kMicNoiseGate1 + 3, v); }

void Encoders::MicEqBypass(int channel, int v) {
    StoreAndSend(channel ? fld::kMicChBEqBypass : fld::kMicChAEqBypass, v);
}

void Encoders::MicPhase(int group, int v) { StoreAndSend(group ? fld::kMicPhase2 : fld::kMicPhase1, v); }

void Encoders::FrequencyShift(int channel, int setting) {
    const int s = std::clamp(setting, 0, static_cast<int>(kShiftDelayMs.size()) - 1);
    m_store.SetInt(channel ? fld::kMicChBShift : fld::kMicChAShift, s);
    SendFrequencyShift(channel);
}

void Encoders::SendFrequencyShift(int channel) {
    const int s = std::clamp(m_store.Int(channel ? fld::kMicChBShift : fld::kMicChAShift), 0,
                             static_cast<int>(kShiftDelayMs.size()) - 1);
    const int bypassField = channel ? fld::kMicChBShiftBypass : fld::kMicChAShiftBypass;
    const int bypassParam = channel ? kMicShiftBypassB : kMicShiftBypassA;
    if (s == kShiftSettingOff) {
        m_store.SetInt(bypassField, 1);
        IntParamWrite(module::kMic, bypassParam, 1);
        return;
    }
    m_store.SetInt(bypassField, 0);
    IntParamWrite(module::kMic, bypassParam, 0);
    FloatParamWrite(module::kMic, channel ? kMicShiftStepB : kMicShiftStepA, Finite(s * kTwoPi / 48000.0));
    IntParamWrite(module::kMic, channel ? kMicShiftDelayB : kMicShiftDelayA,
                  SamplesOf(kShiftDelayMs[static_cast<std::size_t>(s)]));
}

void Encoders::AutoSub(int enabled) { StoreAndSend(fld::kAutoSubEnabled, enabled); }

void Encoders::AutoSubRatio(int percent) { StoreAndSend(fld::kAutoSubRatio, percent); }

// --- Echo and reverb ----------------------------------------------------------------

// Both halves hold half of the total, which is at least the smallest predelay.
void Encoders::StorePredelay(int firstField, int module, int parameter1, double totalMs) {
    const double t = std::isnan(totalMs) ? kMinPredelayMs : std::max(totalMs, kMinPredelayMs);
    const double h = t / 2.0;
    m_store.SetFloat(firstField, static_cast<float>(h));
    m_store.SetFloat(firstField + 1, static_cast<float>(h));
    const std::int32_t samples = SamplesOf(h);
    IntParamWrite(module, parameter1, samples);
    IntParamWrite(module, parameter1 + 1, samples);
}

void Encoders::EchoPredelay(int channel, double totalMs) {
    StorePredelay(channel ? fld::kEchoChBPredelay1 : fld::kEchoChAPredelay1, module::kEcho,
                  kEchoPredelayA + (channel ? kEchoChannelStride : 0), totalMs);
}

void Encoders::ReverbPredelay(int channel, double totalMs) {
    StorePredelay(channel ? fld::kReverbChBPredelay1 : fld::kReverbChAPredelay1, module::kReverb,
                  kReverbPredelayA + (channel ? kReverbChannelStride : 0), totalMs);
}

void Encoders::EchoTime(int channel, double ms) {
    const double t = std::isnan(ms) ? kMinEchoTimeMs : std::max(ms, kMinEchoTimeMs);
    m_store.SetFloat(channel ? fld::kEchoChBTime : fld::kEchoChATime, static_cast<float>(t));
    IntParamWrite(module::kEcho, kEchoTimeA + (channel ? kEchoChannelStride : 0), SamplesOf(t));
}

void Encoders::ReverbTime(int channel, int setting) {
    m_store.SetFloat(channel ? fld::kReverbChBTime : fld::kReverbChATime, static_cast<float>(setting));
    const int p = kReverbTimeA + (channel ? kReverbChannelStride : 0);
    FloatParamWrite(module::kReverb, p, Finite(Hundredths(setting)));
    FloatParamWrite(module::kReverb, p + 1, Finite(Hundredths(setting)));
}

void Encoders::EchoEqBypass(int channel, int v) {
    StoreAndSend(channel ? fld::kEchoChBEqBypass : fld::kEchoChAEqBypass, v);
}

void Encoders::ReverbEqBypass(int channel, int v) {
    StoreAndSend(channel ? fld::kReverbChBEqBypass : fld::kReverbChAEqBypass, v);
}

// --- Music --------------------------------------------------------------------------

void Encoders::SendMusicLevel(float value) { FloatParamWrite(module::kMusic, kMusicLevel, value, kMusicLevelValues); }

void Encoders::MusicLevel(int v) {
    m_store.SetInt(fld::kMusicVolume, v);
    SendMusicLevel(Finite(Hundredths(v)));
}

void Encoders::MusicEqBypass(int v) { StoreAndSend(fld::kMusicEqBypass, v); }

void Encoders::MusicPitch(int semitones) {
    m_store.SetInt(fld::kMusicPitch, semitones);
    SendMusicPitch();
}

void Encoders::SendMusicPitch() {
    const int p = m_store.Int(fld::kMusicPitch);
    const int version = m_store.CommandSetVersion();
    if (version == kVersionPitchTable) {
        const int flat = p == 0 ? 1 : 0;
        IntParamWrite(module::kMusic, kMusicAgc, flat);
        IntParamWrite(module::kMusic, kMusicAgcLevel, flat);
        const auto i = static_cast<std::size_t>(std::clamp(p, -kPitchRange, kPitchRange) + kPitchRange);
        const ParamValue pair[2] = {ParamValue::FromInt(kPitchColumnA[i]), ParamValue{kPitchColumnBBits[i]}};
        RawParamWrite(module::kMusic, kMusicPitch, pair);
        RawParamWrite(module::kMusic, kMusicPitch2, pair);
    } else if (version > kVersionPitchTable) {
        // Modular, as the box's 32-bit word would take it: no overflow for a crafted field.
        IntParamWrite(module::kMusic, kMusicPitch, static_cast<std::int32_t>(std::int64_t{p} + kPitchOffsetV9));
    }
}

void Encoders::MusicAgc(int v) { StoreAndSend(fld::kMusicAgc, v); }

void Encoders::MusicAgcLevel(float db) {
    m_store.SetFloat(fld::kMusicAgcLevel, db);
    SendField(fld::kMusicAgcLevel);
}

void Encoders::MusicMute(int muted) {
    m_store.SetInt(fld::kMusicMute, muted);
    if (muted) {
        FloatParamWrite(module::kMusic, kMusicMute, 0.0f, kStereoValues);
        return;
    }
    // Unmuting fades in so the music does not jump in at full level.
    for (int k = 0; k < kFadeSteps; ++k) {
        FloatParamWrite(module::kMusic, kMusicMute, static_cast<float>(k / 10.0), kStereoValues);
        m_link.Pause(m_timings.fadeStepMs);
    }
    FloatParamWrite(module::kMusic, kMusicMute, 1.0f, kStereoValues);
}

// --- Outputs ------------------------------------------------------------------------

void Encoders::OutputEqBypass(const fld::OutputFields& out, int v) { StoreAndSend(out.eqBypass(), v); }

void Encoders::OutputDelay(const fld::OutputFields& out, int side, double ms) {
    if (!ValidSide(out, side)) return;
    const double t = std::isnan(ms) ? kMinOutputDelayMs : std::max(ms, kMinOutputDelayMs);
    m_store.SetFloat(DelayField(out, side), static_cast<float>(t));
    IntParamWrite(out.module, OutputParamsOf(out).delay[side], SamplesOf(t));
}

void Encoders::Compressor(const fld::OutputFields& out, float thresholdDb, float ratio, float attackMs,
                          float releaseMs) {
    m_store.SetFloat(out.compThreshold(), thresholdDb);
    m_store.SetFloat(out.compRatio(), ratio);
    m_store.SetFloat(out.compAttack(), attackMs);
    m_store.SetFloat(out.compRelease(), releaseMs);
    SendCompressor(out);
}

void Encoders::SendCompressor(const fld::OutputFields& out) {
    double ratio = m_store.Float(out.compRatio());
    if (!(ratio >= 1.0)) ratio = 1.0;  // below 1 (or not a number) would send a negative or infinite slope
    const ParamValue values[kCompressorValues] = {
        F(m_store.Float(out.compThreshold())),
        F(0.0),
        F(1.0 - 1.0 / ratio),
        F(20.0),
        F(0.05),
        ParamValue::FromFloat(CompressorTimeCoeff(m_store.Float(out.compAttack()))),
        ParamValue::FromFloat(CompressorTimeCoeff(m_store.Float(out.compRelease()))),
    };
    RawParamWrite(out.module, OutputParamsOf(out).compressor, values);
}

void Encoders::SendDelayModeValue(const fld::OutputFields& out, int side, int mode) {
    const ParamValue values[2] = {F(1.0), F(mode ? 0.0 : 1.0)};
    RawParamWrite(out.module, OutputParamsOf(out).delayMode[side], values);
}

void Encoders::DelayMode(const fld::OutputFields& out, int side, int mode) {
    if (!ValidSide(out, side)) return;
    m_store.SetInt(DelayModeField(out, side), mode);
    SendDelayModeValue(out, side, mode);
    // Whole-channel delay bypasses the crossover: its slots go flat at the same frequencies.
    WriteCrossoverSlots(out, side, CurrentCrossoverIndex(out, side), mode != 0);
}

void Encoders::ApplyCrossover(const fld::OutputFields& out, int side, int index) {
    if (!ValidSide(out, side)) return;
    WriteCrossoverSlots(out, side, std::clamp(index, 0, kCrossoverCount - 1), false);
}

// Each slot is stored first and its section designed from the stored band, as the write-all's
// resend designs every other band.
void Encoders::WriteCrossoverSlots(const fld::OutputFields& out, int side, int index, bool flat) {
    const int slot = OutputParamsOf(out).crossoverSlot[side];
    BandDescriptorWrite(
        out.module, slot,
        BandDescriptor{0.0, CrossoverHighHz(index), kCrossoverQ, flat ? eq::kCodePeaking : eq::kCodeHighPass});
    SendStoredCoefficients(out.module, slot);
    BandDescriptorWrite(
        out.module, slot + 1,
        BandDescriptor{0.0, CrossoverLowHz(index), kCrossoverQ, flat ? eq::kCodePeaking : eq::kCodeLowPass});
    SendStoredCoefficients(out.module, slot + 1);
}

int Encoders::CurrentCrossoverIndex(const fld::OutputFields& out, int side) const {
    if (!ValidSide(out, side)) return 0;
    const int hz = m_store.ReadBand(out.module, OutputParamsOf(out).crossoverSlot[side]).frequencyHz;
    for (int i = 0; i < kCrossoverCount; ++i)
        if (CrossoverHighHz(i) == hz) return i;
    return 0;
}

// --- Equalisers ---------------------------------------------------------------------

void Encoders::BandDescriptorWrite(int module, int band, const BandDescriptor& descriptor) {
    if (!m_store.WriteBand(module, band, descriptor)) return;
    std::uint8_t bytes[kBandDescriptorSize];
    descriptor.Encode(bytes);
    m_link.WriteMemoryBlock(EqBase(module) + kBandDescriptorSize * band, kBandDescriptorSize, bytes);
}

void Encoders::EqCoefficientWrite(int module, int band, const eq::Biquad& s) {
    // 0 - a keeps a zero coefficient +0.0 on the wire (an off band is exactly the identity).
    const ParamValue values[kEqCoefficientValues] = {F(0.0 - s.a1), F(0.0 - s.a2), F(s.b0), F(s.b1), F(s.b2)};
    RawParamWrite(module, band, values);
}

void Encoders::EqBand(int module, int band, int code, double gainDb, double freqHz, double q, double outputGainDb) {
    if (band < 0 || band >= EqSlots(module)) return;
    const double hz = std::isfinite(freqHz) ? std::clamp(freqHz, 0.0, 65535.0) : 0.0;
    BandDescriptorWrite(module, band, BandDescriptor{gainDb, static_cast<int>(hz), q, code});
    EqCoefficientWrite(module, band, eq::DesignSection(code, gainDb, freqHz, q, outputGainDb, eq::kSampleRate));
}

void Encoders::EqBand(EqId id, int band, int code, double gainDb, double freqHz, double q, double outputGainDb) {
    const EqLayout l = LayoutOf(id);
    if (band < 0 || band >= l.bands) return;
    EqBand(l.module, l.firstSlot + band, code, gainDb, freqHz, q, outputGainDb);
}

void Encoders::SendStoredCoefficients(int module, int slot) {
    const BandDescriptor d = m_store.ReadBand(module, slot);
    EqCoefficientWrite(module, slot, eq::DesignSection(d.code, d.gainDb, d.frequencyHz, d.q, 0.0, eq::kSampleRate));
}

BandDescriptor Encoders::ReadBand(EqId id, int band) const {
    const EqLayout l = LayoutOf(id);
    if (band < 0 || band >= l.bands) return {};
    return m_store.ReadBand(l.module, l.firstSlot + band);
}

void Encoders::ResetEq(EqId id) {
    const EqLayout l = LayoutOf(id);
    for (int b = 0; b < l.bands; ++b) {
        const int slot = l.firstSlot + b;
        if (l.module == module::kSub && b >= kSubRows) {
            EqBand(l.module, slot, kSubResetCodes[b - kSubRows], 0.0, kSubResetCrossoverHz, kResetSubCrossoverQ);
        } else {
            EqBand(l.module, slot, eq::kCodePeaking, 0.0, DefaultBand(l.module, slot).frequencyHz, kResetQ);
        }
    }
}

// Every bypass switch is a plain field.
void Encoders::EqBypass(EqId id, int v) { StoreAndSend(EqInfoOf(id).bypassField, v); }

// The equalisers in table order are the modules in order, each from its first slot; the
// crossover slots behind them are left to the delay-mode encoders.
void Encoders::ResendAllEqCoefficients() {
    for (const EqInfo& e : kEqualisers) {
        for (int slot = e.firstSlot; slot < e.firstSlot + e.bands; ++slot) SendStoredCoefficients(e.module, slot);
    }
}

// --- Speaker positions --------------------------------------------------------------

void Encoders::WriteSpeakerPositions() {
    const auto block = m_store.EncodeSpeakerPositionsFromFields();
    m_link.WriteMemoryBlock(kSpeakerPosOffset, kSpeakerPosSize, block.data());
}

void Encoders::SpeakerGain(int speaker1to8, float db) {
    if (speaker1to8 < 1 || speaker1to8 > kSpeakers) return;
    const SpeakerChannel& ch = kSpeakerChannels[static_cast<std::size_t>(speaker1to8 - 1)];
    auto block = m_store.GetSpeakerGains();
    PutBeFloat(&block[static_cast<std::size_t>(ch.gainOffset)], db);
    m_store.SetSpeakerGains(block);
    m_link.WriteMemoryBlock(kSpeakerGainOffset, kSpeakerGainSize, block.data());
    const double x = db;
    const double c = std::pow(10.0, (0.0022594517 * x * x + 0.7999020 * x) / 20.0);
    const double d = std::pow(10.0, x / 20.0);
    const ParamValue values[kSpeakerGainValues] = {
        F(c), F(d), ParamValue{kSpeakerGainA1Bits}, ParamValue{kSpeakerGainA2Bits}, F(c), F(d)};
    RawParamWrite(ch.module, ch.parameter, values);
}

void Encoders::ResetSpeakerGains() {
    for (int s = 1; s <= kSpeakers; ++s) SpeakerGain(s, 0.0f);
    m_store.SetSpeakerPositions(ParameterStore::kDefaultSpeakerPositions);
    m_link.WriteMemoryBlock(kSpeakerPosOffset, kSpeakerPosSize, ParameterStore::kDefaultSpeakerPositions.data());
}

// --- Levels -------------------------------------------------------------------------

void Encoders::LevelRamp() {
    const int v = std::min(m_store.Int(fld::kMicVolume), kRampTop);
    for (const int p : {kMicLevelA, kMicLevelB}) {
        if (v < kMicRampStart) {
            FloatParamWrite(module::kMic, p, Finite(Hundredths(v)));
        } else {
            for (int k = kMicRampStart; k <= v; ++k) FloatParamWrite(module::kMic, p, Finite(Hundredths(k)));
        }
    }
    const int w = std::min(m_store.Int(fld::kMusicVolume), kRampTop);
    if (w < kMusicRampStart) {
        SendMusicLevel(Finite(Hundredths(w)));
    } else {
        for (int k = kMusicRampStart; k <= w; ++k) {
            SendMusicLevel(Finite(Hundredths(k)));
            m_link.Pause(m_timings.rampStepMs);
        }
    }
}

// --- Mode commands ------------------------------------------------------------------

void Encoders::SendModeCommand(std::uint8_t code, int slot) {
    const int s = std::clamp(slot, 0, kLastMode);
    m_store.SetInt(fld::kCurrentMode, s);
    SendBytes({code, s, -1});
}

void Encoders::LoadUserMode(int slot) {
    SendModeCommand(cmd::kModeLoad, slot);
    Debug("Start thread:SynchronizeData\n");
}

void Encoders::ResetUserMode(int slot) {
    SendModeCommand(cmd::kModeReset, slot);
    Debug("Start thread:SynchronizeData\n");
}

void Encoders::SaveUserMode(int slot) {
    m_store.SetSettingsChanged(false);
    SendModeCommand(cmd::kModeSave, slot);
}

void Encoders::SelectModeSlot(int slot) { SendBytes({cmd::kModeSelect, std::clamp(slot, 0, kLastMode), -1}); }

void Encoders::WriteModeName(int slot, const std::u16string& name) {
    if (slot < 0 || slot >= kModeSlots) return;
    m_store.SetModeName(slot, name);
    const int offset = kModeNameOffset + kModeNameStride * slot;
    std::vector<int> bytes{cmd::kModeNameWrite, offset >> 8, offset & 0xFF, kModeNameWireBytes};
    const std::size_t chars = std::min<std::size_t>(name.size(), kModeNameWireChars);
    for (std::size_t i = 0; i < chars; ++i) {
        bytes.push_back(name[i] >> 8);
        bytes.push_back(name[i] & 0xFF);
    }
    m_link.SendCommand(bytes);
}

void Encoders::DeviceReset() { SendBytes({cmd::kDeviceReset, kDeviceResetKey, -1}); }

// --- Settings, remote, meters -------------------------------------------------------

void Encoders::WriteSettings(const ParameterStore::Settings& record) {
    m_store.SetAppliedSettings(record);
    std::vector<int> bytes{cmd::kSettingsWrite};
    bytes.insert(bytes.end(), record.begin(), record.end());
    m_link.SendCommand(bytes);
}

void Encoders::WriteRemoteTable() {
    const auto table = m_store.GetRemoteTable();
    std::vector<int> bytes{cmd::kRemoteTableWrite};
    bytes.insert(bytes.end(), table.begin(), table.end());
    m_link.SendCommand(bytes);
}

void Encoders::RemoteLearn(int key) { SendBytes({cmd::kRemoteLearn, key, -1}); }

void Encoders::RemoteLearnStop() {
    // The box stays silent on a learn command nobody answered; do not let that hold this write back.
    m_link.ReleaseWritePermit();
    SendBytes({cmd::kRemoteLearnStop, -1});
}

void Encoders::PollLevelMeter() { SendBytes({cmd::kLevelMeter, -1}); }

// --- Write-all ----------------------------------------------------------------------

void Encoders::SendAll() {
    const auto& s = m_store;
    const bool ramp = m_store.AppliedSettings()[record::kSaveMode] == record::kSaveWithMode;
    constexpr int kInputs = 4;
    constexpr int kSources = 3;  // SPDIF, Aux1, Aux2
    const auto fields = [&](int first, int n) {
        for (int f = first; f < first + n; ++f) SendField(f);
    };

    // 1. Levels start silent when they are ramped at the end.
    if (ramp) {
        SendMicLevel(0.0f);
        SendMusicLevel(0.0f);
    }
    // 2. Input shares and effect levels.
    fields(fld::kMicChAShare1, kInputs);
    SendField(fld::kEchoChALevel);
    SendField(fld::kReverbChALevel);
    fields(fld::kMicChBShare1, kInputs);
    SendField(fld::kEchoChBLevel);
    SendField(fld::kReverbChBLevel);
    // 3. Microphone mute. 4. Music mute (fading in when open).
    FloatParamWrite(module::kMic, kMicMuteA, MuteValue(s.Int(fld::kMicMute)));
    FloatParamWrite(module::kMic, kMicMuteB, MuteValue(s.Int(fld::kMicMute)));
    MusicMute(s.Int(fld::kMusicMute));
    // 5. Effect mutes and volumes.
    SendField(fld::kReverbMute);
    SendField(fld::kEchoMute);
    SendField(fld::kReverbVolume);
    SendField(fld::kEchoVolume);
    // 6. Output mixes; surround volumes (negated) only to a command set that takes them.
    for (const auto* out : fld::kOutputs) {
        fields(out->mixDirect(), out->mixMusic() - out->mixDirect() + 1);
        if (out->surround) SendField(out->surroundVolume());
    }
    // 7, 8. Channels A and B.
    for (int ch = 0; ch < 2; ++ch) {
        SendField(ch ? fld::kMicChBEqBypass : fld::kMicChAEqBypass);
        SendFrequencyShift(ch);
        SendField(ch ? fld::kReverbChBEqBypass : fld::kReverbChAEqBypass);
        ReverbPredelay(ch, double{s.Float(ch ? fld::kReverbChBPredelay1 : fld::kReverbChAPredelay1)} +
                               double{s.Float(ch ? fld::kReverbChBPredelay2 : fld::kReverbChAPredelay2)});
        const float time = s.Float(ch ? fld::kReverbChBTime : fld::kReverbChATime);
        ReverbTime(ch, std::isfinite(time) ? static_cast<int>(std::clamp(time, -1e6f, 1e6f)) : 0);
        SendField(ch ? fld::kEchoChBEqBypass : fld::kEchoChAEqBypass);
        EchoPredelay(ch, double{s.Float(ch ? fld::kEchoChBPredelay1 : fld::kEchoChAPredelay1)} +
                             double{s.Float(ch ? fld::kEchoChBPredelay2 : fld::kEchoChAPredelay2)});
        EchoTime(ch, s.Float(ch ? fld::kEchoChBTime : fld::kEchoChATime));
        SendField(ch ? fld::kEchoChBStartVol : fld::kEchoChAStartVol);
        SendField(ch ? fld::kEchoChBDecay : fld::kEchoChADecay);
    }
    // 9. Microphone volumes and noise gates.
    fields(fld::kMicInputVolume1, kInputs);
    fields(fld::kMicNoiseGate1, kInputs);
    SendField(fld::kMicGateOpen);
    SendField(fld::kMicGateClose);
    // 10. Music; the AGC only reaches a command set that has it.
    SendField(fld::kMusicEqBypass);
    SendMusicPitch();
    SendField(fld::kMusicAgc);
    SendField(fld::kMusicAgcLevel);
    fields(fld::kSpdifOn, kSources);
    SendField(fld::kAux1Volume);
    SendField(fld::kAux2Volume);
    SendField(fld::kSpdifVolume);
    SendField(fld::kMusicNoiseGate);
    SendField(fld::kMusicGateOpen);
    SendField(fld::kMusicGateClose);
    // 11..13. Outputs: switches, delays, delay modes (which refresh the crossovers), mute.
    for (const auto* out : fld::kOutputs) {
        const int sides = out->stereo ? 2 : 1;
        SendField(out->eqBypass());
        SendField(out->compBypass());
        for (int side = 0; side < sides; ++side) OutputDelay(*out, side, s.Float(DelayField(*out, side)));
        for (int side = 0; side < sides; ++side) SendField(side ? out->delayOffRight() : out->delayOffLeft());
        for (int side = 0; side < sides; ++side) DelayMode(*out, side, s.Int(DelayModeField(*out, side)));
        SendField(out->mute());
    }
    // 14. Compressors.
    for (const auto* out : fld::kOutputs) SendCompressor(*out);
    // 15. Phases and the automatic subwoofer.
    SendField(fld::kMicPhase1);
    SendField(fld::kMicPhase2);
    SendField(fld::kAutoSubEnabled);
    SendField(fld::kAutoSubRatio);
}

}  // namespace kv
