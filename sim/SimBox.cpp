#include "sim/SimBox.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "device/Commands.h"
#include "device/MemoryReport.h"
#include "device/ParamReport.h"
#include "model/Bytes.h"
#include "model/SettingsRecord.h"
#include "sim/FactoryDefaults.h"

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;

constexpr int kSlots = 4;
constexpr int kSettingsBytes = record::kSize;
constexpr int kRemoteBytes = 16;
constexpr int kFirstLearnKey = 1;
constexpr int kLastLearnKey = 15;
constexpr int kMeterBytes = 15;
constexpr int kMeterLevels = 10;
constexpr int kMusicStreamByte = 14;
constexpr int kModeNameMaxChars = 24;

// What a user-mode slot holds: the processing parameters and the memory behind them.
struct BoxState {
    std::map<std::pair<int, int>, std::vector<std::uint32_t>> params;
    SimMemory memory = FactoryMemory();
};

// Hex of a report without its trailing zeros, enough to recognise it in a message.
std::string ShortHex(const Report& r) {
    std::size_t n = r.size();
    while (n > 2 && r[n - 1] == 0) --n;
    return ToHex(std::span<const std::uint8_t>(r.data(), n));
}

std::string Hex2(int v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", v & 0xFF);
    return buf;
}

Report Answer(std::uint8_t code) {
    Report r{};
    r[0] = kReportNumber;
    r[1] = code;
    return r;
}

void PutText(Report& r, const std::string& text) {
    const std::size_t n = std::min<std::size_t>(text.size(), kReportSize - 3);  // keep a closing zero
    std::copy_n(text.begin(), n, r.begin() + 2);
}

}  // namespace

struct SimBox::Impl {
    mutable std::mutex mutex;  // guards everything below except the listeners
    std::string model = "KV4420M";
    int commandSetVersion = 9;
    std::string mcuVersion = "2014-03-12";
    std::string dspVersion = "2014-03-20";
    std::chrono::microseconds latency{0};
    bool silent = false;
    bool identitySwapped = false;
    bool answersHeld = false;
    bool unplugged = false;
    bool blankMemory = false;
    bool musicStream = false;
    std::optional<int> unplugAfter;  // reports still taken before the unplug
    std::uint64_t plugGeneration = 0;

    BoxState current;
    std::array<BoxState, kSlots> slots;
    int currentSlot = 0;
    SimNameArea names = FactoryNameArea();
    std::array<std::uint8_t, kSettingsBytes> settings = FactorySettings();
    std::array<std::uint8_t, kRemoteBytes> remoteTable{};
    std::optional<int> learningKey;

    std::deque<Report> unsolicited;
    std::vector<TranscriptEntry> transcript;
    std::vector<std::string> violations;
    const Clock::time_point start = Clock::now();

    std::mutex listenerMutex;  // held while listeners run, so removal waits for a running call
    std::map<int, std::function<void()>> listeners;
    int nextListener = 1;

    // An unplug starts a new plug generation, so connections opened before it stay dead.
    void SetUnpluggedLocked(bool value) {
        if (value && !unplugged) ++plugGeneration;
        unplugged = value;
        if (value) learningKey.reset();
    }

    void WakeListeners() {
        std::lock_guard lock(listenerMutex);
        for (auto& [id, wake] : listeners) wake();
    }

    void Violation(const Report& r, const std::string& what) {
        violations.push_back(Hex2(r[1]) + ": " + what + " [" + ShortHex(r) + "]");
    }
    // Bytes after the payload a command defines must be zero.
    void ExpectZeroFrom(const Report& r, int from) {
        for (int i = from; i < kReportSize; ++i) {
            if (r[static_cast<std::size_t>(i)] != 0) {
                Violation(r, "non-zero byte " + std::to_string(i) + " after the payload (ends at byte " +
                                 std::to_string(from - 1) + ")");
                return;
            }
        }
    }
    // The reply that belongs to the paired identity query (model <-> MCU, command set <-> DSP).
    Report SwappedIdentityAnswer(std::uint8_t code) const {
        const std::uint8_t other = code == cmd::kModelName       ? cmd::kMcuVersion
                                   : code == cmd::kMcuVersion    ? cmd::kModelName
                                   : code == cmd::kCmdSetVersion ? cmd::kDspVersion
                                                                 : cmd::kCmdSetVersion;
        Report a = Answer(other);
        if (other == cmd::kCmdSetVersion)
            a[2] = static_cast<std::uint8_t>(commandSetVersion);
        else
            PutText(a, other == cmd::kDspVersion ? dspVersion : other == cmd::kModelName ? model : mcuVersion);
        return a;
    }
    bool CheckSlot(const Report& r, int slot) {
        if (slot >= 0 && slot < kSlots) return true;
        Violation(r, "slot " + std::to_string(slot) + " outside 0..3");
        return false;
    }
    // Memory map: 0..1192 (EQ image and speaker blocks) and the mode-name table 0x0F00..0x0FFF.
    bool CheckMemoryRange(const Report& r, int offset, int length) {
        if (length < 1 || length > kMaxMemoryChunk) {
            Violation(r, "memory length " + std::to_string(length) + " outside 1..56");
            return false;
        }
        const bool inMain = offset >= 0 && offset + length <= kSimMemorySize;
        const bool inNames = offset >= kSimNameAreaOffset && offset + length <= kSimNameAreaOffset + kSimNameAreaSize;
        if (!inMain && !inNames) {
            Violation(r, "memory offset " + std::to_string(offset) + " length " + std::to_string(length) +
                             " outside the memory map");
            return false;
        }
        return true;
    }
    // Mode names are read and written whole, from the start of a slot's name.
    bool CheckModeNameOffset(const Report& r, int offset) {
        if ((offset >> 8) == (kSimNameAreaOffset >> 8) && (offset & 0xFF) % kModeNameStride == 0) return true;
        Violation(r, "mode-name offset " + std::to_string(offset) + " is not the start of a slot's name");
        return false;
    }
    std::uint8_t* MemoryAt(int offset) {
        if (offset >= kSimNameAreaOffset) return &names[static_cast<std::size_t>(offset - kSimNameAreaOffset)];
        return &current.memory[static_cast<std::size_t>(offset)];
    }
    // Module and count must be in range for the box to take the values.
    bool CheckParamHeader(const ParamReport& p) {
        const Report& r = p.Bytes();
        bool ok = true;
        if (p.Status() != 0) Violation(r, "byte 2 is " + Hex2(p.Status()) + ", not 0x00");
        if (p.Module() < module::kFirst || p.Module() > module::kLast) {
            Violation(r, "module " + std::to_string(p.Module()) + " outside 1..9");
            ok = false;
        }
        if (p.Count() < 1 || p.Count() > kMaxParamValues) {
            Violation(r, "value count " + std::to_string(p.Count()) + " outside 1..7");
            ok = false;
        }
        return ok;
    }
    std::uint32_t ParamWord(int module, int parameter, int index) const {
        auto it = current.params.find({module, parameter});
        if (it != current.params.end() && index < static_cast<int>(it->second.size()))
            return it->second[static_cast<std::size_t>(index)];
        return FactoryParamWord(module, parameter, index, commandSetVersion);
    }
    Report MeterAnswer() const {
        Report a = Answer(cmd::kLevelMeter);
        const double t = std::chrono::duration<double>(Clock::now() - start).count();
        for (int i = 0; i < kMeterLevels; ++i) {
            // Each meter swings at its own rate so that the display visibly moves.
            const double v = 127.5 + 127.5 * std::sin(2.0 * std::numbers::pi * (0.4 + 0.17 * i) * t + i);
            a[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(std::clamp(std::lround(v), 0L, 255L));
        }
        a[2 + kMusicStreamByte] = musicStream ? 1 : 0;
        return a;
    }
    void FactoryReset() {
        current = BoxState{};
        slots.fill(BoxState{});
        currentSlot = 0;
        names = FactoryNameArea();
        settings = FactorySettings();
        remoteTable.fill(0);
        learningKey.reset();
    }

    std::optional<Report> Handle(const Report& r);
};

std::optional<Report> SimBox::Impl::Handle(const Report& r) {
    if (r[0] != kReportNumber) Violation(r, "report number " + Hex2(r[0]) + ", not 0x02");
    const std::uint8_t code = r[1];
    switch (code) {
        case cmd::kModeSelect:
        case cmd::kModeSave:
        case cmd::kModeLoad:
        case cmd::kModeReset: {
            ExpectZeroFrom(r, 3);
            const int slot = r[2];
            if (CheckSlot(r, slot)) {
                auto s = static_cast<std::size_t>(slot);
                if (code == cmd::kModeSave) slots[s] = current;
                if (code == cmd::kModeLoad) current = slots[s];
                if (code == cmd::kModeReset) {
                    slots[s] = BoxState{};
                    current = slots[s];
                }
                currentSlot = slot;
            }
            return Answer(code);
        }
        case cmd::kCurrentMode: {
            ExpectZeroFrom(r, 2);
            Report a = Answer(code);
            a[2] = static_cast<std::uint8_t>(currentSlot);
            return a;
        }
        case cmd::kParamWrite: {
            const ParamReport p(r);
            if (CheckParamHeader(p)) {
                const int module = p.Module(), parameter = p.Parameter(), count = p.Count();
                ExpectZeroFrom(r, ParamReport::EndOfValues(count));
                auto& words = current.params[{module, parameter}];
                if (static_cast<int>(words.size()) < count) {
                    // Values not covered by this write keep what a read would have shown.
                    for (int i = static_cast<int>(words.size()); i < count; ++i)
                        words.push_back(FactoryParamWord(module, parameter, i, commandSetVersion));
                }
                for (int i = 0; i < count; ++i) words[static_cast<std::size_t>(i)] = p.Bits(i);
            }
            return Answer(code);
        }
        case cmd::kParamRead: {
            const ParamReport p(r);
            // The answer echoes module, parameter and count as asked, even when refused.
            ParamReport a(code, p.Module(), p.Parameter(), p.Count());
            if (CheckParamHeader(p)) {
                ExpectZeroFrom(r, ParamReport::EndOfValues(0));
                for (int i = 0; i < p.Count(); ++i) a.SetValue(i, ParamValue{ParamWord(p.Module(), p.Parameter(), i)});
            } else {
                a.SetStatus(1);  // the box refuses what it cannot read
            }
            return a.Bytes();
        }
        case cmd::kLevelMeter:
            ExpectZeroFrom(r, 2);
            return MeterAnswer();
        case cmd::kRemoteLearn: {
            ExpectZeroFrom(r, 3);
            const int key = r[2];
            if (key < kFirstLearnKey || key > kLastLearnKey)
                Violation(r, "learn key index " + std::to_string(key) + " outside 1..15");
            else
                learningKey = key;
            return std::nullopt;  // answers only when a remote key is pressed
        }
        case cmd::kRemoteLearnStop:
            ExpectZeroFrom(r, 2);
            learningKey.reset();
            return Answer(code);
        case cmd::kRemoteTableRead: {
            ExpectZeroFrom(r, 2);
            Report a = Answer(code);
            std::copy(remoteTable.begin(), remoteTable.end(), a.begin() + 2);
            return a;
        }
        case cmd::kRemoteTableWrite:
            ExpectZeroFrom(r, 2 + kRemoteBytes);
            std::copy_n(r.begin() + 2, kRemoteBytes, remoteTable.begin());
            return Answer(code);
        case cmd::kDeviceReset:
            ExpectZeroFrom(r, 3);
            if (r[2] != kDeviceResetKey)
                Violation(r, "device reset without the key 0xAA");
            else
                FactoryReset();
            return Answer(code);
        case cmd::kDspVersion:
        case cmd::kModelName:
        case cmd::kMcuVersion: {
            ExpectZeroFrom(r, 2);
            if (identitySwapped) return SwappedIdentityAnswer(code);
            Report a = Answer(code);
            PutText(a, code == cmd::kDspVersion ? dspVersion : code == cmd::kModelName ? model : mcuVersion);
            return a;
        }
        case cmd::kCmdSetVersion: {
            ExpectZeroFrom(r, 2);
            if (identitySwapped) return SwappedIdentityAnswer(code);
            Report a = Answer(code);
            a[2] = static_cast<std::uint8_t>(commandSetVersion);
            return a;
        }
        case cmd::kMemoryWrite: {
            const MemoryReport m(r);
            const int offset = m.Offset();
            const int length = m.Length();
            if (CheckMemoryRange(r, offset, length)) {
                ExpectZeroFrom(r, kMemoryDataOffset + length);
                std::copy_n(r.begin() + kMemoryDataOffset, length, MemoryAt(offset));
            }
            return Answer(code);
        }
        case cmd::kMemoryRead:
        case cmd::kModeNameRead: {
            const MemoryReport m(r);
            const int offset = m.Offset();
            const int length = m.Length();
            Report a = Answer(code);
            // The answer repeats the request's offset and length.
            std::copy_n(r.begin() + MemoryReport::kOffsetByte, MemoryReport::kDataByte - MemoryReport::kOffsetByte,
                        a.begin() + MemoryReport::kOffsetByte);
            ExpectZeroFrom(r, 5);
            const bool ok = code != cmd::kModeNameRead || CheckModeNameOffset(r, offset);
            if (CheckMemoryRange(r, offset, length) && ok) {
                if (blankMemory)
                    std::fill_n(a.begin() + kMemoryDataOffset, length, 0xFF);
                else
                    std::copy_n(MemoryAt(offset), length, a.begin() + kMemoryDataOffset);
            }
            return a;
        }
        case cmd::kDisconnect:
            ExpectZeroFrom(r, 2);
            learningKey.reset();
            return std::nullopt;
        case cmd::kSettingsWrite:
            ExpectZeroFrom(r, 2 + kSettingsBytes);
            std::copy_n(r.begin() + 2, kSettingsBytes, settings.begin());
            return Answer(code);
        case cmd::kSettingsRead: {
            ExpectZeroFrom(r, 2);
            Report a = Answer(code);
            std::copy(settings.begin(), settings.end(), a.begin() + 2);
            return a;
        }
        case cmd::kModeNameWrite: {
            const MemoryReport m(r);
            const int offset = m.Offset();
            const int length = m.Length();
            bool ok = CheckModeNameOffset(r, offset);
            if (length % 2 != 0) {
                Violation(r, "mode-name length " + std::to_string(length) + " is odd");
                ok = false;
            }
            if (CheckMemoryRange(r, offset, length) && ok) {
                ExpectZeroFrom(r, kMemoryDataOffset + length);
                std::copy_n(r.begin() + kMemoryDataOffset, length, MemoryAt(offset));
            }
            return Answer(code);
        }
        default:
            // Answered all the same, so that one bad report does not hold back the next write.
            Violation(r, "unknown command code");
            return Answer(code);
    }
}

SimBox::SimBox() : m_impl(std::make_shared<Impl>()) {}

void SimBox::SetModelName(std::string name) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->model = std::move(name);
}
void SimBox::SetCommandSetVersion(int version) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->commandSetVersion = version;
}
void SimBox::SetMcuVersion(std::string version) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->mcuVersion = std::move(version);
}
void SimBox::SetDspVersion(std::string version) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->dspVersion = std::move(version);
}
void SimBox::SetLatency(std::chrono::microseconds latency) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->latency = std::max(latency, std::chrono::microseconds{0});
}
std::chrono::microseconds SimBox::Latency() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->latency;
}
void SimBox::SetIdentitySwapped(bool swapped) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->identitySwapped = swapped;
}

void SimBox::SetSilent(bool silent) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->silent = silent;
}
bool SimBox::Silent() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->silent;
}
void SimBox::SetAnswersHeld(bool held) {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->answersHeld = held;
    }
    m_impl->WakeListeners();
}
bool SimBox::AnswersHeld() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->answersHeld;
}
void SimBox::SetUnplugged(bool unplugged) {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->SetUnpluggedLocked(unplugged);
    }
    m_impl->WakeListeners();
}
void SimBox::SetUnplugAfter(std::optional<int> reports) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->unplugAfter = reports ? std::optional<int>(std::max(*reports, 0)) : std::nullopt;
}
bool SimBox::Unplugged() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->unplugged;
}
void SimBox::SetBlankMemory(bool blank) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->blankMemory = blank;
}
void SimBox::SetMusicStream(bool on) {
    std::lock_guard lock(m_impl->mutex);
    m_impl->musicStream = on;
}
std::optional<int> SimBox::LearningKeyIndex() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->learningKey;
}
std::uint64_t SimBox::PlugGeneration() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->plugGeneration;
}

std::optional<Report> SimBox::Handle(const Report& fromApplication) {
    std::unique_lock lock(m_impl->mutex);
    if (m_impl->unplugAfter && (*m_impl->unplugAfter)-- == 0) {
        m_impl->unplugAfter.reset();
        m_impl->SetUnpluggedLocked(true);
        lock.unlock();
        m_impl->WakeListeners();
        return std::nullopt;
    }
    const auto now = Clock::now();
    m_impl->transcript.push_back({Direction::ToBox, fromApplication, now});
    auto answer = m_impl->Handle(fromApplication);
    if (m_impl->silent) return std::nullopt;
    // An answer is stamped with the moment it becomes readable, after the latency.
    if (answer) m_impl->transcript.push_back({Direction::FromBox, *answer, now + m_impl->latency});
    return answer;
}

void SimBox::PressRemoteKey(std::uint8_t remoteCode, std::uint8_t keyCode) {
    {
        std::lock_guard lock(m_impl->mutex);
        // Outside learning a key press drives the box itself and is not reported.
        if (!m_impl->learningKey || m_impl->silent) return;
        Report a = Answer(cmd::kRemoteLearn);
        a[2] = remoteCode;
        a[3] = static_cast<std::uint8_t>(*m_impl->learningKey);
        a[4] = keyCode;
        m_impl->learningKey.reset();
        m_impl->unsolicited.push_back(a);
        m_impl->transcript.push_back({Direction::FromBox, a, Clock::now()});
    }
    m_impl->WakeListeners();
}

void SimBox::PushUnsolicited(const Report& report) {
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->unsolicited.push_back(report);
        m_impl->transcript.push_back({Direction::FromBox, report, Clock::now()});
    }
    m_impl->WakeListeners();
}

std::optional<Report> SimBox::TakeUnsolicited() {
    std::lock_guard lock(m_impl->mutex);
    if (m_impl->unsolicited.empty()) return std::nullopt;
    Report r = m_impl->unsolicited.front();
    m_impl->unsolicited.pop_front();
    return r;
}

std::vector<std::uint32_t> SimBox::ParamWords(int module, int parameter) const {
    std::lock_guard lock(m_impl->mutex);
    auto it = m_impl->current.params.find({module, parameter});
    return it == m_impl->current.params.end() ? std::vector<std::uint32_t>{} : it->second;
}

float SimBox::ParamFloat(int module, int parameter, int index) const {
    std::lock_guard lock(m_impl->mutex);
    return std::bit_cast<float>(m_impl->ParamWord(module, parameter, index));
}

std::int32_t SimBox::ParamInt(int module, int parameter, int index) const {
    std::lock_guard lock(m_impl->mutex);
    return static_cast<std::int32_t>(m_impl->ParamWord(module, parameter, index));
}

std::vector<std::uint8_t> SimBox::Memory(int offset, int length) const {
    std::lock_guard lock(m_impl->mutex);
    std::vector<std::uint8_t> out;
    for (int a = offset; a < offset + length; ++a) {
        if (a >= 0 && a < kSimMemorySize)
            out.push_back(m_impl->current.memory[static_cast<std::size_t>(a)]);
        else if (a >= kSimNameAreaOffset && a < kSimNameAreaOffset + kSimNameAreaSize)
            out.push_back(m_impl->names[static_cast<std::size_t>(a - kSimNameAreaOffset)]);
        else
            break;
    }
    return out;
}

std::u16string SimBox::ModeName(int slot) const {
    if (slot < 0 || slot >= kSlots) return {};
    std::lock_guard lock(m_impl->mutex);
    std::u16string name;
    const auto* p = &m_impl->names[static_cast<std::size_t>(slot * kModeNameStride)];
    for (int i = 0; i < kModeNameMaxChars; ++i) {
        const auto c = static_cast<char16_t>(GetBe16(p + 2 * i));
        if (c == 0) break;
        name.push_back(c);
    }
    return name;
}

int SimBox::CurrentSlot() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->currentSlot;
}

std::array<std::uint8_t, record::kSize> SimBox::Settings() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->settings;
}

std::array<std::uint8_t, 16> SimBox::RemoteTable() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->remoteTable;
}

std::vector<SimBox::TranscriptEntry> SimBox::Transcript() const {
    std::vector<TranscriptEntry> t;
    {
        std::lock_guard lock(m_impl->mutex);
        t = m_impl->transcript;
    }
    // Answers carry their due time, so order by time shows what the application saw when.
    std::stable_sort(t.begin(), t.end(), [](const auto& a, const auto& b) { return a.when < b.when; });
    return t;
}

std::vector<Report> SimBox::Received(std::optional<std::uint8_t> code) const {
    std::lock_guard lock(m_impl->mutex);
    std::vector<Report> out;
    for (const auto& e : m_impl->transcript)
        if (e.direction == Direction::ToBox && (!code || e.report[1] == *code)) out.push_back(e.report);
    return out;
}

void SimBox::ClearTranscript() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->transcript.clear();
}

std::vector<std::string> SimBox::Violations() const {
    std::lock_guard lock(m_impl->mutex);
    return m_impl->violations;
}

void SimBox::ClearViolations() {
    std::lock_guard lock(m_impl->mutex);
    m_impl->violations.clear();
}

int SimBox::AddWakeListener(std::function<void()> wake) {
    std::lock_guard lock(m_impl->listenerMutex);
    const int id = m_impl->nextListener++;
    m_impl->listeners.emplace(id, std::move(wake));
    return id;
}

void SimBox::RemoveWakeListener(int id) {
    std::lock_guard lock(m_impl->listenerMutex);
    m_impl->listeners.erase(id);
}

}  // namespace kv
