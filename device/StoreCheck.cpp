#include "device/StoreCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <optional>

#include "device/EqBands.h"
#include "device/Parameters.h"
#include "device/SettingTable.h"
#include "eq/Crossover.h"
#include "eq/EqMath.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

constexpr int kMicInputs = 4;
constexpr int kSources = 3;
constexpr int kPoints = 9;  // the listener and eight speakers
constexpr int kRoomWidthField = fld::kSpeakerRaw0;
constexpr int kRoomLengthField = fld::kSpeakerRaw1;
constexpr int kGainCodeMax = static_cast<int>((eqband::kMaxGain - eqband::kMinGain) * 10.0 + 0.5);
constexpr double kDescriptorScale = 1000.0;  // Q codes are thousandths

const Setting& S(const std::string& address) {
    const Setting* s = FindSetting(address);
    if (!s) std::abort();  // a name below that the table lacks: a fault of this file
    return *s;
}

std::string Number(double v, int decimals = 0) {
    if (std::isnan(v)) return "NaN";
    if (std::isinf(v)) return v > 0 ? "+inf" : "-inf";
    char text[64];
    if (std::fabs(v) >= 1e12) {
        std::snprintf(text, sizeof text, "%g", v);
    } else {
        std::snprintf(text, sizeof text, "%.*f", decimals, v);
    }
    return text;
}

// "NaN ms" rather than "NaNms": a word, not a number, before the unit.
std::string WithUnit(double v, const std::string& number, std::string_view unit) {
    return number + (std::isfinite(v) || unit.empty() ? "" : " ") + std::string(unit);
}

// A stored value as the setting's page shows it; huge and non-finite values as numbers.
std::string Shown(const Setting& s, double v) {
    if (s.unit == SettingUnit::Switch || s.unit == SettingUnit::Choice) return Number(v);
    if (!std::isfinite(v) || std::fabs(v) >= 1e12) return WithUnit(v, Number(v), UnitSuffix(s.unit));
    return FormatSetting(s, v);
}

double RoundTo(double v, int decimals) {
    const double k = std::pow(10.0, decimals);
    return std::round(v * k) / k;
}

// The start-up value of a field. A fresh box holds these too, and files saved from one carry
// them, so they count as in range even where a page's range leaves them out (delays of 0 ms,
// compressor times of 0 ms, gate times and echo decays of 0): the encoders already send them
// within the box's limits.
bool IsStartUpValue(const ParameterStore& s, int field) {
    static const ParameterStore defaults;
    return s.Raw(field) == defaults.Raw(field);
}

class Checker {
public:
    Checker(const ParameterStore& store, ParameterStore* target) : m_s(store), m_w(target) {}

    std::vector<OutOfRange> Run() {
        Master();
        Microphones();
        Effects();
        EqBypasses();
        Outputs();
        Equalisers();
        Positions();
        return std::move(m_out);
    }

private:
    void Add(const std::string& address, std::string file, std::string used, const std::function<void()>& fix) {
        m_out.push_back({address, std::move(file), std::move(used)});
        if (m_w) fix();
    }

    // An integer field within lo..hi of its setting, stored scaled.
    void IntField(const std::string& address, int field, double maxCap = std::numeric_limits<double>::infinity(),
                  int scale = 1) {
        const Setting& s = S(address);
        const auto lo = static_cast<std::int64_t>(std::llround(s.minimum)) * scale;
        const auto hi = static_cast<std::int64_t>(std::llround(std::min(s.maximum, maxCap))) * scale;
        const std::int64_t v = m_s.Int(field);
        if ((v >= lo && v <= hi) || IsStartUpValue(m_s, field)) return;
        const std::int64_t used = std::clamp(v, lo, hi);
        // A scaled value between two steps shows its fraction: 301 of the SUB's music mix is 100.33%.
        const std::string file = v % scale == 0
                                     ? Shown(s, static_cast<double>(v) / scale)
                                     : Number(static_cast<double>(v) / scale, 2) + std::string(UnitSuffix(s.unit));
        Add(address, file, Shown(s, static_cast<double>(used) / scale),
            [this, field, used] { m_w->SetInt(field, static_cast<std::int32_t>(used)); });
    }

    // A switch held as one of two values; anything else goes to the nearer one, or to
    // `safe` where one side is safer (a mute to muted).
    void TwoValued(const std::string& address, int field, int a, int b, std::optional<int> safe = std::nullopt,
                   const Setting* setting = nullptr, int offValue = 0) {
        const std::int64_t v = m_s.Int(field);
        if (v == a || v == b) return;
        const int lo = std::min(a, b), hi = std::max(a, b);
        const int used = safe ? *safe : (v <= lo ? lo : v >= hi ? hi : (v - lo) * 2 < (hi - lo) ? lo : hi);
        const std::string usedText =
            setting ? FormatSetting(*setting, used != offValue ? 1 : 0) + " (" + std::to_string(used) + ")"
                    : std::to_string(used);
        Add(address, std::to_string(v), usedText, [this, field, used] { m_w->SetInt(field, used); });
    }
    void Switch(const std::string& address, int field, int offValue, std::optional<int> safe = std::nullopt) {
        TwoValued(address, field, 0, 1, safe, &S(address), offValue);
    }
    void Mute(const std::string& address, int field) { TwoValued(address, field, 0, 1, 1, &S(address), 0); }
    void Plain01(const std::string& name, int field) { TwoValued(name, field, 0, 1); }

    // A float field of a number setting: in range as the setting shows it; not a number
    // goes to `nanValue`.
    void FloatField(const std::string& address, int field, double nanValue, double shownOffset = 0.0) {
        const Setting& s = S(address);
        const double v = m_s.Float(field);
        const double shown = v + shownOffset;
        if (IsStartUpValue(m_s, field)) return;
        if (std::isfinite(shown) && RoundTo(shown, s.decimals) >= s.minimum - 1e-9 &&
            RoundTo(shown, s.decimals) <= s.maximum + 1e-9)
            return;
        const double used = std::isnan(shown) ? nanValue : std::clamp(shown, s.minimum, s.maximum);
        Add(address, Shown(s, shown), Shown(s, used),
            [this, field, used, shownOffset] { m_w->SetFloat(field, static_cast<float>(used - shownOffset)); });
    }

    // Two fields each holding half of a total.
    void Halves(const std::string& address, int first) {
        const Setting& s = S(address);
        const double total = double{m_s.Float(first)} + double{m_s.Float(first + 1)};
        if (IsStartUpValue(m_s, first) && IsStartUpValue(m_s, first + 1)) return;
        if (std::isfinite(total) && std::round(total) >= s.minimum && std::round(total) <= s.maximum &&
            std::isfinite(m_s.Float(first)) && std::isfinite(m_s.Float(first + 1)))
            return;
        const double used = std::isfinite(total) ? std::clamp(total, s.minimum, s.maximum) : s.minimum;
        Add(address, Shown(s, total), Shown(s, used), [this, first, used] {
            m_w->SetFloat(first, static_cast<float>(used / 2.0));
            m_w->SetFloat(first + 1, static_cast<float>(used / 2.0));
        });
    }

    void Master() {
        const auto applied = m_s.AppliedSettings();
        IntField("mic.level", fld::kMicVolume, applied[range::kMicMaxByte]);
        Mute("mic.mute", fld::kMicMute);
        IntField("reverb.level", fld::kReverbVolume);
        Mute("reverb.mute", fld::kReverbMute);
        IntField("echo.level", fld::kEchoVolume);
        Mute("echo.mute", fld::kEchoMute);
        IntField("music.level", fld::kMusicVolume, applied[range::kMusicMaxByte]);
        Mute("music.mute", fld::kMusicMute);
        const char* sources[kSources] = {"spdif", "aux1", "aux2"};
        for (int i = 0; i < kSources; ++i) {
            const std::string name = sources[i];
            IntField(name + ".level", fld::kSpdifVolume + i);
            TwoValued(name + ".on", fld::kSpdifOn + i, 0, range::kSourceOn, std::nullopt, &S(name + ".on"));
        }
        IntField("music.gate", fld::kMusicNoiseGate);
        {
            // The box's command set fixes the pitch's reach.
            const Setting& s = S("music.pitch");
            const int reach = m_s.CommandSetVersion() == range::kCommandSetV8 ? range::kPitchV8 : range::kPitch;
            const std::int64_t v = m_s.Int(fld::kMusicPitch);
            if (v < -reach || v > reach) {
                const int used = v < 0 ? -reach : reach;
                Add(s.address, Shown(s, static_cast<double>(v)), Shown(s, used),
                    [this, used] { m_w->SetInt(fld::kMusicPitch, used); });
            }
        }
        for (const auto& g : kGateTimeFields) {
            const Setting& s = S(g.address);
            const std::int64_t v = m_s.Int(g.field);
            const std::int64_t p = range::kGateTimeFlip - v;  // the position the page shows
            if ((p >= s.minimum && p <= s.maximum) || IsStartUpValue(m_s, g.field)) continue;
            const auto used = std::clamp<std::int64_t>(p, std::llround(s.minimum), std::llround(s.maximum));
            const int field = g.field;
            Add(g.address, Shown(s, static_cast<double>(p)), Shown(s, static_cast<double>(used)),
                [this, field, used] { m_w->SetInt(field, static_cast<std::int32_t>(range::kGateTimeFlip - used)); });
        }
        Switch("music.agc", fld::kMusicAgc, 0);
        // Not a number goes to the box's neutral level, shown as 0 dB.
        FloatField("music.agc.level", fld::kMusicAgcLevel, 0.0, range::kAgcShownOffsetDb);
        Switch("autosub", fld::kAutoSubEnabled, 0);
        IntField("autosub.ratio", fld::kAutoSubRatio);
    }

    void Microphones() {
        for (int i = 0; i < kMicInputs; ++i) {
            const std::string name = "mic." + std::to_string(i + 1);
            TwoValued(name + ".route", fld::kMicChAShare1 + i, 0, range::kSourceOn, std::nullopt, &S(name + ".route"));
            TwoValued(name + ".share.b", fld::kMicChBShare1 + i, 0, range::kSourceOn);
            IntField(name + ".gate", fld::kMicNoiseGate1 + i);
            IntField(name + ".level", fld::kMicInputVolume1 + i);
        }
        Plain01("mic.phase.1", fld::kMicPhase1);
        Plain01("mic.phase.2", fld::kMicPhase2);
        for (int ch = 0; ch < 2; ++ch) {
            const std::string name = ch ? "micb" : "mica";
            const int shift = ch ? fld::kMicChBShift : fld::kMicChAShift;
            // 0 and 1 are both off; the table's choices start at 1.
            const std::int64_t v = m_s.Int(shift);
            const int top = static_cast<int>(prm::kShiftDelayMs.size()) - 1;
            if (v < 0 || v > top) {
                const int used = v < 0 ? 0 : top;
                Add(name + ".shift", std::to_string(v), FormatSetting(S(name + ".shift"), used),
                    [this, shift, used] { m_w->SetInt(shift, used); });
            }
            Plain01(name + ".shift.bypass", ch ? fld::kMicChBShiftBypass : fld::kMicChAShiftBypass);
        }
    }

    void Effects() {
        for (int ch = 0; ch < 2; ++ch) {
            const std::string name = ch ? "micb" : "mica";
            const auto pick = [ch](int a, int b) { return ch ? b : a; };
            IntField(name + ".reverb.level", pick(fld::kReverbChALevel, fld::kReverbChBLevel));
            Halves(name + ".reverb.predelay", pick(fld::kReverbChAPredelay1, fld::kReverbChBPredelay1));
            {
                // A float holding the setting's index.
                const Setting& s = S(name + ".reverb.time");
                const int field = pick(fld::kReverbChATime, fld::kReverbChBTime);
                const double v = m_s.Float(field);
                if (!(std::isfinite(v) && std::round(v) >= s.minimum && std::round(v) <= s.maximum)) {
                    const double used = std::isnan(v) ? s.minimum : std::clamp(v, s.minimum, s.maximum);
                    Add(s.address, "setting " + Number(v), FormatSetting(s, used),
                        [this, field, used] { m_w->SetFloat(field, static_cast<float>(used)); });
                }
            }
            IntField(name + ".echo.level", pick(fld::kEchoChALevel, fld::kEchoChBLevel));
            Halves(name + ".echo.predelay", pick(fld::kEchoChAPredelay1, fld::kEchoChBPredelay1));
            FloatField(name + ".echo.time", pick(fld::kEchoChATime, fld::kEchoChBTime), S(name + ".echo.time").minimum);
            IntField(name + ".echo.start", pick(fld::kEchoChAStartVol, fld::kEchoChBStartVol));
            IntField(name + ".echo.decay", pick(fld::kEchoChADecay, fld::kEchoChBDecay));
        }
    }

    void EqBypasses() {
        for (const EqInfo& e : kEqualisers) Switch("eq." + std::string(EqName(e.id)) + ".bypass", e.bypassField, 0);
    }

    void Outputs() {
        const char* mixes[4] = {"direct", "reverb", "echo", "music"};
        const struct {
            const char* name;
            const fld::OutputFields* out;
        } outputs[5] = {{"main", &fld::kMain},
                        {"rear", &fld::kRear},
                        {"center", &fld::kCenter},
                        {"sub", &fld::kSub},
                        {"top", &fld::kTop}};
        for (const auto& o : outputs) {
            const std::string name = o.name;
            const fld::OutputFields& out = *o.out;
            for (int i = 0; i < 4; ++i) {
                const int scale = i == 3 && &out == &fld::kSub ? range::kSubMusicScale : 1;
                IntField(name + ".mix." + mixes[i], out.mixDirect() + i, std::numeric_limits<double>::infinity(),
                         scale);
            }
            if (out.surround) IntField(name + ".surround", out.surroundVolume());
            Mute(name + ".mute", out.mute());
            Switch(name + ".comp", out.compBypass(), 1);
            // Not a number leaves the compressor as gentle as it goes.
            FloatField(name + ".comp.threshold", out.compThreshold(), S(name + ".comp.threshold").maximum);
            FloatField(name + ".comp.ratio", out.compRatio(), S(name + ".comp.ratio").minimum);
            FloatField(name + ".comp.attack", out.compAttack(), S(name + ".comp.attack").minimum);
            FloatField(name + ".comp.release", out.compRelease(), S(name + ".comp.release").minimum);
        }
        for (const auto& d : kDelayChannels) {
            const std::string name = std::string("delay.") + d.name;
            const fld::OutputFields& out = *d.out;
            FloatField(name, d.side ? out.delayRight() : out.delayLeft(), S(name).minimum);
            Switch(name + ".on", d.side ? out.delayOffRight() : out.delayOffLeft(), 1);
            const int modeField = d.side ? out.delayModeRight() : out.delayModeLeft();
            Switch(name + ".mode", modeField, 0);
            Crossover(name + ".crossover", out, d.side, modeField);
        }
    }

    // The crossover pair of a delay: its high-pass slot names one of the fixed frequencies.
    void Crossover(const std::string& address, const fld::OutputFields& out, int side, int modeField) {
        const int slot = prm::OutputParamsOf(out).crossoverSlot[side];
        const BandDescriptor high = m_s.ReadBand(out.module, slot);
        if (high.code == eq::kCodeOff) return;  // blank memory
        int nearest = 0;
        for (int i = 0; i < prm::kCrossoverCount; ++i) {
            if (prm::CrossoverHighHz(i) == high.frequencyHz) return;
            if (std::abs(prm::CrossoverHighHz(i) - high.frequencyHz) <
                std::abs(prm::CrossoverHighHz(nearest) - high.frequencyHz))
                nearest = i;
        }
        const Setting& s = S(address);
        Add(address, Shown(s, high.frequencyHz), Shown(s, prm::CrossoverHighHz(nearest)),
            [this, &out, slot, nearest, modeField] {
                // As the delay-mode encoder writes the pair: flat while the whole channel is delayed.
                const bool flat = m_w->Int(modeField) != 0;
                m_w->WriteBand(out.module, slot,
                               BandDescriptor{0.0, prm::CrossoverHighHz(nearest), prm::kCrossoverQ,
                                              flat ? eq::kCodePeaking : eq::kCodeHighPass});
                m_w->WriteBand(out.module, slot + 1,
                               BandDescriptor{0.0, prm::CrossoverLowHz(nearest), prm::kCrossoverQ,
                                              flat ? eq::kCodePeaking : eq::kCodeLowPass});
            });
    }

    // Every band of every equaliser, from the descriptor's own codes: the page's loading
    // clamps and would hide them.
    void Equalisers() {
        const auto image = m_s.GetEqImage();
        for (const EqInfo& e : kEqualisers) {
            const std::string name = "eq." + std::string(EqName(e.id));
            for (int b = 0; b < e.bands; ++b) {
                std::string band = name + "." + std::to_string(b + 1);
                if (e.id == EqId::Sub && b >= eq::kFirstStageBand) {
                    const int stage = b - eq::kFirstStageBand;
                    band = name + "." + std::to_string(stage / eq::kStagesPerRow + 1) + ".stage" +
                           std::to_string(stage % eq::kStagesPerRow + 1);
                }
                const int slot = e.firstSlot + EqDeviceBand(e.id, b);
                const auto at = static_cast<std::size_t>(EqBase(e.module) + kBandDescriptorSize * slot);
                Band(band, e.id, image, at);
            }
        }
    }

    void Band(const std::string& band, EqId id, const ParameterStore::EqImage& image, std::size_t at) {
        const int gain = GetBe16(&image[at]);
        const int freq = GetBe16(&image[at + 2]);
        const int q = GetBe16(&image[at + 4]);
        int code = image[at + 6];
        const auto put16 = [this, at](std::size_t offset, int v) {
            auto img = m_w->GetEqImage();
            PutBe16(&img[at + offset], static_cast<std::uint16_t>(v));
            m_w->SetEqImage(img);
        };
        if (code > HighestCodeOf(id)) {
            Add(band + ".kind", "code " + std::to_string(code), "OFF", [this, at] {
                auto img = m_w->GetEqImage();
                img[at + 6] = eq::kCodeOff;
                m_w->SetEqImage(img);
            });
            code = eq::kCodeOff;
        }
        if (gain > kGainCodeMax) {
            Add(band + ".gain", Number(gain / 10.0 + eqband::kMinGain, 1) + "dB", Number(eqband::kMaxGain, 1) + "dB",
                [put16] { put16(0, kGainCodeMax); });
        }
        if (code == eq::kCodeOff) return;  // an off band designs no section from its values
        const int fLo = static_cast<int>(eqband::kMinFrequency), fHi = static_cast<int>(eqband::kMaxFrequency);
        if (freq < fLo || freq > fHi) {
            const int used = std::clamp(freq, fLo, fHi);
            Add(band + ".freq", std::to_string(freq) + "Hz", std::to_string(used) + "Hz",
                [put16, used] { put16(2, used); });
        }
        const int qLo = static_cast<int>(std::lround(eqband::kMinQ * kDescriptorScale));
        const int qHi = static_cast<int>(std::lround(MaxQOf(code) * kDescriptorScale));
        if (q < qLo || q > qHi) {
            const int used = std::clamp(q, qLo, qHi);
            Add(band + ".q", Number(q / kDescriptorScale, 3), Number(used / kDescriptorScale, 3),
                [put16, used] { put16(4, used); });
        }
    }

    void Positions() {
        // The room first: the positions' range depends on it.
        const std::size_t before = m_out.size();
        int room[2];
        for (int axis = 0; axis < 2; ++axis) {
            const std::string address = axis ? "room.length" : "room.width";
            const int field = axis ? kRoomLengthField : kRoomWidthField;
            const Setting& s = S(address);
            const int v = m_s.Int(field);
            room[axis] = std::clamp(v, static_cast<int>(s.minimum), static_cast<int>(s.maximum));
            if (v != room[axis]) {
                const int used = room[axis];
                Add(address, Shown(s, v), Shown(s, used), [this, field, used] { m_w->SetInt(field, used); });
            }
        }
        const char* points[kPoints] = {"listener", "main.l", "center", "main.r", "rear.l",
                                       "sub",      "rear.r", "top.l",  "top.r"};
        bool moved = m_out.size() != before;
        for (int p = 0; p < kPoints; ++p) {
            for (int axis = 0; axis < 2; ++axis) {
                const std::string address = std::string("position.") + points[p] + (axis ? ".y" : ".x");
                const Setting& s = S(address);
                const int field = axis ? PositionYField(p) : PositionXField(p);
                const double half = std::min(s.maximum, room[axis] * 0.5);  // x across the width, y along the length
                const double v = m_s.Float(field);
                if (std::isfinite(v) && std::fabs(RoundTo(v, s.decimals)) <= half + 1e-9) continue;
                const double used = std::isnan(v) ? 0.0 : std::clamp(v, -half, half);
                moved = true;
                Add(address, Shown(s, v), Shown(s, used),
                    [this, field, used] { m_w->SetFloat(field, static_cast<float>(used)); });
            }
        }
        if (m_w && moved) m_w->EncodeSpeakerPositionsFromFields();

        // The gains the positions give: 3 dB at the listener, less with distance.
        const double farthest = std::hypot(range::kRoomMax, range::kRoomMax);
        const double top = SpeakerLevelAt(0.0), bottom = SpeakerLevelAt(farthest);
        const auto gains = m_s.GetSpeakerGains();
        for (int speaker = 1; speaker <= prm::kSpeakers; ++speaker) {
            const auto offset =
                static_cast<std::size_t>(prm::kSpeakerChannels[static_cast<std::size_t>(speaker - 1)].gainOffset);
            const double v = GetBeFloat(&gains[offset]);
            if (std::isfinite(v) && v >= bottom - 1e-6 && v <= top + 1e-6) continue;
            const double used = std::isnan(v) ? 0.0 : std::clamp(v, bottom, top);
            Add("speaker." + std::to_string(speaker) + ".gain", WithUnit(v, Number(v, 2), "dB"), Number(used, 2) + "dB",
                [this, offset, used] {
                    auto block = m_w->GetSpeakerGains();
                    PutBeFloat(&block[offset], static_cast<float>(used));
                    m_w->SetSpeakerGains(block);
                });
        }
    }

    const ParameterStore& m_s;
    ParameterStore* m_w;
    std::vector<OutOfRange> m_out;
};

}  // namespace

std::vector<OutOfRange> CheckStore(const ParameterStore& store) { return Checker(store, nullptr).Run(); }

std::vector<OutOfRange> ClampStore(ParameterStore& store) {
    // Checked against the values as they arrived; each fix touches only its own value.
    return Checker(store, &store).Run();
}

std::string DescribeOutOfRange(const OutOfRange& o) { return o.address + ": " + o.fileValue + " -> " + o.usedValue; }

}  // namespace kv
