#include "device/Synchronizer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "device/Acceptance.h"
#include "device/Commands.h"
#include "device/Encoders.h"
#include "device/Parameters.h"
#include "device/UsbLink.h"
#include "device/WireTable.h"
#include "model/ParameterStore.h"
#include "model/SettingsRecord.h"

namespace kv {
namespace {

using namespace prm;

constexpr int kIdentityPasses = 2;
constexpr int kModeNameReadBytes = 40;

// One parameter read request: module, parameter, value count.
struct Read {
    int module;
    int parameter;
    int count = 1;
};

// The read-back order. Plain fields are asked for at their wire address with their copies
// (and only from a command set that takes them); the rest by parameter.
std::vector<Read> ReadBackRequests(int version) {
    using namespace module;
    std::vector<Read> r;
    const auto param = [&](int m, int p, int count = 1) { r.push_back({m, p, count}); };
    const auto field = [&](int f) {
        const WireField* w = WireOfField(f);
        if (w && w->SentTo(version)) r.push_back({w->module, w->parameter, w->copies});
    };
    const auto fields = [&](int first, int n) {
        for (int f = first; f < first + n; ++f) field(f);
    };
    constexpr int kInputs = 4;
    constexpr int kSources = 3;  // SPDIF, Aux1, Aux2
    constexpr int kMixes = 4;    // direct, reverb, echo, music
    const int echoB = kEchoChannelStride;
    const int reverbB = kReverbChannelStride;

    param(kMic, kMicLevelA);
    fields(fld::kMicChAShare1, kInputs);
    param(kMic, kMicLevelB);
    fields(fld::kMicChBShare1, kInputs);
    param(kMic, kMicUnused66, kStereoValues);
    field(fld::kEchoChALevel);
    field(fld::kEchoChBLevel);
    field(fld::kEchoVolume);
    field(fld::kReverbChALevel);
    field(fld::kReverbChBLevel);
    field(fld::kReverbVolume);
    field(fld::kMusicVolume);
    field(fld::kSpdifVolume);
    field(fld::kAux1Volume);
    field(fld::kAux2Volume);
    // Mixes and speaker-position gains of the outputs.
    for (const auto* out : fld::kOutputs) {
        const OutputParams& op = OutputParamsOf(*out);
        fields(out->mixDirect(), kMixes);
        for (int side = 0; side < (out->stereo ? 2 : 1); ++side)
            param(out->module, op.speakerGain[side], kSpeakerGainValues);
    }
    field(fld::kMicChAEqBypass);
    param(kMic, kMicShiftStepA);
    param(kMic, kMicShiftDelayA);
    param(kMic, kMicShiftBypassA);
    fields(fld::kMicNoiseGate1, kInputs);
    field(fld::kMicGateOpen);
    field(fld::kMicGateClose);
    fields(fld::kMicInputVolume1, kInputs);
    param(kMic, kMicMuteA);
    field(fld::kMicChBEqBypass);
    param(kMic, kMicShiftStepB);
    param(kMic, kMicShiftDelayB);
    param(kMic, kMicShiftBypassB);
    param(kMic, kMicMuteB);

    field(fld::kReverbChAEqBypass);
    param(kReverb, kReverbPredelayA);
    param(kReverb, kReverbPredelayA + 1);
    param(kReverb, kReverbTimeA);
    param(kReverb, kReverbTimeA + 1);
    field(fld::kReverbMute);
    field(fld::kReverbChBEqBypass);
    param(kReverb, kReverbPredelayA + reverbB);
    param(kReverb, kReverbPredelayA + 1 + reverbB);
    param(kReverb, kReverbTimeA + reverbB);
    param(kReverb, kReverbTimeA + 1 + reverbB);
    field(fld::kEchoChAEqBypass);
    param(kEcho, kEchoPredelayA);
    param(kEcho, kEchoPredelayA + 1);
    field(fld::kEchoMute);
    field(fld::kEchoChBEqBypass);
    param(kEcho, kEchoPredelayA + echoB);
    param(kEcho, kEchoPredelayA + 1 + echoB);

    field(fld::kMusicEqBypass);
    // Asked for on every command set: before the AGC they carry the pitch-is-zero flags.
    param(kMusic, kMusicAgc);
    param(kMusic, kMusicAgcLevel);
    param(kMusic, kMusicPitch, version == kVersionPitchTable ? kStereoValues : 1);
    param(kMusic, kMusicMute, kStereoValues);
    fields(fld::kSpdifOn, kSources);
    field(fld::kMusicNoiseGate);
    field(fld::kMusicGateOpen);
    field(fld::kMusicGateClose);

    for (const auto* out : fld::kOutputs) {
        const OutputParams& op = OutputParamsOf(*out);
        const int sides = out->stereo ? 2 : 1;
        field(out->eqBypass());
        field(out->compBypass());
        for (int s = 0; s < sides; ++s) param(out->module, op.delay[s]);
        param(out->module, op.compressor, kCompressorValues);
        field(out->delayOffLeft());
        if (out->stereo) field(out->delayOffRight());
        for (int s = 0; s < sides; ++s) param(out->module, op.delayMode[s], kStereoValues);
        field(out->mute());
        if (out->surround) field(out->surroundVolume());
    }
    field(fld::kMicPhase1);
    field(fld::kMicPhase2);
    field(fld::kAutoSubEnabled);
    field(fld::kAutoSubRatio);
    param(kEcho, kEchoTimeA);
    field(fld::kEchoChAStartVol);
    field(fld::kEchoChADecay);
    param(kEcho, kEchoTimeA + echoB);
    field(fld::kEchoChBStartVol);
    field(fld::kEchoChBDecay);
    return r;
}

}  // namespace

Synchronizer::Synchronizer(ParameterStore& store, UsbLink& link, Encoders& encoders, SyncTimings timings)
    : m_store(store), m_link(link), m_encoders(encoders), m_timings(timings) {}

Synchronizer::~Synchronizer() { Wait(); }

void Synchronizer::SetDebugOutput(DebugOutput debug) {
    std::lock_guard lock(m_startMutex);
    m_debug = std::move(debug);
}

void Synchronizer::SetTimings(SyncTimings timings) {
    std::lock_guard lock(m_startMutex);
    m_timings = timings;
}

void Synchronizer::Debug(const char* text) {
    if (m_debug) m_debug(text);
}

void Synchronizer::Sleep(int ms) const {
    if (ms > 0) std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool Synchronizer::StartReadBack(Finished done) {
    return Start(&Synchronizer::ReadBack, std::move(done), notice::kSyncReadBack);
}

bool Synchronizer::StartWriteAll(Finished done) {
    return Start(&Synchronizer::WriteAll, std::move(done), notice::kSyncWriteAll);
}

bool Synchronizer::Start(void (Synchronizer::*body)(), Finished done, int kind) {
    std::lock_guard lock(m_startMutex);
    // Two transfers at once would interleave their commands and corrupt each other's state.
    if (m_running.exchange(true)) return false;
    if (m_thread.joinable()) {
        // The previous thread may still be inside its callback, which may be what calls us.
        if (m_thread.get_id() == std::this_thread::get_id())
            m_thread.detach();
        else
            m_thread.join();
    }
    Debug("Start thread:SynchronizeData\n");
    m_thread = std::thread([this, body, done = std::move(done), kind] {
        (this->*body)();
        m_store.ClearLevelMeter();
        m_link.SetLinkIdle(true);
        m_running.store(false);
        if (done) done(kind);
    });
    return true;
}

void Synchronizer::Wait() {
    std::thread t;
    {
        std::lock_guard lock(m_startMutex);
        if (!m_thread.joinable()) return;
        if (m_thread.get_id() == std::this_thread::get_id()) return;
        t = std::move(m_thread);
    }
    t.join();
}

std::vector<OutOfRange> Synchronizer::ReadBackClamped() const {
    std::lock_guard lock(m_clampedMutex);
    return m_clamped;
}

std::uint32_t Synchronizer::IdentityReplyCount() const {
    return m_link.ReportCount(cmd::kModelName) + m_link.ReportCount(cmd::kCmdSetVersion) +
           m_link.ReportCount(cmd::kMcuVersion) + m_link.ReportCount(cmd::kDspVersion);
}

void Synchronizer::ReadBack() {
    {
        std::lock_guard lock(m_clampedMutex);
        m_clamped.clear();
    }
    m_store.ClearLevelMeter();
    m_link.SetLinkIdle(false);
    Sleep(m_timings.connectWaitMs);

    m_identityAnswered.store(false);
    m_identityComplete.store(false);
    const std::uint32_t models = m_link.ReportCount(cmd::kModelName);
    const std::uint32_t versions = m_link.ReportCount(cmd::kCmdSetVersion);
    const std::uint32_t others = IdentityReplyCount();
    for (int pass = 0; pass < kIdentityPasses; ++pass) {
        m_link.SendCommand({cmd::kModelName, -1});
        m_link.SendCommand({cmd::kCmdSetVersion, -1});
        m_link.SendCommand({cmd::kMcuVersion, -1});
    }
    // Any report releases the write permit, so a box sending reports of its own would let
    // the check run before the answers are in: wait for the answers themselves (bounded).
    const std::pair<std::uint8_t, std::uint32_t> all[] = {{cmd::kModelName, models + kIdentityPasses},
                                                          {cmd::kCmdSetVersion, versions + kIdentityPasses}};
    const std::pair<std::uint8_t, std::uint32_t> any[] = {{cmd::kModelName, models + 1},
                                                          {cmd::kCmdSetVersion, versions + 1}};
    m_link.WaitForReports(all, m_link.Timings().permitWaitMs);
    // A box that sent identity replies, only not those asked for, answers: it is refused,
    // never taken for a silent one, and the store's earlier identity proves nothing of it.
    m_identityAnswered.store(IdentityReplyCount() != others);
    if (!m_link.WaitForReports(any, 0)) return;
    m_identityComplete.store(true);
    // A box of another model or command set is left alone; the view refuses it.
    if (CheckAcceptance(m_store.GetIdentity()) != Acceptance::Accepted) return;

    m_link.SendCommand({cmd::kCurrentMode, -1});
    for (int slot = 0; slot < kModeSlots; ++slot) {
        const int offset = kModeNameOffset + kModeNameStride * slot;
        m_link.SendCommand({cmd::kModeNameRead, offset >> 8, offset & 0xFF, kModeNameReadBytes, -1});
    }
    m_link.SendCommand({cmd::kDspVersion, -1});

    for (const Read& r : ReadBackRequests(m_store.CommandSetVersion()))
        m_link.WriteReport(BuildParamRead(r.module, r.parameter, r.count));

    for (int offset = 0; offset < kEqImageSize; offset += kMaxMemoryChunk)
        m_link.WriteReport(BuildMemoryRead(offset, std::min(kMaxMemoryChunk, kEqImageSize - offset)));
    m_link.WriteReport(BuildMemoryRead(kSpeakerPosOffset, kSpeakerPosSize));
    m_link.WriteReport(BuildMemoryRead(kSpeakerGainOffset, kSpeakerGainSize));

    m_link.SendCommand({cmd::kSettingsRead, -1});
    m_link.SendCommand({cmd::kRemoteTableRead, -1});
    m_link.AwaitAnswer();
    // A box may hold values no control could set (a damaged memory, a file loaded by another
    // program): they are never shown, nor sent back, as they are.
    if (m_clampAfterReadBack.load()) {
        auto clamped = ClampStore(m_store);
        std::lock_guard lock(m_clampedMutex);
        m_clamped = std::move(clamped);
    }
    m_store.SetSettingsChanged(false);
    Sleep(m_timings.readBackSettleMs);
}

void Synchronizer::WriteAll() {
    m_store.ClearLevelMeter();
    m_link.SetLinkIdle(false);
    Sleep(m_timings.writeAllStartMs);

    m_encoders.SendAll();

    const auto image = m_store.GetEqImage();
    for (int offset = 0; offset < kEqImageSize; offset += kMaxMemoryChunk)
        m_link.WriteMemoryBlock(offset, std::min(kMaxMemoryChunk, kEqImageSize - offset),
                                &image[static_cast<std::size_t>(offset)]);
    m_encoders.WriteSpeakerPositions();
    const auto gains = m_store.GetSpeakerGains();
    m_link.WriteMemoryBlock(kSpeakerGainOffset, kSpeakerGainSize, gains.data());

    m_encoders.ResendAllEqCoefficients();
    if (m_store.AppliedSettings()[record::kSaveMode] == record::kSaveWithMode) m_encoders.LevelRamp();

    m_link.WriteReport(BuildParamRead(module::kMic, kMicLevelA, 1));
    m_link.WriteReport(BuildParamRead(module::kMic, kMicLevelB, 1));
    m_link.WriteReport(BuildParamRead(module::kMusic, kMusicLevel, kMusicLevelValues));
    m_link.AwaitAnswer();
    Sleep(m_timings.writeAllEndMs);
    m_store.SetSettingsChanged(false);
}

}  // namespace kv
