#pragma once
// Numbers of the 183 fields of the parameter table and the kind of each.
// Every other part of the program names fields through these constants.

#include <array>
#include <cstdint>

namespace kv {

// How a field's 32 bits are held and how they travel to the box.
enum class FieldKind : std::uint8_t {
    Unused,      // not used by this program
    Raw,         // raw bytes (remote key table, speaker-block bytes)
    Position,    // float, a speaker-position value in steps of 0.1
    Hundredths,  // h: integer in hundredths, sent as value/100
    Ten4,        // h4: integer in units of 1e-4
    Ten5,        // h5: integer in units of 1e-5
    Ten7,        // h7: integer in units of 1e-7
    Integer,     // i: switches and selectors, sent as a 32-bit integer
    Millis,      // ms: float milliseconds, sent as a sample count
    Float,       // f: float sent as its own bit pattern
    Mute,        // m: 0/1, 1 muted; sent as 1.0 when 0 and 0.0 when 1
    Surround,    // n: hundredths sent negated
    DelayMode,   // x: 0 high-frequency part, 1 whole channel
};

namespace fld {

constexpr int kCount = 183;

// Remote key table, 16 bytes over fields 0..3.
constexpr int kRemoteTable = 0;
constexpr int kRemoteTableFields = 4;

// Speaker-position values (floats) 4..21 and the two raw block bytes 22, 23.
constexpr int kSpeakerPosFirst = 4;  // 4..11 and 12..19 come in pairs, 20, 21
constexpr int kSpeakerPosLast = 21;
constexpr int kSpeakerRaw1 = 22;  // speaker-position block byte 1
constexpr int kSpeakerRaw0 = 23;  // speaker-position block byte 0
// What the speaker page keeps there: y of speakers 1..8, x of speakers 1..8, the listener,
// and the room's size in whole metres in the two block bytes.
constexpr int kSpeakerY1 = 4;   // 4..11
constexpr int kSpeakerX1 = 12;  // 12..19
constexpr int kListenerY = 20;
constexpr int kListenerX = 21;
constexpr int kRoomLength = kSpeakerRaw1;
constexpr int kRoomWidth = kSpeakerRaw0;

// Stored for a music source switched on and for a microphone input routed to a channel.
constexpr int kSwitchedOn = 100;

constexpr int kMusicStream = 25;  // level-meter byte 14: encoded multichannel stream

// Microphones (module 1).
constexpr int kMicVolume = 26;
constexpr int kMicChAShare1 = 27;  // 27..30: CH A share of inputs 1..4
constexpr int kMicChAEqBypass = 31;
constexpr int kMicPhase1 = 32;  // 0 inverted, 1 normal
constexpr int kMicChAShift = 33;
constexpr int kMicChAShiftBypass = 34;
constexpr int kMicChBShare1 = 35;  // 35..38
constexpr int kMicChBEqBypass = 39;
constexpr int kMicPhase2 = 40;
constexpr int kMicChBShift = 41;
constexpr int kMicChBShiftBypass = 42;
constexpr int kMicMute = 43;
constexpr int kMicInputVolume1 = 44;  // 44..47
constexpr int kMicNoiseGate1 = 48;    // 48..51
constexpr int kMicGateOpen = 52;
constexpr int kMicGateClose = 53;
constexpr int kAutoSubEnabled = 54;
constexpr int kAutoSubRatio = 55;

// Echo (module 2).
constexpr int kEchoChAEqBypass = 56;
constexpr int kEchoChALevel = 57;
constexpr int kEchoChAPredelay1 = 58;
constexpr int kEchoChAPredelay2 = 59;
constexpr int kEchoChATime = 60;
constexpr int kEchoChAStartVol = 61;
constexpr int kEchoChADecay = 62;
constexpr int kEchoChBEqBypass = 63;
constexpr int kEchoChBLevel = 64;
constexpr int kEchoChBPredelay1 = 65;
constexpr int kEchoChBPredelay2 = 66;
constexpr int kEchoChBTime = 67;
constexpr int kEchoChBStartVol = 68;
constexpr int kEchoChBDecay = 69;
constexpr int kEchoVolume = 70;
constexpr int kEchoMute = 71;

// Reverb (module 3).
constexpr int kReverbChAEqBypass = 72;
constexpr int kReverbChALevel = 73;
constexpr int kReverbChAPredelay1 = 74;
constexpr int kReverbChAPredelay2 = 75;
constexpr int kReverbChATime = 76;  // float holding an integer 0..100
constexpr int kReverbChBEqBypass = 77;
constexpr int kReverbChBLevel = 78;
constexpr int kReverbChBPredelay1 = 79;
constexpr int kReverbChBPredelay2 = 80;
constexpr int kReverbChBTime = 81;
constexpr int kReverbVolume = 82;
constexpr int kReverbMute = 83;

// Music (module 4).
constexpr int kMusicVolume = 84;
constexpr int kSpdifVolume = 85;
constexpr int kAux1Volume = 86;
constexpr int kAux2Volume = 87;
constexpr int kMusicMute = 88;
constexpr int kMusicEqBypass = 89;
constexpr int kMusicPitch = 90;
constexpr int kSpdifOn = 91;  // 100 on, 0 off
constexpr int kAux1On = 92;
constexpr int kAux2On = 93;
constexpr int kMusicNoiseGate = 94;
constexpr int kMusicGateOpen = 95;
constexpr int kMusicGateClose = 96;
constexpr int kMusicAgc = 179;
constexpr int kMusicAgcLevel = 180;

constexpr int kCurrentMode = 181;

// Output groups share one layout; offsets below are relative to the group's first field.
struct OutputFields {
    int module;     // module number on the wire
    int first;      // first field of the group (the direct mix)
    bool stereo;    // two delays, two delay switches, two delay modes
    bool surround;  // has a surround volume field
    constexpr int mixDirect() const { return first; }
    constexpr int mixReverb() const { return first + 1; }
    constexpr int mixEcho() const { return first + 2; }
    constexpr int mixMusic() const { return first + 3; }
    constexpr int eqBypass() const { return first + 4; }
    constexpr int compBypass() const { return first + 5; }
    constexpr int compThreshold() const { return first + 6; }
    constexpr int compRatio() const { return first + 7; }
    constexpr int compAttack() const { return first + 8; }
    constexpr int compRelease() const { return first + 9; }
    constexpr int delayLeft() const { return first + 10; }
    constexpr int delayRight() const { return stereo ? first + 11 : -1; }
    constexpr int delayOffLeft() const { return stereo ? first + 12 : first + 11; }
    constexpr int delayOffRight() const { return stereo ? first + 13 : -1; }
    constexpr int delayModeLeft() const { return stereo ? first + 14 : first + 12; }
    constexpr int delayModeRight() const { return stereo ? first + 15 : -1; }
    constexpr int mute() const { return stereo ? first + 16 : first + 13; }
    constexpr int surroundVolume() const { return surround ? first + 17 : -1; }
    constexpr int last() const { return stereo ? first + 17 : first + 13; }
};

constexpr OutputFields kMain{5, 97, true, true};
constexpr OutputFields kRear{6, 115, true, true};
constexpr OutputFields kTop{9, 133, true, true};
constexpr OutputFields kCenter{7, 151, false, false};
constexpr OutputFields kSub{8, 165, false, false};
// Every output group, in the order the box takes them.
constexpr std::array<const OutputFields*, 5> kOutputs{&kMain, &kRear, &kTop, &kCenter, &kSub};

// The part of the table saved in mode files.
constexpr int kModeFileFirst = 26;
constexpr int kModeFileLastV1 = 178;
constexpr int kModeFileLast = 180;

}  // namespace fld

// Kind of every field, by number.
FieldKind KindOf(int field);

}  // namespace kv
