#include "model/ParameterStore.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

#include "model/Bytes.h"

namespace kv {
namespace {

constexpr int kFreq15[15] = {25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500, 4000, 6300, 10000, 16000};
constexpr int kFreq7[7] = {31, 62, 125, 250, 500, 1000, 2000};
constexpr int kFreq10[10] = {31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
constexpr int kFreq24[24] = {25,   36,   50,   75,   100,  150,  200,  260,  360,  485,   630,   860,
                             1088, 1396, 1680, 2160, 2800, 3586, 5096, 6868, 8288, 11010, 14566, 20000};
constexpr int kSubFreq[16] = {20, 20, 20, 20, 31, 31, 31, 31, 40, 40, 40, 40, 62, 62, 62, 62};

// Defaults in codes, so that the image holds exactly 150 / 1414 / 707.
struct RawBand {
    int freq;
    int qCode;
    int code;
};

RawBand CrossoverSlot(int indexInPair) {
    // First slot of a pair is the high-pass side at 500 Hz, second the low-pass at 1000 Hz.
    return indexInPair == 0 ? RawBand{500, 707, 3} : RawBand{1000, 707, 2};
}

RawBand DefaultRaw(int module, int slot) {
    switch (module) {
        case 1:
            return {kFreq15[slot % 15], 1414, 1};
        case 2:
        case 3:
            return {kFreq7[slot % 7], 1414, 1};
        case 4:
            return {kFreq15[slot], 1414, 1};
        case 5:
            if (slot < 24) return {kFreq24[slot], 1414, 1};
            return CrossoverSlot((slot - 24) % 2);
        case 6:
        case 7:
        case 9:
            if (slot < 10) return {kFreq10[slot], 1414, 1};
            return CrossoverSlot((slot - 10) % 2);
        case 8:
            if (slot < 16) return {kSubFreq[slot], (slot >= 7 && slot <= 9) ? 707 : 1414, 1};
            if (slot == 16) return {100, 1414, 18};
            if (slot == 17) return {100, 707, 20};
            if (slot < 20) return {100, 707, 1};
            return CrossoverSlot((slot - 20) % 2);
        default:
            return {0, 0, 0};
    }
}

void EncodeRaw(std::uint8_t* p, int gainCode, int freq, int qCode, int code) {
    PutBe16(p, static_cast<std::uint16_t>(gainCode));
    PutBe16(p + 2, static_cast<std::uint16_t>(freq));
    PutBe16(p + 4, static_cast<std::uint16_t>(qCode));
    p[6] = static_cast<std::uint8_t>(code);
}

std::uint16_t Clamp16(double v) {
    if (!(v >= 0.0)) return 0;  // negative or NaN
    if (v > 65535.0) return 65535;
    return static_cast<std::uint16_t>(v);
}

bool ValidField(int f) { return f >= 0 && f < fld::kCount; }

}  // namespace

int EqBase(int module) {
    for (const auto& m : kEqModules)
        if (m.module == module) return m.base;
    return -1;
}

int EqSlots(int module) {
    for (const auto& m : kEqModules)
        if (m.module == module) return m.slotCount;
    return 0;
}

BandDescriptor BandDescriptor::Decode(const std::uint8_t* b) {
    BandDescriptor d;
    // The box reads gain and Q back as single-precision values; every section designed from a
    // stored band must start from exactly those, or its coefficients drift in the last places.
    d.gainDb = static_cast<float>(GetBe16(b) / 10.0 - 15.0);
    d.frequencyHz = GetBe16(b + 2);
    d.q = static_cast<float>(GetBe16(b + 4) / 1000.0);
    d.code = b[6];
    return d;
}

void BandDescriptor::Encode(std::uint8_t* b) const {
    PutBe16(b, Clamp16(std::trunc((gainDb + 0.05 + 15.0) * 10.0)));
    PutBe16(b + 2, Clamp16(static_cast<double>(frequencyHz)));
    PutBe16(b + 4, Clamp16(std::trunc(q * 1000.0)));
    b[6] = static_cast<std::uint8_t>(code);
}

BandDescriptor DefaultBand(int module, int slot) {
    if (slot < 0 || slot >= EqSlots(module)) return {};
    RawBand r = DefaultRaw(module, slot);
    return BandDescriptor{0.0, r.freq, static_cast<float>(r.qCode / 1000.0), r.code};
}

ParameterStore::ParameterStore() { ApplyDefaults(); }

void ParameterStore::ApplyDefaults() {
    for (auto& f : m_fields) f.store(0);
    m_cmdVersion.store(1);
    m_settingsChanged.store(0);
    {
        std::lock_guard lock(m_mutex);
        m_model = "KV4420";
        m_mcu = "2012-10-03";
        m_dsp = "2012-11-30";
        m_modeNames = {u"Mode1", u"Mode2", u"Mode3", u"Mode4"};
        m_speakerPos = kDefaultSpeakerPositions;
        DecodeSpeakerPositionsLocked();
        m_applied.fill(0);
        m_edited.fill(0);
        m_applied[record::kMicMax] = record::kMaxMax;
        m_applied[record::kMusicMax] = record::kMaxMax;
        m_levelMeter.fill(0);
        m_aux.fill(0);
        m_speakerGain.fill(0);
    }
    SetFloat(fld::kEchoChATime, 217.0f);
    SetFloat(fld::kEchoChBTime, 217.0f);
    SetInt(fld::kEchoChAStartVol, 60);
    SetInt(fld::kEchoChBStartVol, 60);
    ResetEqImageToDefaults();
}

void ParameterStore::ResetEqImageToDefaults() {
    std::lock_guard lock(m_mutex);
    m_eq.fill(0);
    for (const auto& m : kEqModules) {
        for (int s = 0; s < m.slotCount; ++s) {
            RawBand r = DefaultRaw(m.module, s);
            EncodeRaw(&m_eq[static_cast<std::size_t>(m.base + kBandDescriptorSize * s)], 150, r.freq, r.qCode, r.code);
        }
    }
}

std::uint32_t ParameterStore::Raw(int f) const {
    return ValidField(f) ? m_fields[static_cast<std::size_t>(f)].load(std::memory_order_relaxed) : 0;
}
void ParameterStore::SetRaw(int f, std::uint32_t bits) {
    if (ValidField(f)) m_fields[static_cast<std::size_t>(f)].store(bits, std::memory_order_relaxed);
}
std::int32_t ParameterStore::Int(int f) const { return static_cast<std::int32_t>(Raw(f)); }
void ParameterStore::SetInt(int f, std::int32_t v) { SetRaw(f, static_cast<std::uint32_t>(v)); }
float ParameterStore::Float(int f) const { return std::bit_cast<float>(Raw(f)); }
void ParameterStore::SetFloat(int f, float v) { SetRaw(f, std::bit_cast<std::uint32_t>(v)); }

ParameterStore::RemoteTable ParameterStore::GetRemoteTable() const {
    RemoteTable t{};
    for (int i = 0; i < fld::kRemoteTableFields; ++i) PutLe32(&t[static_cast<std::size_t>(4 * i)], Raw(i));
    return t;
}

void ParameterStore::SetRemoteTable(const RemoteTable& t) {
    for (int i = 0; i < fld::kRemoteTableFields; ++i) SetRaw(i, GetLe32(&t[static_cast<std::size_t>(4 * i)]));
}

void ParameterStore::SetRemoteByte(int index, std::uint8_t value) {
    if (index < 0 || index >= kRemoteTableSize) return;
    auto& field = m_fields[static_cast<std::size_t>(index / 4)];
    const int shift = 8 * (index % 4);
    std::uint32_t old = field.load();
    std::uint32_t next;
    do {
        next = (old & ~(0xFFu << shift)) | (std::uint32_t{value} << shift);
    } while (!field.compare_exchange_weak(old, next));
}

ParameterStore::EqImage ParameterStore::GetEqImage() const {
    std::lock_guard lock(m_mutex);
    return m_eq;
}
void ParameterStore::SetEqImage(const EqImage& image) {
    std::lock_guard lock(m_mutex);
    m_eq = image;
}
void ParameterStore::ClearEqImage() {
    std::lock_guard lock(m_mutex);
    m_eq.fill(0);
}

int ParameterStore::WriteEqBytes(int offset, const std::uint8_t* data, int length) {
    if (offset < 0 || offset >= kEqImageSize || length <= 0) return 0;
    int n = std::min(length, kEqImageSize - offset);
    std::lock_guard lock(m_mutex);
    std::memcpy(&m_eq[static_cast<std::size_t>(offset)], data, static_cast<std::size_t>(n));
    return n;
}

BandDescriptor ParameterStore::ReadBand(int module, int slot) const {
    if (slot < 0 || slot >= EqSlots(module)) return {};
    std::lock_guard lock(m_mutex);
    return BandDescriptor::Decode(&m_eq[static_cast<std::size_t>(EqBase(module) + kBandDescriptorSize * slot)]);
}

bool ParameterStore::WriteBand(int module, int slot, const BandDescriptor& band) {
    if (slot < 0 || slot >= EqSlots(module)) return false;
    std::lock_guard lock(m_mutex);
    band.Encode(&m_eq[static_cast<std::size_t>(EqBase(module) + kBandDescriptorSize * slot)]);
    return true;
}

ParameterStore::SpeakerPositions ParameterStore::GetSpeakerPositions() const {
    std::lock_guard lock(m_mutex);
    return m_speakerPos;
}

void ParameterStore::SetSpeakerPositions(const SpeakerPositions& block) {
    std::lock_guard lock(m_mutex);
    m_speakerPos = block;
    DecodeSpeakerPositionsLocked();
}

void ParameterStore::DecodeSpeakerPositionsLocked() {
    const auto& b = m_speakerPos;
    SetInt(fld::kSpeakerRaw0, b[0]);
    SetInt(fld::kSpeakerRaw1, b[1]);
    SetFloat(21, DecodeSignMagnitude(b[2]));
    SetFloat(20, DecodeSignMagnitude(b[3]));
    for (int k = 0; k < 8; ++k) {
        SetFloat(12 + k, DecodeSignMagnitude(b[static_cast<std::size_t>(4 + 2 * k)]));
        SetFloat(4 + k, DecodeSignMagnitude(b[static_cast<std::size_t>(5 + 2 * k)]));
    }
}

ParameterStore::SpeakerPositions ParameterStore::EncodeSpeakerPositionsFromFields() {
    SpeakerPositions b{};
    b[0] = static_cast<std::uint8_t>(Int(fld::kSpeakerRaw0));
    b[1] = static_cast<std::uint8_t>(Int(fld::kSpeakerRaw1));
    b[2] = EncodeSignMagnitude(Float(21));
    b[3] = EncodeSignMagnitude(Float(20));
    for (int k = 0; k < 8; ++k) {
        b[static_cast<std::size_t>(4 + 2 * k)] = EncodeSignMagnitude(Float(12 + k));
        b[static_cast<std::size_t>(5 + 2 * k)] = EncodeSignMagnitude(Float(4 + k));
    }
    std::lock_guard lock(m_mutex);
    m_speakerPos = b;
    return b;
}

ParameterStore::SpeakerGains ParameterStore::GetSpeakerGains() const {
    std::lock_guard lock(m_mutex);
    return m_speakerGain;
}
void ParameterStore::SetSpeakerGains(const SpeakerGains& block) {
    std::lock_guard lock(m_mutex);
    m_speakerGain = block;
}

std::u16string ParameterStore::ModeName(int slot) const {
    if (slot < 0 || slot >= kModeSlots) return {};
    std::lock_guard lock(m_mutex);
    return m_modeNames[static_cast<std::size_t>(slot)];
}

void ParameterStore::SetModeName(int slot, std::u16string name) {
    if (slot < 0 || slot >= kModeSlots) return;
    if (name.size() > kModeNameChars) name.resize(kModeNameChars);
    std::lock_guard lock(m_mutex);
    m_modeNames[static_cast<std::size_t>(slot)] = std::move(name);
}

Identity ParameterStore::GetIdentity() const {
    std::lock_guard lock(m_mutex);
    return Identity{m_model, m_mcu, m_dsp, m_cmdVersion.load()};
}

void ParameterStore::SetModelName(std::string name) {
    if (name.size() > kModelNameChars) name.resize(kModelNameChars);
    std::lock_guard lock(m_mutex);
    m_model = std::move(name);
}
void ParameterStore::SetMcuVersion(std::string v) {
    if (v.size() > kVersionChars) v.resize(kVersionChars);
    std::lock_guard lock(m_mutex);
    m_mcu = std::move(v);
}
void ParameterStore::SetDspVersion(std::string v) {
    if (v.size() > kVersionChars) v.resize(kVersionChars);
    std::lock_guard lock(m_mutex);
    m_dsp = std::move(v);
}

ParameterStore::LevelMeter ParameterStore::GetLevelMeter() const {
    std::lock_guard lock(m_mutex);
    return m_levelMeter;
}
void ParameterStore::SetLevelMeter(const LevelMeter& r) {
    {
        std::lock_guard lock(m_mutex);
        m_levelMeter = r;
    }
    SetInt(fld::kMusicStream, r[14]);
}
void ParameterStore::ClearLevelMeter() {
    std::lock_guard lock(m_mutex);
    m_levelMeter.fill(0);
}

ParameterStore::Settings ParameterStore::AppliedSettings() const {
    std::lock_guard lock(m_mutex);
    return m_applied;
}
void ParameterStore::SetAppliedSettings(const Settings& r) {
    std::lock_guard lock(m_mutex);
    m_applied = r;
}
ParameterStore::Settings ParameterStore::EditedSettings() const {
    std::lock_guard lock(m_mutex);
    return m_edited;
}
void ParameterStore::SetEditedSettings(const Settings& r) {
    std::lock_guard lock(m_mutex);
    m_edited = r;
}

ParameterStore::AuxBytes ParameterStore::GetAuxBytes() const {
    std::lock_guard lock(m_mutex);
    return m_aux;
}
void ParameterStore::SetAuxBytes(const AuxBytes& b) {
    std::lock_guard lock(m_mutex);
    m_aux = b;
}
void ParameterStore::SetAuxByte(int index, std::uint8_t value) {
    if (index < 0 || index >= kAuxSize) return;
    std::lock_guard lock(m_mutex);
    m_aux[static_cast<std::size_t>(index)] = value;
}

}  // namespace kv
