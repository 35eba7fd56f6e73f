#pragma once
// Parameter numbers of the box's modules and the fixed tables the encoders and the
// inbound parser share (frequency-shift delays, pitch tables, crossover pairs, speakers).

#include <array>
#include <cstdint>

#include "device/Commands.h"
#include "model/Fields.h"

namespace kv::prm {

// Microphones (module 1). CH B parameters follow CH A's at a fixed distance where they pair.
constexpr int kMicLevelA = 30;
constexpr int kMicLevelB = 43;
constexpr int kMicShareA1 = 33;  // 33..36
constexpr int kMicEqBypassA = 37;
constexpr int kMicShiftStepA = 38;  // phase step per sample
constexpr int kMicShiftDelayA = 39;
constexpr int kMicShiftBypassA = 40;
constexpr int kMicPhase1 = 41;
constexpr int kMicMuteA = 42;
constexpr int kMicShareB1 = 46;  // 46..49
constexpr int kMicEqBypassB = 50;
constexpr int kMicShiftStepB = 51;
constexpr int kMicShiftDelayB = 52;
constexpr int kMicShiftBypassB = 53;
constexpr int kMicPhase2 = 54;
constexpr int kMicMuteB = 55;
constexpr int kMicInputVolume1 = 56;  // 56..59
constexpr int kMicNoiseGate1 = 60;    // 60..63
constexpr int kMicGateOpen = 64;
constexpr int kMicGateClose = 65;
constexpr int kMicUnused66 = 66;  // read back but not decoded
constexpr int kAutoSubEnabled = 67;
constexpr int kAutoSubRatio = 68;

// Echo (module 2) and reverb (module 3): CH A first, CH B at the channel stride.
constexpr int kEchoEqBypassA = 14;
constexpr int kEchoLevelA = 15;
constexpr int kEchoPredelayA = 16;  // 16, 17 the two halves
constexpr int kEchoTimeA = 18;
constexpr int kEchoStartVolA = 19;
constexpr int kEchoDecayA = 20;
constexpr int kEchoChannelStride = 7;  // CH B = CH A + 7
constexpr int kEchoVolume = 28;
constexpr int kEchoMute = 29;

constexpr int kReverbEqBypassA = 14;
constexpr int kReverbLevelA = 15;
constexpr int kReverbPredelayA = 16;
constexpr int kReverbTimeA = 18;  // 18 and 19 both carry the time
constexpr int kReverbChannelStride = 6;
constexpr int kReverbVolume = 26;
constexpr int kReverbMute = 27;

// Music (module 4).
constexpr int kMusicLevel = 15;   // six values
constexpr int kSpdifVolume = 16;  // two values each
constexpr int kAux1Volume = 17;
constexpr int kAux2Volume = 18;
constexpr int kMusicMute = 19;
constexpr int kMusicEqBypass = 20;
constexpr int kMusicAgc = 21;  // version 9: AGC; version 8: pitch-is-zero flag
constexpr int kMusicAgcLevel = 22;
constexpr int kMusicPitch = 23;
constexpr int kMusicPitch2 = 24;  // version 8 only
constexpr int kSpdifOn = 25;      // 25..27
constexpr int kMusicNoiseGate = 28;
constexpr int kMusicGateOpen = 29;
constexpr int kMusicGateClose = 30;

constexpr int kMusicLevelValues = 6;
constexpr int kStereoValues = 2;
constexpr int kCompressorValues = 7;
constexpr int kSpeakerGainValues = 6;
constexpr int kEqCoefficientValues = 5;

// Command-set versions that change what is sent.
constexpr int kVersionSurround = 6;    // surround volumes only above this
constexpr int kVersionPitchTable = 8;  // pitch as the table pair
constexpr int kVersionAgc = 9;         // AGC and the single pitch byte from here on
constexpr int kPitchOffsetV9 = 5;

// Parameter numbers of one output module.
struct OutputParams {
    int mixFirst;  // direct, reverb, echo, music
    int eqBypass;
    int compressor;  // seven values
    int compBypass;
    int delay[2];  // left (or mono), right
    int delayOff[2];
    int delayMode[2];
    int mute;
    int muteValues;        // 2 stereo, 1 mono
    int surround;          // -1 without
    int speakerGain[2];    // speaker-position channel gains
    int crossoverSlot[2];  // high-pass slot of the left/right crossover; low-pass is the next
};
const OutputParams& OutputParamsOf(const fld::OutputFields& out);
// The output group of a module (5..9), or nullptr.
const fld::OutputFields* OutputOfModule(int module);

// Delay of the frequency shifter per setting 0..5, in ms.
constexpr std::array<double, 6> kShiftDelayMs{0.0, 0.0, 100.0, 58.333, 37.5, 25.0};
constexpr int kShiftSettingOff = 1;  // 0 and 1 are both off; 1 bypasses the shifter

// Pitch table of command-set version 8, indexed by pitch + 12.
constexpr int kPitchRange = 12;
constexpr std::array<std::int32_t, 25> kPitchColumnA{480, 480, 480, 480, 480, 480, 480, 480, 480, 480, 480, 480, 480,
                                                     480, 480, 480, 480, 508, 537, 566, 595, 624, 653, 680, 712};
constexpr std::array<std::uint32_t, 25> kPitchColumnBBits{
    0xC3A0B6F9, 0xC393BE42, 0xC386B24F, 0xC3732606, 0xC358C083, 0xC33E33DB, 0xC3237FD3, 0xC308A433, 0xC2DB417C,
    0xC2A4EA75, 0xC25C85B0, 0xC1DD28B9, 0x00000000, 0x41DE70B0, 0x425F159F, 0x42A7CC64, 0x42E06166, 0x430CA528,
    0x432943CF, 0x43460CE8, 0x436300B0, 0x43800FB4, 0x438EB4A7, 0x439D6F51, 0x43AC3FD3};

// Crossover pairs: high-pass slot at 500 + 100 i Hz, low-pass at 1000 + 100 i Hz.
constexpr int kCrossoverCount = 26;
constexpr int CrossoverHighHz(int i) { return 500 + 100 * i; }
constexpr int CrossoverLowHz(int i) { return 1000 + 100 * i; }
constexpr double kCrossoverQ = 0.707;

// Speaker-position channel gains: speaker 1..8 to module, parameter and block offset.
struct SpeakerChannel {
    int module;
    int parameter;
    int gainOffset;  // big-endian float in the speaker-gain block
};
constexpr int kSpeakers = 8;
// TOP left and right take the last two slots of the block, not Center's and SUB's.
constexpr std::array<SpeakerChannel, kSpeakers> kSpeakerChannels{{
    {module::kMain, 42, 0},
    {module::kCenter, 23, 16},
    {module::kMain, 43, 4},
    {module::kRear, 28, 8},
    {module::kSub, 33, 20},
    {module::kRear, 29, 12},
    {module::kTop, 28, 24},
    {module::kTop, 29, 28},
}};
constexpr std::uint32_t kSpeakerGainA1Bits = 0x3F7EFF25;  // 0.99608070
constexpr std::uint32_t kSpeakerGainA2Bits = 0xBFFF7EF1;  // -1.99606144

}  // namespace kv::prm
