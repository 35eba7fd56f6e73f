#pragma once
// Every setting a page, the ribbon or an auxiliary window changes, by address: its range
// and unit, how its value reads from the store, and the encoder call its control makes. The
// command line gets and sets through this table; the pages take their ranges from it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/Fields.h"
#include "model/SettingsRecord.h"

namespace kv {

struct DeviceContext;

enum class SettingUnit { Number, Percent, Decibel, Millis, Hertz, Ratio, Metres, Switch, Choice };

struct Setting {
    std::string address;
    SettingUnit unit = SettingUnit::Number;
    // Numbers: the range in the shown unit, the decimals shown and the step values take.
    // Choices (and switches: off, on): indices into `choices`.
    double minimum = 0;
    double maximum = 100;
    int decimals = 0;
    double step = 1;
    std::vector<std::string> choices;
    std::string rangeNote;  // replaces the range text where a list of choices would be long
    // The value as the page shows it (a choice's index for choices and switches).
    std::function<double(const DeviceContext&)> read;
    // Stores and sends a value through the control's encoder.
    std::function<void(DeviceContext&, double)> apply;
    // Limits only the box knows (maxima in its settings, its command set, the room, a band's
    // kind): the reason a value is refused now, or empty.
    std::function<std::string(const DeviceContext&, double)> refuse;
    // Settings a window edits before its "Apply" (the device settings record): writes the
    // value into the store's edited copy only. `apply` sends at once, as the command line does.
    std::function<void(DeviceContext&, double)> stage;
    // The value at position 0 of a control bound to the setting: position = (value - zero) / step.
    double positionZero = 0;
    // One line of what the setting moves (English, Chinese), for lists and tooltips.
    std::string description;
    std::string descriptionZh;
};

const std::vector<Setting>& AllSettings();
const Setting* FindSetting(std::string_view address);

// "-12dB", "4.0:1", "on", "PEQ": the value as the page shows it.
std::string FormatSetting(const Setting& s, double value);
// The value of a text in the setting's unit (the unit may be left out), or nothing when the
// text is not one of its values: out of range, off the step, more decimals than shown.
// ReadTyped (device/TypedValue.h) says why, and reads a box's text as the box does.
std::optional<double> ParseSetting(const Setting& s, std::string_view text);
// "0..99", "-60dB..0dB", "on or off", "one of PEQ, LP, HP, LS, HS".
std::string SettingRange(const Setting& s);
std::string_view UnitSuffix(SettingUnit unit);

// Ranges the pages share with the table.
namespace range {
constexpr int kMasterVolumeMax = 99;  // microphone, reverb, echo and music
constexpr int kLevelMax = 100;        // inputs, gates, mixes
constexpr int kPitch = 5;
constexpr int kPitchV8 = 8;  // command-set version 8 takes a wider pitch
constexpr int kCommandSetV8 = 8;
constexpr int kCompThresholdMin = -60;
constexpr int kCompThresholdMax = 0;
constexpr int kCompRatioMin = 10;  // tenths
constexpr int kCompRatioMax = 300;
constexpr int kCompAttackMin = 1;
constexpr int kCompAttackMax = 100;
constexpr int kCompReleaseMin = 1;
constexpr int kCompReleaseMax = 1000;
constexpr double kDelayMinMs = 1.5;
constexpr double kDelayMaxMs = 100.0;
constexpr int kRoomMin = 1;
constexpr int kRoomMax = 10;
constexpr int kAgcLevelMin = -180;  // tenths of a dB, shown 12 dB higher
constexpr int kAgcLevelMax = -60;
constexpr double kAgcShownOffsetDb = 12.0;
constexpr int kGateTimeMin = 1;
constexpr int kGateTimeMax = 100;
constexpr int kGateTimeFlip = 101;  // the field holds 101 - position
constexpr int kSourceOn = fld::kSwitchedOn;
constexpr int kSubMusicScale = 3;             // the SUB's music mix goes up to three times full level
constexpr int kMicMaxByte = record::kMicMax;  // applied device settings: microphone and music maxima
constexpr int kMusicMaxByte = record::kMusicMax;
}  // namespace range

// The noise-gate times and their fields, which hold 101 - position.
struct GateTimeField {
    const char* address;
    int field;
};
inline constexpr GateTimeField kGateTimeFields[4] = {{"mic.gate.attack", fld::kMicGateOpen},
                                                     {"mic.gate.release", fld::kMicGateClose},
                                                     {"music.gate.attack", fld::kMusicGateOpen},
                                                     {"music.gate.release", fld::kMusicGateClose}};

// The eight delay channels: the address after "delay.", the output and its side.
struct DelayChannel {
    const char* name;
    const fld::OutputFields* out;
    int side;
};
inline constexpr DelayChannel kDelayChannels[8] = {
    {"main.l", &fld::kMain, 0}, {"main.r", &fld::kMain, 1}, {"center", &fld::kCenter, 0}, {"sub", &fld::kSub, 0},
    {"rear.l", &fld::kRear, 0}, {"rear.r", &fld::kRear, 1}, {"top.l", &fld::kTop, 0},     {"top.r", &fld::kTop, 1}};

// Speaker level at a distance from the listener, in dB.
float SpeakerLevelAt(double metres);
// The level of a speaker (1..8) for its distance from the listener, sent.
void SendSpeakerLevel(DeviceContext& dev, int speaker);
// The points' addresses: "position." + name + ".x" / ".y"; 0 the listener, 1..8 the speakers.
inline constexpr const char* kPositionPoints[9] = {"listener", "main.l", "center", "main.r", "rear.l",
                                                   "sub",      "rear.r", "top.l",  "top.r"};
// Fields of a point of the speaker page: 0 the listener, 1..8 the speakers.
int PositionXField(int point);
int PositionYField(int point);
constexpr int kSpeakerCount = 8;
// A typed or stepped listener recomputes speakers 1..6 only; the TOP pair keeps its level.
constexpr int kListenerTypedReach = 6;
// A point stored, the speaker-position block written and the levels the move changes sent:
// a speaker's own, or for the listener those of speakers 1..listenerReach.
void ApplySpeakerPoint(DeviceContext& dev, int point, double x, double y, int listenerReach);
// The room size stored and the speaker-position block written; levels are not recomputed.
void ApplyRoomSize(DeviceContext& dev, int width, int length);
// Every speaker level to 0 (not the levels the default positions would give), then the default
// positions, written by the block encoder like every other position change.
void ResetSpeakers(DeviceContext& dev);

}  // namespace kv
