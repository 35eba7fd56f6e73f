#include "device/SettingTable.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>

#include "device/DeviceContext.h"
#include "device/EqBands.h"
#include "device/Parameters.h"
#include "device/SettingDescriptions.h"
#include "device/TypedValue.h"
#include "eq/Crossover.h"
#include "eq/EqMath.h"
#include "model/AsciiCase.h"
#include "model/Rounding.h"

namespace kv {

namespace {

using Read = std::function<double(const DeviceContext&)>;
using Apply = std::function<void(DeviceContext&, double)>;
using Refuse = std::function<std::string(const DeviceContext&, double)>;

using range::kMicMaxByte;
using range::kMusicMaxByte;
using range::kSourceOn;
using range::kSubMusicScale;
constexpr int kListener = 0;
constexpr int kRoomWidthField = fld::kRoomWidth;
constexpr int kRoomLengthField = fld::kRoomLength;
constexpr int kMicInputs = 4;
constexpr double kNoAgcLevelDb = -10.0;
constexpr int kPhaseNormal = 1;  // the microphone phase fields hold 0 while inverted

int P(double v) { return static_cast<int>(std::lround(v)); }
double Finite(double v) { return std::isfinite(v) ? v : 0.0; }
// Whole numbers of a stored value that may be anything a box or a file left there.
int Whole(float v) { return std::isfinite(v) ? static_cast<int>(std::clamp(v, -1e6f, 1e6f)) : 0; }

Setting Number(std::string address, SettingUnit unit, double minimum, double maximum, Read read, Apply apply,
               int decimals = 0, double step = 1) {
    Setting s;
    s.address = std::move(address);
    s.unit = unit;
    s.minimum = minimum;
    s.maximum = maximum;
    s.decimals = decimals;
    s.step = step;
    s.read = std::move(read);
    s.apply = std::move(apply);
    return s;
}

Setting Choice(std::string address, std::vector<std::string> choices, Read read, Apply apply, int first = 0) {
    Setting s;
    s.address = std::move(address);
    s.unit = SettingUnit::Choice;
    s.minimum = first;
    s.maximum = static_cast<double>(choices.size()) - 1;
    s.choices = std::move(choices);
    s.read = std::move(read);
    s.apply = std::move(apply);
    return s;
}

Setting Switch(std::string address, Read read, Apply apply) {
    Setting s = Choice(std::move(address), {"off", "on"}, std::move(read), std::move(apply));
    s.unit = SettingUnit::Switch;
    return s;
}

// A field stored as the control's position and sent as its wire address says.
Read FieldValue(int field) {
    return [field](const DeviceContext& d) { return d.store.Int(field); };
}
Apply StoreField(int field) {
    return [field](DeviceContext& d, double v) {
        d.store.SetInt(field, P(v));
        d.encoders.SendField(field);
    };
}
// A switch stored as onValue / offValue.
Read SwitchValue(int field, int offValue) {
    return [field, offValue](const DeviceContext& d) { return d.store.Int(field) != offValue ? 1 : 0; };
}
Apply StoreSwitch(int field, int onValue, int offValue) {
    return [field, onValue, offValue](DeviceContext& d, double v) {
        d.store.SetInt(field, v != 0 ? onValue : offValue);
        d.encoders.SendField(field);
    };
}

bool HasAgc(const DeviceContext& d) { return d.store.CommandSetVersion() >= prm::kVersionAgc; }
std::string NoAgc(const DeviceContext& d) {
    return HasAgc(d) ? std::string()
                     : "this box has no music AGC (command set " + std::to_string(d.store.CommandSetVersion()) + ")";
}

Refuse AtMostSettingsByte(int byte, const char* what) {
    return [byte, what](const DeviceContext& d, double v) {
        const int max = d.store.AppliedSettings()[static_cast<std::size_t>(byte)];
        if (P(v) <= max) return std::string();
        return "at most " + std::to_string(max) + ", the box's " + what + " maximum";
    };
}

void AddMaster(std::vector<Setting>& t) {
    using U = SettingUnit;
    Setting mic = Number("mic.level", U::Number, 0, range::kMasterVolumeMax, FieldValue(fld::kMicVolume),
                         [](DeviceContext& d, double v) { d.encoders.MicLevel(P(v)); });
    mic.refuse = AtMostSettingsByte(kMicMaxByte, "microphone");
    t.push_back(mic);
    t.push_back(Switch("mic.mute", SwitchValue(fld::kMicMute, 0),
                       [](DeviceContext& d, double v) { d.encoders.MicMute(v != 0 ? 1 : 0); }));
    t.push_back(Number("reverb.level", U::Number, 0, range::kMasterVolumeMax, FieldValue(fld::kReverbVolume),
                       StoreField(fld::kReverbVolume)));
    t.push_back(Switch("reverb.mute", SwitchValue(fld::kReverbMute, 0), StoreSwitch(fld::kReverbMute, 1, 0)));
    t.push_back(Number("echo.level", U::Number, 0, range::kMasterVolumeMax, FieldValue(fld::kEchoVolume),
                       StoreField(fld::kEchoVolume)));
    t.push_back(Switch("echo.mute", SwitchValue(fld::kEchoMute, 0), StoreSwitch(fld::kEchoMute, 1, 0)));
    Setting music = Number("music.level", U::Number, 0, range::kMasterVolumeMax, FieldValue(fld::kMusicVolume),
                           StoreField(fld::kMusicVolume));
    music.refuse = AtMostSettingsByte(kMusicMaxByte, "music");
    t.push_back(music);
    t.push_back(Switch("music.mute", SwitchValue(fld::kMusicMute, 0),
                       [](DeviceContext& d, double v) { d.encoders.MusicMute(v != 0 ? 1 : 0); }));
    const struct {
        const char* name;
        int level, on;
    } sources[3] = {{"spdif", fld::kSpdifVolume, fld::kSpdifOn},
                    {"aux1", fld::kAux1Volume, fld::kAux1On},
                    {"aux2", fld::kAux2Volume, fld::kAux2On}};
    for (const auto& s : sources) {
        const std::string name = s.name;
        t.push_back(Number(name + ".level", U::Number, 0, range::kLevelMax, FieldValue(s.level), StoreField(s.level)));
        t.push_back(Switch(name + ".on", SwitchValue(s.on, 0), StoreSwitch(s.on, kSourceOn, 0)));
    }
    t.push_back(Number("music.gate", U::Number, 0, range::kLevelMax, FieldValue(fld::kMusicNoiseGate),
                       StoreField(fld::kMusicNoiseGate)));
    Setting pitch = Number("music.pitch", U::Number, -range::kPitchV8, range::kPitchV8, FieldValue(fld::kMusicPitch),
                           [](DeviceContext& d, double v) { d.encoders.MusicPitch(P(v)); });
    pitch.rangeNote = "-5..5 (-8..8 on command set 8)";
    pitch.refuse = [](const DeviceContext& d, double v) {
        const int r = d.store.CommandSetVersion() == range::kCommandSetV8 ? range::kPitchV8 : range::kPitch;
        if (std::abs(P(v)) <= r) return std::string();
        return "-" + std::to_string(r) + ".." + std::to_string(r) + " on this box";
    };
    t.push_back(pitch);

    // The noise-gate window: the field holds 101 - p, so the top of the slider is the shortest time.
    for (const auto& g : kGateTimeFields) {
        const int field = g.field;
        t.push_back(Number(
            g.address, U::Number, range::kGateTimeMin, range::kGateTimeMax,
            [field](const DeviceContext& d) {
                return std::clamp(range::kGateTimeFlip - d.store.Int(field), range::kGateTimeMin, range::kGateTimeMax);
            },
            [field](DeviceContext& d, double v) {
                d.store.SetInt(field, range::kGateTimeFlip - P(v));
                d.encoders.SendField(field);
            }));
    }

    Setting agc = Switch(
        "music.agc", [](const DeviceContext& d) { return HasAgc(d) && d.store.Int(fld::kMusicAgc) != 0 ? 1 : 0; },
        [](DeviceContext& d, double v) { d.encoders.MusicAgc(v != 0 ? 1 : 0); });
    agc.refuse = [](const DeviceContext& d, double) { return NoAgc(d); };
    t.push_back(agc);
    // Shown relative to -12 dB, the box's neutral level; moved in tenths.
    Setting agcLevel = Number(
        "music.agc.level", U::Decibel, range::kAgcLevelMin / 10.0 + range::kAgcShownOffsetDb,
        range::kAgcLevelMax / 10.0 + range::kAgcShownOffsetDb,
        [](const DeviceContext& d) {
            // A box without the function is shown a fixed level.
            if (!HasAgc(d)) return kNoAgcLevelDb + range::kAgcShownOffsetDb;
            // The level the box holds, where the slider cannot reach it too: that is what it
            // works at and what a write-all sends.
            const double tenths = std::round(d.store.Float(fld::kMusicAgcLevel) * 10.0);
            const double p = std::isfinite(tenths) ? std::clamp(tenths, -1e6, 1e6) : range::kAgcLevelMin;
            return p / 10.0 + range::kAgcShownOffsetDb;
        },
        [](DeviceContext& d, double v) {
            const int p = P((v - range::kAgcShownOffsetDb) * 10.0);
            d.encoders.MusicAgcLevel(static_cast<float>(p / 10.0));
        },
        1, 0.1);
    agcLevel.refuse = agc.refuse;
    // Its slider counts tenths of the level itself, 12 dB below the shown value.
    agcLevel.positionZero = range::kAgcShownOffsetDb;
    t.push_back(agcLevel);
    t.push_back(Switch("autosub", SwitchValue(fld::kAutoSubEnabled, 0), StoreSwitch(fld::kAutoSubEnabled, 1, 0)));
    t.push_back(Number(
        "autosub.ratio", U::Percent, 0, 100,
        [](const DeviceContext& d) { return std::clamp(d.store.Int(fld::kAutoSubRatio), 0, 100); },
        StoreField(fld::kAutoSubRatio)));
}

void AddMicrophones(std::vector<Setting>& t) {
    using U = SettingUnit;
    for (int i = 0; i < kMicInputs; ++i) {
        const std::string name = "mic." + std::to_string(i + 1);
        const int a = fld::kMicChAShare1 + i;
        const int b = fld::kMicChBShare1 + i;
        // Routed to CH A or CH B: one share full, the other none.
        Setting route = Choice(name + ".route", {"B", "A"}, SwitchValue(a, 0), [a, b](DeviceContext& d, double v) {
            d.store.SetInt(a, v != 0 ? kSourceOn : 0);
            d.store.SetInt(b, v != 0 ? 0 : kSourceOn);
            d.encoders.SendField(a);
            d.encoders.SendField(b);
        });
        route.rangeNote = "A or B";
        t.push_back(route);
        t.push_back(Number(name + ".gate", U::Number, 0, range::kLevelMax, FieldValue(fld::kMicNoiseGate1 + i),
                           StoreField(fld::kMicNoiseGate1 + i)));
        t.push_back(Number(name + ".level", U::Number, 0, range::kLevelMax, FieldValue(fld::kMicInputVolume1 + i),
                           StoreField(fld::kMicInputVolume1 + i)));
    }
    // The effect parameters of each microphone channel.
    for (int ch = 0; ch < 2; ++ch) {
        const std::string name = ch ? "micb" : "mica";
        const auto pick = [ch](int a, int b) { return ch ? b : a; };
        const int reverbLevel = pick(fld::kReverbChALevel, fld::kReverbChBLevel);
        const int reverbPredelay = pick(fld::kReverbChAPredelay1, fld::kReverbChBPredelay1);
        const int reverbTime = pick(fld::kReverbChATime, fld::kReverbChBTime);
        const int echoLevel = pick(fld::kEchoChALevel, fld::kEchoChBLevel);
        const int echoPredelay = pick(fld::kEchoChAPredelay1, fld::kEchoChBPredelay1);
        const int echoTime = pick(fld::kEchoChATime, fld::kEchoChBTime);
        const int echoStart = pick(fld::kEchoChAStartVol, fld::kEchoChBStartVol);
        const int echoDecay = pick(fld::kEchoChADecay, fld::kEchoChBDecay);
        const int shift = pick(fld::kMicChAShift, fld::kMicChBShift);
        const auto predelay = [](int field) {
            return [field](const DeviceContext& d) {
                return RoundedPosition(d.store.Float(field) + d.store.Float(field + 1));
            };
        };
        const auto rounded = [](int field) {
            return [field](const DeviceContext& d) { return RoundedPosition(d.store.Float(field)); };
        };
        t.push_back(
            Number(name + ".reverb.level", U::Percent, 0, 100, FieldValue(reverbLevel), StoreField(reverbLevel)));
        t.push_back(Number(name + ".reverb.predelay", U::Millis, 3, 200, predelay(reverbPredelay),
                           [ch](DeviceContext& d, double v) { d.encoders.ReverbPredelay(ch, P(v)); }));
        // Settings 0..100 read as 40 ms plus 49.6 ms a step, shown to the millisecond.
        std::vector<std::string> times;
        for (int p = 0; p <= 100; ++p) times.push_back(std::to_string(P(p * 49.6 + 40)) + "ms");
        Setting time = Choice(name + ".reverb.time", std::move(times), rounded(reverbTime),
                              [ch](DeviceContext& d, double v) { d.encoders.ReverbTime(ch, P(v)); });
        time.rangeNote = "40ms..5000ms in steps of 49.6ms, as the page shows them (40ms, 90ms, 139ms, ...)";
        t.push_back(time);
        t.push_back(Number(name + ".echo.level", U::Percent, 0, 100, FieldValue(echoLevel), StoreField(echoLevel)));
        t.push_back(Number(name + ".echo.predelay", U::Millis, 3, 200, predelay(echoPredelay),
                           [ch](DeviceContext& d, double v) { d.encoders.EchoPredelay(ch, P(v)); }));
        t.push_back(Number(name + ".echo.time", U::Millis, 180, 260, rounded(echoTime),
                           [ch](DeviceContext& d, double v) { d.encoders.EchoTime(ch, P(v)); }));
        t.push_back(Number(name + ".echo.start", U::Percent, 40, 100, FieldValue(echoStart), StoreField(echoStart)));
        t.push_back(Number(name + ".echo.decay", U::Percent, 20, 90, FieldValue(echoDecay), StoreField(echoDecay)));
        // Settings 0 and 1 both leave the shifter out; the page moves between 1 and 5.
        Setting s = Choice(
            name + ".shift", {"off", "off", "2Hz", "3Hz", "4Hz", "5Hz"},
            [shift](const DeviceContext& d) { return std::clamp(d.store.Int(shift), 1, 5); },
            [ch](DeviceContext& d, double v) { d.encoders.FrequencyShift(ch, P(v)); }, 1);
        s.rangeNote = "off, 2Hz, 3Hz, 4Hz or 5Hz";
        t.push_back(s);
    }
}

void AddEqualisers(std::vector<Setting>& t) {
    using U = SettingUnit;
    const std::vector<std::string> kinds{"OFF", "PEQ", "LP", "HP", "LS", "HS"};
    for (const EqInfo& info : kEqualisers) {
        const EqId id = info.id;
        const std::string name = "eq." + std::string(EqName(id));
        const int bypass = info.bypassField;
        t.push_back(Switch(name + ".bypass", SwitchValue(bypass, 0),
                           [id](DeviceContext& d, double v) { d.encoders.EqBypass(id, v != 0 ? 1 : 0); }));
        for (int row = 0; row < EqRowCount(id); ++row) {
            const std::string band = name + "." + std::to_string(row + 1);
            const auto value = [id, row](float eq::BandRecord::*member) {
                return [id, row, member](const DeviceContext& d) {
                    return static_cast<double>(LoadEqBands(d.encoders, id)[static_cast<std::size_t>(row)].*member);
                };
            };
            // A typed value: the band's other values as they stand, each within its limits.
            const auto edit = [id, row](float eq::BandRecord::*member) {
                return [id, row, member](DeviceContext& d, double v) {
                    auto bands = LoadEqBands(d.encoders, id);
                    eq::BandRecord& b = bands[static_cast<std::size_t>(row)];
                    // Only the typed value changes; the others go out exactly as held.
                    double gain = b.gain, freq = b.frequency, q = b.q;
                    (member == &eq::BandRecord::gain ? gain : member == &eq::BandRecord::frequency ? freq : q) = v;
                    SetBandGain(b, gain);
                    b.frequency = static_cast<float>(std::clamp(freq, eqband::kMinFrequency, eqband::kMaxFrequency));
                    SetBandQ(b, q);
                    SendEqRow(d.encoders, id, bands, row);
                };
            };
            Setting kind = Choice(
                band + ".kind", kinds,
                [id, row](const DeviceContext& d) { return EqRowKind(LoadEqBands(d.encoders, id), id, row); },
                [id, row](DeviceContext& d, double v) {
                    auto bands = LoadEqBands(d.encoders, id);
                    SetRowKind(bands, id, row, P(v));
                    SendEqRow(d.encoders, id, bands, row);
                },
                1);
            kind.rangeNote = "PEQ, LP, HP, LS or HS (a new kind starts at Q 1.41, or Q 0.70 and no gain)";
            t.push_back(kind);
            t.push_back(Number(band + ".freq", U::Hertz, eqband::kMinFrequency, eqband::kMaxFrequency,
                               value(&eq::BandRecord::frequency), edit(&eq::BandRecord::frequency)));
            Setting gain = Number(band + ".gain", U::Decibel, eqband::kMinGain, eqband::kMaxGain,
                                  value(&eq::BandRecord::gain), edit(&eq::BandRecord::gain), 1, 0.1);
            gain.refuse = [id, row](const DeviceContext& d, double) {
                const auto bands = LoadEqBands(d.encoders, id);
                const int code = bands[static_cast<std::size_t>(row)].code;
                if (eq::TakesGain(code)) return std::string();
                return "band " + std::to_string(row + 1) + " is " +
                       std::string(code >= 0 && code <= 5 ? std::array{"OFF", "PEQ", "LP", "HP", "LS", "HS"}[code]
                                                          : "a crossover section") +
                       " and takes no gain";
            };
            t.push_back(gain);
            Setting q = Number(band + ".q", U::Number, eqband::kMinQ, eqband::kMaxPeakingQ, value(&eq::BandRecord::q),
                               edit(&eq::BandRecord::q), 2, 0.01);
            q.rangeNote = "0.10..30.00 for PEQ, 0.10..2.00 for the other kinds";
            q.refuse = [id, row](const DeviceContext& d, double v) {
                const auto bands = LoadEqBands(d.encoders, id);
                const double max = MaxQOf(bands[static_cast<std::size_t>(row)].code);
                if (v <= max + 1e-9) return std::string();
                char text[64];
                std::snprintf(text, sizeof text, "0.10..%.2f for this band's kind", max);
                return std::string(text);
            };
            t.push_back(q);
            if (id != EqId::Sub) continue;
            std::vector<std::string> names;
            for (std::string_view n : eq::kAlignmentNames) names.emplace_back(n);
            Setting align = Choice(
                band + ".align", names,
                [id, row](const DeviceContext& d) {
                    const auto bands = LoadEqBands(d.encoders, id);
                    eq::RowCodes codes{bands[static_cast<std::size_t>(row)].code};
                    for (int s = 0; s < eq::kStagesPerRow; ++s)
                        codes[static_cast<std::size_t>(s) + 1] =
                            bands[static_cast<std::size_t>(eq::StageBand(row, s))].code;
                    const auto p = eq::FindRowPattern(codes);
                    return p && p->alignment >= 0 ? p->alignment : -1;
                },
                [id, row](DeviceContext& d, double v) {
                    auto bands = LoadEqBands(d.encoders, id);
                    eq::ApplyAlignment(bands, row, P(v));
                    SendEqRow(d.encoders, id, bands, row);
                });
            // Only a low- or high-pass row has an alignment.
            align.refuse = [id, row](const DeviceContext& d, double) {
                const auto bands = LoadEqBands(d.encoders, id);
                const int kind = EqRowKind(bands, id, row);
                if (kind == eq::kCodeLowPass || kind == eq::kCodeHighPass ||
                    bands[static_cast<std::size_t>(row)].code > eq::kCodeHighShelf)
                    return std::string();
                return "row " + std::to_string(row + 1) + " is not a low- or high-pass row";
            };
            t.push_back(align);
        }
    }
}

struct OutputName {
    const char* name;
    const fld::OutputFields* out;
};
constexpr OutputName kOutputNames[5] = {
    {"main", &fld::kMain}, {"rear", &fld::kRear}, {"center", &fld::kCenter}, {"sub", &fld::kSub}, {"top", &fld::kTop}};

void AddOutputs(std::vector<Setting>& t) {
    using U = SettingUnit;
    const char* mixes[4] = {"direct", "reverb", "echo", "music"};
    for (const OutputName& o : kOutputNames) {
        const fld::OutputFields& out = *o.out;
        const std::string name = o.name;
        for (int i = 0; i < 4; ++i) {
            const int field = out.mixDirect() + i;
            const int scale = i == 3 && &out == &fld::kSub ? kSubMusicScale : 1;
            t.push_back(Number(
                name + ".mix." + mixes[i], U::Percent, 0, range::kLevelMax,
                [field, scale](const DeviceContext& d) { return d.store.Int(field) / scale; },
                [field, scale](DeviceContext& d, double v) {
                    d.store.SetInt(field, P(v) * scale);
                    d.encoders.SendField(field);
                }));
        }
        if (out.surround)
            t.push_back(Number(name + ".surround", U::Number, 0, range::kLevelMax, FieldValue(out.surroundVolume()),
                               StoreField(out.surroundVolume())));
        t.push_back(Switch(name + ".mute", SwitchValue(out.mute(), 0), StoreSwitch(out.mute(), 1, 0)));

        // The compressor: each value sends the whole compressor, the times in whole milliseconds.
        // A time below the least (a fresh box holds 0) reads as the least: the quickest response.
        const fld::OutputFields* po = &out;
        t.push_back(Switch(name + ".comp", SwitchValue(out.compBypass(), 1), StoreSwitch(out.compBypass(), 0, 1)));
        struct Stored {
            float threshold, ratio, attack, release;
        };
        const auto stored = [po](const DeviceContext& d) {
            return Stored{d.store.Float(po->compThreshold()), d.store.Float(po->compRatio()),
                          static_cast<float>(Whole(d.store.Float(po->compAttack()))),
                          static_cast<float>(Whole(d.store.Float(po->compRelease())))};
        };
        t.push_back(Number(
            name + ".comp.threshold", U::Decibel, range::kCompThresholdMin, range::kCompThresholdMax,
            [po](const DeviceContext& d) { return Whole(d.store.Float(po->compThreshold())); },
            [po, stored](DeviceContext& d, double v) {
                const Stored s = stored(d);
                d.encoders.Compressor(*po, static_cast<float>(P(v)), s.ratio, s.attack, s.release);
            }));
        t.push_back(Number(
            name + ".comp.ratio", U::Ratio, range::kCompRatioMin / 10.0, range::kCompRatioMax / 10.0,
            [po](const DeviceContext& d) {
                // Below 1:1 (a fresh box holds 0) the encoder sends 1:1.
                const double r = d.store.Float(po->compRatio());
                return RoundedPosition((r >= 1.0 ? r : 1.0) * 10.0) / 10.0;
            },
            [po, stored](DeviceContext& d, double v) {
                const Stored s = stored(d);
                d.encoders.Compressor(*po, s.threshold, static_cast<float>(P(v * 10.0) / 10.0), s.attack, s.release);
            },
            1, 0.1));
        t.push_back(Number(
            name + ".comp.attack", U::Millis, range::kCompAttackMin, range::kCompAttackMax,
            [po](const DeviceContext& d) {
                return std::max(Whole(d.store.Float(po->compAttack())), range::kCompAttackMin);
            },
            [po, stored](DeviceContext& d, double v) {
                const Stored s = stored(d);
                d.encoders.Compressor(*po, s.threshold, s.ratio, static_cast<float>(P(v)), s.release);
            }));
        t.push_back(Number(
            name + ".comp.release", U::Millis, range::kCompReleaseMin, range::kCompReleaseMax,
            [po](const DeviceContext& d) {
                return std::max(Whole(d.store.Float(po->compRelease())), range::kCompReleaseMin);
            },
            [po, stored](DeviceContext& d, double v) {
                const Stored s = stored(d);
                d.encoders.Compressor(*po, s.threshold, s.ratio, s.attack, static_cast<float>(P(v)));
            }));
    }
}

void AddDelays(std::vector<Setting>& t) {
    using U = SettingUnit;
    for (const auto& c : kDelayChannels) {
        const fld::OutputFields* out = c.out;
        const int side = c.side;
        const std::string name = std::string("delay.") + c.name;
        const int delay = side ? out->delayRight() : out->delayLeft();
        const int off = side ? out->delayOffRight() : out->delayOffLeft();
        const int mode = side ? out->delayModeRight() : out->delayModeLeft();
        t.push_back(Number(
            name, U::Millis, range::kDelayMinMs, range::kDelayMaxMs,
            [delay](const DeviceContext& d) {
                return std::isfinite(d.store.Float(delay)) ? d.store.Float(delay) : 1.5;
            },
            [out, side, delay](DeviceContext& d, double v) {
                // Only a change reaches the box.
                if (static_cast<float>(v) != d.store.Float(delay)) d.encoders.OutputDelay(*out, side, v);
            },
            1, 0.1));
        t.push_back(Switch(name + ".on", SwitchValue(off, 1), StoreSwitch(off, 0, 1)));
        Setting delayMode = Choice(name + ".mode", {"high", "whole"}, SwitchValue(mode, 0),
                                   [out, side](DeviceContext& d, double v) { d.encoders.DelayMode(*out, side, P(v)); });
        // The page offers the mode only while the delay is on, as it reads the switch.
        delayMode.refuse = [off](const DeviceContext& d, double) {
            if (d.store.Int(off) != 1) return std::string();
            return std::string("only while the delay is on");
        };
        t.push_back(delayMode);
        Setting crossover = Number(
            name + ".crossover", U::Hertz, prm::CrossoverHighHz(0), prm::CrossoverHighHz(prm::kCrossoverCount - 1),
            [out, side](const DeviceContext& d) {
                return prm::CrossoverHighHz(d.encoders.CurrentCrossoverIndex(*out, side));
            },
            [out, side](DeviceContext& d, double v) {
                d.encoders.ApplyCrossover(*out, side, (P(v) - prm::CrossoverHighHz(0)) / 100);
            },
            0, 100);
        // The page offers the crossover only while the delay is on and delays the high part.
        crossover.refuse = [off, mode](const DeviceContext& d, double) {
            if (d.store.Int(off) == 0 && d.store.Int(mode) == 0) return std::string();
            return std::string("only while the delay is on and its mode is high");
        };
        t.push_back(crossover);
    }
}

void AddPositions(std::vector<Setting>& t) {
    using U = SettingUnit;
    for (int p = 0; p < 9; ++p) {
        for (int axis = 0; axis < 2; ++axis) {
            const int field = axis ? PositionYField(p) : PositionXField(p);
            const int otherField = axis ? PositionXField(p) : PositionYField(p);
            const int roomField = axis ? kRoomLengthField : kRoomWidthField;
            const int otherRoomField = axis ? kRoomWidthField : kRoomLengthField;
            Setting s = Number(
                std::string("position.") + kPositionPoints[p] + (axis ? ".y" : ".x"), U::Metres, -range::kRoomMax / 2.0,
                range::kRoomMax / 2.0, [field](const DeviceContext& d) { return Finite(d.store.Float(field)); },
                [=](DeviceContext& d, double v) {
                    // As typed into the page's boxes: the other box holds the shown value, and
                    // both stay within the room.
                    const double half = std::clamp(d.store.Int(otherRoomField), range::kRoomMin, range::kRoomMax) * 0.5;
                    const double other =
                        std::clamp(std::round(Finite(d.store.Float(otherField)) * 10.0) / 10.0, -half, half);
                    ApplySpeakerPoint(d, p, axis ? other : v, axis ? v : other, kListenerTypedReach);
                },
                1, 0.1);
            s.rangeNote = "within the room: -half..+half of its width (x) or length (y), at most -5.0m..5.0m";
            s.refuse = [roomField](const DeviceContext& d, double v) {
                const int size = std::clamp(d.store.Int(roomField), range::kRoomMin, range::kRoomMax);
                if (std::fabs(v) <= size * 0.5 + 1e-9) return std::string();
                char text[64];
                std::snprintf(text, sizeof text, "-%.1fm..%.1fm in a room %dm %s", size * 0.5, size * 0.5, size,
                              roomField == kRoomWidthField ? "wide" : "long");
                return std::string(text);
            };
            t.push_back(s);
        }
    }
    for (int axis = 0; axis < 2; ++axis) {
        const int field = axis ? kRoomLengthField : kRoomWidthField;
        const int other = axis ? kRoomWidthField : kRoomLengthField;
        t.push_back(Number(
            axis ? "room.length" : "room.width", U::Metres, range::kRoomMin, range::kRoomMax,
            [field](const DeviceContext& d) {
                return std::clamp(d.store.Int(field), range::kRoomMin, range::kRoomMax);
            },
            [axis, other](DeviceContext& d, double v) {
                const int kept = std::clamp(d.store.Int(other), range::kRoomMin, range::kRoomMax);
                ApplyRoomSize(d, axis ? kept : P(v), axis ? P(v) : kept);
            }));
    }
}

// The device settings record. A window stages its values in the edited copy and sends the
// record on "Apply"; set by address, a value is sent at once as the box's record with only
// that byte changed, so nothing a window has staged goes out unasked (the byte is staged too).
using Record = ParameterStore::Settings;
using RecordRead = std::function<double(const Record&)>;
using RecordPut = std::function<void(Record&, double)>;

Setting InRecord(Setting s, RecordRead read, RecordPut put) {
    s.read = [read](const DeviceContext& d) { return read(d.store.EditedSettings()); };
    s.stage = [put](DeviceContext& d, double v) {
        Record edited = d.store.EditedSettings();
        put(edited, v);
        d.store.SetEditedSettings(edited);
    };
    s.apply = [put, stage = s.stage](DeviceContext& d, double v) {
        Record sent = d.store.AppliedSettings();
        put(sent, v);
        stage(d, v);
        d.encoders.WriteSettings(sent);
    };
    return s;
}

std::uint8_t Byte(double v) { return static_cast<std::uint8_t>(std::clamp(P(v), 0, 255)); }

RecordRead RecordFlag(int byte, std::uint8_t bits) {
    return [byte, bits](const Record& r) { return (r[static_cast<std::size_t>(byte)] & bits) != 0 ? 1 : 0; };
}
RecordPut PutFlag(int byte, std::uint8_t bits) {
    return [byte, bits](Record& r, double v) {
        std::uint8_t& b = r[static_cast<std::size_t>(byte)];
        b = v != 0 ? static_cast<std::uint8_t>(b | bits) : static_cast<std::uint8_t>(b & ~bits);
    };
}

void AddDeviceSettings(std::vector<Setting>& t) {
    using U = SettingUnit;
    const auto at = [](int byte) { return static_cast<std::size_t>(byte); };
    t.push_back(InRecord(
        Choice("settings.save-mode", {"power-cycle", "mode"}, {}, {}),
        [at](const Record& r) { return r[at(record::kSaveMode)] == record::kSaveAcrossPower ? 0 : 1; },
        [at](Record& r, double v) {
            r[at(record::kSaveMode)] = v != 0 ? record::kSaveWithMode : record::kSaveAcrossPower;
        }));

    // Power-on volumes 0..99, or "none": the box keeps the level it had.
    std::vector<std::string> volumes;
    for (int v = record::kPowerOnMin; v <= record::kPowerOnMax; ++v) volumes.push_back(std::to_string(v));
    volumes.emplace_back("none");
    const int none = record::kPowerOnMax + 1;
    const struct {
        const char* name;
        const char* what;
        int powerOn, max;
    } channels[2] = {{"mic", "microphone", record::kMicPowerOn, record::kMicMax},
                     {"music", "music", record::kMusicPowerOn, record::kMusicMax}};
    for (const auto& c : channels) {
        const std::string name = std::string("settings.") + c.name;
        const std::size_t powerOn = at(c.powerOn);
        const std::size_t max = at(c.max);
        Setting s = InRecord(
            Choice(name + ".power-on", volumes, {}, {}),
            [powerOn, none](const Record& r) {
                return r[powerOn] == record::kNotSet ? none : std::min<int>(r[powerOn], record::kPowerOnMax);
            },
            [powerOn, none](Record& r, double v) { r[powerOn] = P(v) == none ? record::kNotSet : Byte(v); });
        s.rangeNote = "0..99 or none";
        // The box never powers on above its limit. A window keeps its slider below the
        // limit it is editing instead.
        s.refuse = [max, none, what = std::string(c.what)](const DeviceContext& d, double v) {
            const int limit = d.store.AppliedSettings()[max];
            if (P(v) == none || P(v) <= limit) return std::string();
            return "at most " + std::to_string(limit) + ", the box's " + what + " maximum";
        };
        t.push_back(std::move(s));
        // A lower limit takes a power-on volume above it down with it.
        t.push_back(InRecord(
            Number(name + ".max", U::Number, record::kMaxMin, record::kMaxMax, {}, {}),
            [max](const Record& r) { return std::clamp<int>(r[max], record::kMaxMin, record::kMaxMax); },
            [max, powerOn](Record& r, double v) {
                r[max] = Byte(v);
                if (r[powerOn] != record::kNotSet && r[powerOn] > r[max]) r[powerOn] = r[max];
            }));
    }

    t.push_back(InRecord(Switch("settings.panel-lock", {}, {}), RecordFlag(record::kPanelLock, 0xFF),
                         [at](Record& r, double v) { r[at(record::kPanelLock)] = v != 0 ? 1 : 0; }));
    t.push_back(InRecord(Switch("settings.volume-lock", {}, {}), RecordFlag(record::kLockBits, record::kVolumeLockBits),
                         PutFlag(record::kLockBits, record::kVolumeLockBits)));
    t.push_back(InRecord(Switch("settings.mode-lock", {}, {}), RecordFlag(record::kLockBits, record::kModeLockBit),
                         PutFlag(record::kLockBits, record::kModeLockBit)));
    t.push_back(InRecord(
        Choice("settings.power-on-mode", {"Auto", "M1", "M2", "M3", "M4"}, {}, {}),
        [at](const Record& r) {
            const int mode = r[at(record::kPowerOnMode)];
            return mode < record::kPowerOnModes ? mode : 0;
        },
        [at](Record& r, double v) { r[at(record::kPowerOnMode)] = Byte(v); }));

    // Microphone phase is a parameter, sent at once: the field holds 0 while inverted.
    const int phases[2] = {fld::kMicPhase1, fld::kMicPhase2};
    for (int g = 0; g < 2; ++g)
        t.push_back(Choice("mic.phase." + std::to_string(g + 1), {"normal", "inverted"},
                           SwitchValue(phases[g], kPhaseNormal), StoreSwitch(phases[g], 0, kPhaseNormal)));
}

std::vector<Setting> Build() {
    std::vector<Setting> t;
    AddMaster(t);
    AddMicrophones(t);
    AddEqualisers(t);
    AddOutputs(t);
    AddDelays(t);
    AddPositions(t);
    AddDeviceSettings(t);
    for (Setting& s : t) {
        SettingDescription d = DescribeSetting(s.address);
        s.description = std::move(d.english);
        s.descriptionZh = std::move(d.chinese);
    }
    return t;
}

std::string Decimal(double v, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string s = text;
    if (s == "-0" || s.rfind("-0.", 0) == 0) {
        // No "-0.0" for a value that rounds to nothing.
        if (s.find_first_not_of("-0.") == std::string::npos) s.erase(0, 1);
    }
    return s;
}

}  // namespace

const std::vector<Setting>& AllSettings() {
    static const std::vector<Setting> table = Build();
    return table;
}

const Setting* FindSetting(std::string_view address) {
    static const auto index = [] {
        std::unordered_map<std::string_view, const Setting*> m;
        for (const Setting& s : AllSettings()) m.emplace(s.address, &s);
        return m;
    }();
    const auto it = index.find(address);
    return it == index.end() ? nullptr : it->second;
}

std::string_view UnitSuffix(SettingUnit unit) {
    switch (unit) {
        case SettingUnit::Percent:
            return "%";
        case SettingUnit::Decibel:
            return "dB";
        case SettingUnit::Millis:
            return "ms";
        case SettingUnit::Hertz:
            return "Hz";
        case SettingUnit::Ratio:
            return ":1";
        case SettingUnit::Metres:
            return "m";
        default:
            return "";
    }
}

std::string FormatSetting(const Setting& s, double value) {
    if (s.unit == SettingUnit::Switch || s.unit == SettingUnit::Choice) {
        const int i = P(value);
        if (i < 0 || i >= static_cast<int>(s.choices.size())) return "none";
        return s.choices[static_cast<std::size_t>(i)];
    }
    return Decimal(value, s.decimals) + std::string(UnitSuffix(s.unit));
}

std::optional<double> ParseSetting(const Setting& s, std::string_view text) {
    return ReadTyped(s, text, TypedMode::Exact).value;
}

std::string SettingRange(const Setting& s) {
    if (!s.rangeNote.empty()) return s.rangeNote;
    if (s.unit == SettingUnit::Switch) return "on or off";
    if (s.unit == SettingUnit::Choice) {
        std::string text = "one of ";
        for (int i = P(s.minimum); i <= P(s.maximum); ++i) {
            if (i > P(s.minimum)) text += ", ";
            text += s.choices[static_cast<std::size_t>(i)];
        }
        return text;
    }
    std::string text = FormatSetting(s, s.minimum) + ".." + FormatSetting(s, s.maximum);
    if (std::fabs(s.step - std::pow(10.0, -s.decimals)) > 1e-9) text += " in steps of " + FormatSetting(s, s.step);
    return text;
}

float SpeakerLevelAt(double metres) { return static_cast<float>(3.0 - 3.0 * metres); }

int PositionXField(int point) { return point == kListener ? fld::kListenerX : fld::kSpeakerX1 + point - 1; }
int PositionYField(int point) { return point == kListener ? fld::kListenerY : fld::kSpeakerY1 + point - 1; }

void SendSpeakerLevel(DeviceContext& d, int speaker) {
    if (speaker < 1 || speaker > kSpeakerCount) return;
    const double dx = Finite(d.store.Float(PositionXField(kListener))) - Finite(d.store.Float(PositionXField(speaker)));
    const double dy = Finite(d.store.Float(PositionYField(kListener))) - Finite(d.store.Float(PositionYField(speaker)));
    d.encoders.SpeakerGain(speaker, SpeakerLevelAt(std::sqrt(dx * dx + dy * dy)));
}

void ApplySpeakerPoint(DeviceContext& d, int point, double x, double y, int listenerReach) {
    if (point < kListener || point > kSpeakerCount) return;
    d.store.SetFloat(PositionXField(point), static_cast<float>(x));
    d.store.SetFloat(PositionYField(point), static_cast<float>(y));
    d.encoders.WriteSpeakerPositions();
    if (point != kListener) {
        SendSpeakerLevel(d, point);
        return;
    }
    for (int s = 1; s <= std::min(listenerReach, kSpeakerCount); ++s) SendSpeakerLevel(d, s);
}

void ResetSpeakers(DeviceContext& d) {
    for (int s = 1; s <= kSpeakerCount; ++s) d.encoders.SpeakerGain(s, 0.0f);
    d.store.SetSpeakerPositions(ParameterStore::kDefaultSpeakerPositions);
    d.encoders.WriteSpeakerPositions();
}

void ApplyRoomSize(DeviceContext& d, int width, int length) {
    d.store.SetInt(kRoomWidthField, width);
    d.store.SetInt(kRoomLengthField, length);
    d.encoders.WriteSpeakerPositions();
}

}  // namespace kv
