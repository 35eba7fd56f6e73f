#pragma once
// The simulated box: answers every command of the command table as the real box does,
// keeps parameter values, device memory, four user-mode slots, the settings record and
// the remote key table, animates its level meters, and is strict: every report that
// breaks the command table is recorded as a violation. Thread-safe.

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/Report.h"
#include "model/SettingsRecord.h"

namespace kv {

class SimBox {
public:
    enum class Direction { ToBox, FromBox };
    struct TranscriptEntry {
        Direction direction;
        Report report;
        std::chrono::steady_clock::time_point when;
    };

    SimBox();

    // Identity and behaviour; safe to change at any time.
    void SetModelName(std::string name);
    void SetCommandSetVersion(int version);
    void SetMcuVersion(std::string version);
    void SetDspVersion(std::string version);
    void SetLatency(std::chrono::microseconds latency);  // delay before each answer
    std::chrono::microseconds Latency() const;
    void SetSilent(bool silent);  // never answers
    // Answers the model query with the MCU version reply and the command-set query with the
    // DSP version reply, and the other way round: a box whose identity answers cross.
    void SetIdentitySwapped(bool swapped);
    bool Silent() const;
    // Holds the answers back: the box takes reports as usual, and its in-process transports
    // deliver no answer until released, then all of them in order. Lets tests make the box
    // fall behind without depending on how fast a thread runs.
    void SetAnswersHeld(bool held);
    bool AnswersHeld() const;
    void SetUnplugged(bool unplugged);  // reads and writes of a transport fail; opening finds nothing
    bool Unplugged() const;
    void SetBlankMemory(bool blank);  // memory and mode names read back as 0xFF
    // A deterministic unplug: the box takes that many more reports as usual, and the next
    // one unplugs it instead of arriving. Nothing resets it but another call.
    void SetUnplugAfter(std::optional<int> reports);

    // Handles one report sent by the application and returns the answer, if the box answers.
    // Records both in the transcript and any violation of the command table.
    std::optional<Report> Handle(const Report& fromApplication);
    // Reports the box sends on its own (a learned remote key, a panel change): queued here
    // and taken by the transport.
    void PressRemoteKey(std::uint8_t remoteCode, std::uint8_t keyCode);
    void PushUnsolicited(const Report& report);
    std::optional<Report> TakeUnsolicited();

    // Inspection for tests.
    std::vector<std::uint32_t> ParamWords(int module, int parameter) const;  // empty when never set
    float ParamFloat(int module, int parameter, int index = 0) const;
    std::int32_t ParamInt(int module, int parameter, int index = 0) const;
    std::vector<std::uint8_t> Memory(int offset, int length) const;
    std::u16string ModeName(int slot) const;
    int CurrentSlot() const;
    std::array<std::uint8_t, record::kSize> Settings() const;
    std::array<std::uint8_t, 16> RemoteTable() const;
    std::vector<TranscriptEntry> Transcript() const;
    // Reports the application sent, optionally only those of one command code.
    std::vector<Report> Received(std::optional<std::uint8_t> code = std::nullopt) const;
    void ClearTranscript();
    std::vector<std::string> Violations() const;
    void ClearViolations();

    // Level-meter byte 14, the encoded multichannel music stream flag (0 by default).
    void SetMusicStream(bool on);
    // The key index of a pending learn command, if the box is listening for a key.
    std::optional<int> LearningKeyIndex() const;
    // For transports: a number that grows at every unplug, so a connection opened
    // before it stays dead after the box is plugged in again.
    std::uint64_t PlugGeneration() const;
    // For transports: called (without the box's lock held) when an unsolicited report
    // was queued or the box was unplugged or plugged in. Returns an id for removal.
    int AddWakeListener(std::function<void()> wake);
    void RemoveWakeListener(int id);

private:
    struct Impl;
    std::shared_ptr<Impl> m_impl;
};

}  // namespace kv
