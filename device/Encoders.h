#pragma once
// Every change the application makes to the box goes through one of these encoders.
// Each stores the new value first and sends second; with the link closed the store is
// still updated and nothing goes out. Conversions to what the box's processor needs
// (sample counts, one-pole coefficients, biquads) are made here.

#include <cstdint>
#include <initializer_list>
#include <span>
#include <string>

#include "device/EqTable.h"
#include "device/Report.h"
#include "device/Transport.h"
#include "model/Fields.h"
#include "model/ParameterStore.h"

namespace kv {

class UsbLink;
namespace eq {
struct Biquad;
}

struct EncoderTimings {
    int fadeStepMs = 30;   // pause after each step of the music fade-in
    int rampStepMs = 100;  // pause after each step of the music level ramp
};

// Where an equaliser's bands live: module, first descriptor slot, number of bands.
struct EqLayout {
    int module;
    int firstSlot;
    int bands;
};
EqLayout LayoutOf(EqId eq);

// samples(t) = trunc(t x 48 + 0.5), the box's delay unit.
std::int32_t SamplesOf(double ms);
// One-pole coefficient of a compressor time: 1 - exp(-1 / (t x 48)).
float CompressorTimeCoeff(double ms);

class Encoders {
public:
    Encoders(ParameterStore& store, UsbLink& link, EncoderTimings timings = {});

    void SetDebugOutput(DebugOutput debug);
    void SetTimings(EncoderTimings timings) { m_timings = timings; }
    EncoderTimings Timings() const { return m_timings; }

    // Generic parameter writes; return the number of bytes written (61, or 0).
    int FloatParamWrite(int module, int parameter, float value, int count = 1);
    int IntParamWrite(int module, int parameter, std::int32_t value);
    int RawParamWrite(int module, int parameter, std::span<const ParamValue> values);
    // Sends the stored value of a plain field to its address (see device/WireTable.h); 0 when
    // the field is not plain or the box's command set does not take it.
    int SendField(int field);

    // Microphones. channel: 0 CH A, 1 CH B.
    void MicLevel(int v);     // field 26, parameters 30 and 43
    void MicMute(int muted);  // field 43
    void MicInputVolume(int input1to4, int v);
    void MicNoiseGate4(int v);
    void MicEqBypass(int channel, int v);
    void MicPhase(int group /*0 group 1, 1 group 2*/, int v);
    void FrequencyShift(int channel, int setting);
    void AutoSub(int enabled);
    void AutoSubRatio(int percent);

    // Echo and reverb.
    void EchoPredelay(int channel, double totalMs);
    void ReverbPredelay(int channel, double totalMs);
    void EchoTime(int channel, double ms);
    void ReverbTime(int channel, int setting);
    void EchoEqBypass(int channel, int v);
    void ReverbEqBypass(int channel, int v);

    // Music.
    void MusicLevel(int v);  // field 84, parameter 15 with six values
    void MusicEqBypass(int v);
    void MusicPitch(int semitones);
    void MusicAgc(int v);
    void MusicAgcLevel(float db);
    void MusicMute(int muted);

    // Outputs. side: 0 left (or the mono channel), 1 right.
    void OutputEqBypass(const fld::OutputFields& out, int v);
    void OutputDelay(const fld::OutputFields& out, int side, double ms);
    void Compressor(const fld::OutputFields& out, float thresholdDb, float ratio, float attackMs, float releaseMs);
    void DelayMode(const fld::OutputFields& out, int side, int mode);
    void ApplyCrossover(const fld::OutputFields& out, int side, int index);
    int CurrentCrossoverIndex(const fld::OutputFields& out, int side) const;

    // Equalisers. band is the descriptor slot within the module.
    void BandDescriptorWrite(int module, int band, const BandDescriptor& descriptor);
    void EqCoefficientWrite(int module, int band, const eq::Biquad& section);
    void EqBand(int module, int band, int code, double gainDb, double freqHz, double q, double outputGainDb = 0.0);
    // The same by equaliser: band counts from 0 within that equaliser (CH B adds its offset).
    void EqBand(EqId eq, int band, int code, double gainDb, double freqHz, double q, double outputGainDb = 0.0);
    BandDescriptor ReadBand(EqId eq, int band) const;
    void ResetEq(EqId eq);
    // Stores and sends an equaliser's bypass switch through its channel's encoder.
    void EqBypass(EqId eq, int v);
    void ResendAllEqCoefficients();

    // Speaker positions.
    void WriteSpeakerPositions();
    void SpeakerGain(int speaker1to8, float db);
    void ResetSpeakerGains();

    // Levels ramped up at the end of a write-all.
    void LevelRamp();

    // Mode commands. Load and reset do not start the read-back; the caller does.
    void LoadUserMode(int slot);
    void ResetUserMode(int slot);
    void SaveUserMode(int slot);
    void SelectModeSlot(int slot);
    void WriteModeName(int slot, const std::u16string& name);
    void DeviceReset();

    // Every parameter of the store, in the box's order (the write-all).
    void SendAll();

    // Device settings, remote table, learning, level meters.
    void WriteSettings(const ParameterStore::Settings& record);
    void WriteRemoteTable();
    void RemoteLearn(int key);
    void RemoteLearnStop();
    void PollLevelMeter();

private:
    void Debug(const std::string& text) const;
    int SendBytes(std::initializer_list<int> bytes);
    void StoreAndSend(int field, std::int32_t v);  // a plain field
    // Mode load, reset or save: the slot (clamped) becomes the current mode first.
    void SendModeCommand(std::uint8_t code, int slot);
    void SendMicLevel(float value);
    void SendMusicLevel(float value);
    void SendMusicPitch();
    void SendFrequencyShift(int channel);
    void StorePredelay(int firstField, int module, int parameter1, double totalMs);
    void SendCompressor(const fld::OutputFields& out);
    void SendDelayModeValue(const fld::OutputFields& out, int side, int mode);
    void WriteCrossoverSlots(const fld::OutputFields& out, int side, int index, bool flat);
    // The coefficients of a band as the store holds it (single-precision gain and Q).
    void SendStoredCoefficients(int module, int slot);

    ParameterStore& m_store;
    UsbLink& m_link;
    EncoderTimings m_timings;
    DebugOutput m_debug;
};

}  // namespace kv
