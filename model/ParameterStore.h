#pragma once
// The program's image of everything the box holds. One instance is shared by the
// interface thread, the synchronisation thread and the read thread: 32-bit fields and
// flags are atomics, byte images, names and the identity sit behind a small mutex.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "model/Fields.h"
#include "model/SettingsRecord.h"

namespace kv {

constexpr int kEqImageSize = 1141;
constexpr int kSpeakerPosOffset = 1141;  // box memory offset of the speaker-position block
constexpr int kSpeakerPosSize = 20;
constexpr int kSpeakerGainOffset = 1161;  // box memory offset of the speaker-gain block
constexpr int kSpeakerGainSize = 32;
constexpr int kModeSlots = 4;
constexpr int kModeNameChars = 24;
constexpr int kModelNameChars = 29;
constexpr int kVersionChars = 10;
constexpr int kLevelMeterSize = 15;
constexpr int kSettingsSize = record::kSize;
constexpr int kAuxSize = 6;
constexpr int kRemoteTableSize = 16;
constexpr int kBandDescriptorSize = 7;

// Where each module's band descriptors sit in the EQ memory image.
struct EqModuleLayout {
    int module;
    int base;
    int slotCount;
};
constexpr std::array<EqModuleLayout, 9> kEqModules{{
    {1, 0, 30},
    {2, 210, 14},
    {3, 308, 14},
    {4, 406, 15},
    {5, 511, 28},
    {6, 707, 14},
    {7, 805, 12},
    {8, 889, 22},
    {9, 1043, 14},
}};
// Base offset of a module's descriptors, or -1 for an unknown module.
int EqBase(int module);
// Number of descriptor slots of a module, or 0 for an unknown module.
int EqSlots(int module);

// One band as held in the image: gain code (gain + 15) x 10, frequency, Q x 1000, code.
// Written from the caller's values as given; read back (Decode, ReadBand, DefaultBand), gain
// and Q are the single-precision values of their codes.
struct BandDescriptor {
    double gainDb = 0.0;
    int frequencyHz = 0;
    double q = 0.0;
    int code = 0;

    static BandDescriptor Decode(const std::uint8_t* bytes);
    bool operator==(const BandDescriptor&) const = default;
    // Gain code trunc((gain + 0.05 + 15) x 10), Q code trunc(Q x 1000), clamped to 16 bits.
    void Encode(std::uint8_t* bytes) const;
};

struct Identity {
    std::string model;
    std::string mcuVersion;
    std::string dspVersion;
    int commandSetVersion = 1;
};

class ParameterStore {
public:
    using EqImage = std::array<std::uint8_t, kEqImageSize>;
    using SpeakerPositions = std::array<std::uint8_t, kSpeakerPosSize>;
    using SpeakerGains = std::array<std::uint8_t, kSpeakerGainSize>;
    using LevelMeter = std::array<std::uint8_t, kLevelMeterSize>;
    using Settings = std::array<std::uint8_t, kSettingsSize>;
    using AuxBytes = std::array<std::uint8_t, kAuxSize>;
    using RemoteTable = std::array<std::uint8_t, kRemoteTableSize>;

    static constexpr SpeakerPositions kDefaultSpeakerPositions{0x04, 0x04, 0x00, 0x00, 0x8A, 0x0A, 0x00,
                                                               0x0A, 0x0A, 0x0A, 0x8A, 0x8A, 0x00, 0x8A,
                                                               0x0A, 0x8A, 0x85, 0x00, 0x05, 0x00};

    ParameterStore();
    ParameterStore(const ParameterStore&) = delete;
    ParameterStore& operator=(const ParameterStore&) = delete;

    // Start-up defaults of every part.
    void ApplyDefaults();

    // Parameter table. Out-of-range field numbers read 0 and are not written.
    std::uint32_t Raw(int field) const;
    void SetRaw(int field, std::uint32_t bits);
    std::int32_t Int(int field) const;
    void SetInt(int field, std::int32_t value);
    float Float(int field) const;
    void SetFloat(int field, float value);

    // Remote key table (fields 0..3 in native byte order).
    RemoteTable GetRemoteTable() const;
    void SetRemoteTable(const RemoteTable& table);
    void SetRemoteByte(int index, std::uint8_t value);  // index outside 0..15 is ignored

    // EQ memory image.
    EqImage GetEqImage() const;
    void SetEqImage(const EqImage& image);
    void ClearEqImage();
    // Copies at most what fits inside the image; returns the number of bytes copied.
    int WriteEqBytes(int offset, const std::uint8_t* data, int length);
    BandDescriptor ReadBand(int module, int slot) const;  // zero descriptor when out of range
    bool WriteBand(int module, int slot, const BandDescriptor& band);
    void ResetEqImageToDefaults();

    // Speaker blocks.
    SpeakerPositions GetSpeakerPositions() const;
    // Stores the block and decodes it into fields 4..23.
    void SetSpeakerPositions(const SpeakerPositions& block);
    // Encodes fields 4..23 into the block (the form sent to the box) and returns it.
    SpeakerPositions EncodeSpeakerPositionsFromFields();
    SpeakerGains GetSpeakerGains() const;
    void SetSpeakerGains(const SpeakerGains& block);

    // Mode names (UTF-16, at most 24 characters).
    std::u16string ModeName(int slot) const;
    void SetModeName(int slot, std::u16string name);

    // Identity of the box.
    Identity GetIdentity() const;
    void SetModelName(std::string name);
    void SetMcuVersion(std::string version);
    void SetDspVersion(std::string version);
    int CommandSetVersion() const { return m_cmdVersion.load(); }
    void SetCommandSetVersion(int version) { m_cmdVersion.store(version); }

    LevelMeter GetLevelMeter() const;
    void SetLevelMeter(const LevelMeter& record);
    void ClearLevelMeter();

    Settings AppliedSettings() const;
    void SetAppliedSettings(const Settings& record);
    Settings EditedSettings() const;
    void SetEditedSettings(const Settings& record);

    AuxBytes GetAuxBytes() const;
    void SetAuxBytes(const AuxBytes& bytes);
    void SetAuxByte(int index, std::uint8_t value);

    bool SettingsChanged() const { return m_settingsChanged.load() != 0; }
    void SetSettingsChanged(bool changed) { m_settingsChanged.store(changed ? 1 : 0); }

private:
    void DecodeSpeakerPositionsLocked();

    std::array<std::atomic<std::uint32_t>, fld::kCount> m_fields{};
    std::atomic<int> m_cmdVersion{1};
    std::atomic<int> m_settingsChanged{0};

    mutable std::mutex m_mutex;  // guards everything below
    EqImage m_eq{};
    SpeakerPositions m_speakerPos{};
    SpeakerGains m_speakerGain{};
    std::array<std::u16string, kModeSlots> m_modeNames;
    std::string m_model;
    std::string m_mcu;
    std::string m_dsp;
    LevelMeter m_levelMeter{};
    Settings m_applied{};
    Settings m_edited{};
    AuxBytes m_aux{};
};

// Default frequency, Q and code of slot k of a module's descriptors.
BandDescriptor DefaultBand(int module, int slot);

}  // namespace kv
