#include "device/Synchronizer.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "device/Acceptance.h"
#include "device/Commands.h"
#include "device/Encoders.h"
#include "device/Parameters.h"
#include "device/UsbLink.h"
#include "model/ParameterStore.h"

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

// The read-back order; the output groups and the music pitch depend on the version.
std::vector<Read> ReadBackRequests(int version) {
    using namespace module;
    std::vector<Read> r;
    const auto many = [&](int m, std::initializer_list<int> ps) {
        for (int p : ps) r.push_back({m, p});
    };
    many(kMic, {30, 33, 34, 35, 36, 43, 46, 47, 48, 49});
    r.push_back({kMic, kMicUnused66, 2});
    many(kEcho, {15, 22});
    r.push_back({kEcho, kEchoVolume, 2});
    many(kReverb, {15, 21});
    r.push_back({kReverb, kReverbVolume, 2});
    r.push_back({kMusic, kMusicLevel, 6});
    r.push_back({kMusic, kSpdifVolume, 2});
    r.push_back({kMusic, kAux1Volume, 2});
    r.push_back({kMusic, kAux2Volume, 2});
    // Mixes and speaker-position gains of the outputs.
    for (const auto* out : fld::kOutputs) {
        const OutputParams& op = OutputParamsOf(*out);
        for (int i = 0; i < 4; ++i) r.push_back({out->module, op.mixFirst + i});
        for (int side = 0; side < (out->stereo ? 2 : 1); ++side)
            r.push_back({out->module, op.speakerGain[side], kSpeakerGainValues});
    }
    many(kMic, {37, 38, 39, 40, 60, 61, 62, 63, 64, 65, 56, 57, 58, 59, 42, 50, 51, 52, 53, 55});
    many(kReverb, {14, 16, 17, 18, 19});
    r.push_back({kReverb, kReverbMute, 2});
    many(kReverb, {20, 22, 23, 24, 25});
    many(kEcho, {14, 16, 17});
    r.push_back({kEcho, kEchoMute, 2});
    many(kEcho, {21, 23, 24});
    many(kMusic, {kMusicEqBypass, kMusicAgc, kMusicAgcLevel});
    r.push_back({kMusic, kMusicPitch, version == kVersionPitchTable ? 2 : 1});
    r.push_back({kMusic, kMusicMute, 2});
    many(kMusic, {25, 26, 27, 28, 29, 30});
    for (const auto* out : fld::kOutputs) {
        const OutputParams& op = OutputParamsOf(*out);
        const int sides = out->stereo ? 2 : 1;
        r.push_back({out->module, op.eqBypass});
        r.push_back({out->module, op.compBypass});
        for (int s = 0; s < sides; ++s) r.push_back({out->module, op.delay[s]});
        r.push_back({out->module, op.compressor, kCompressorValues});
        for (int s = 0; s < sides; ++s) r.push_back({out->module, op.delayOff[s]});
        for (int s = 0; s < sides; ++s) r.push_back({out->module, op.delayMode[s], kStereoValues});
        r.push_back({out->module, op.mute, op.muteValues});
        if (out->surround && version > kVersionSurround) r.push_back({out->module, op.surround, kStereoValues});
    }
    many(kMic, {41, 54, 67, 68});
    many(kEcho, {18, 19, 20, 25, 26, 27});
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

void Synchronizer::ReadBack() {
    m_store.ClearLevelMeter();
    m_link.SetLinkIdle(false);
    Sleep(m_timings.connectWaitMs);

    for (int pass = 0; pass < kIdentityPasses; ++pass) {
        m_link.SendCommand({cmd::kModelName, -1});
        m_link.SendCommand({cmd::kCmdSetVersion, -1});
        m_link.SendCommand({cmd::kMcuVersion, -1});
    }
    m_link.AwaitAnswer();
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
    if (m_store.AppliedSettings()[0] == 1) m_encoders.LevelRamp();

    m_link.WriteReport(BuildParamRead(module::kMic, kMicLevelA, 1));
    m_link.WriteReport(BuildParamRead(module::kMic, kMicLevelB, 1));
    m_link.WriteReport(BuildParamRead(module::kMusic, kMusicLevel, kMusicLevelValues));
    m_link.AwaitAnswer();
    Sleep(m_timings.writeAllEndMs);
    m_store.SetSettingsChanged(false);
}

}  // namespace kv
