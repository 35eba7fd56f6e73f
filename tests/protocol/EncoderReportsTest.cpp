// Every encoder called with the link open: the whole unfiltered transcript it leaves at the
// box, report by report, so a wrong address, value, count or order fails. Coefficients come
// from the independent table (CoefficientTable.h).

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <string>

#include "BoxFixture.h"
#include "CoefficientTable.h"
#include "device/Parameters.h"
#include "eq/EqMath.h"
#include "model/Bytes.h"

namespace kv::test {
namespace {

using Reports = std::vector<Report>;

struct Row {
    std::string name;
    std::function<void(Encoders&, ParameterStore&)> act;
    std::function<Reports()> expected;
    int version = 9;
};

Report Desc(int module, int slot, int gainCode, int hz, int qCode, int code) {
    std::vector<std::uint8_t> d(7);
    PutBe16(&d[0], static_cast<std::uint16_t>(gainCode));
    PutBe16(&d[2], static_cast<std::uint16_t>(hz));
    PutBe16(&d[4], static_cast<std::uint16_t>(qCode));
    d[6] = static_cast<std::uint8_t>(code);
    return BuildMemoryWrite(EqBase(module) + 7 * slot, d);
}

// One band change: its descriptor, directly followed by its coefficients.
void AddBand(Reports& r, int module, int slot, const TableBand& b) {
    r.push_back(Desc(module, slot, b.gainCode, b.freq, b.qCode, b.code));
    r.push_back(CoefficientWrite(module, slot, b));
}

float Coeff(double ms) { return static_cast<float>(1.0 - std::exp(-1.0 / (ms * 48.0))); }

struct Channel {
    const char* name;
    const fld::OutputFields* out;
    int side, module, delayParam, delayModeParam, crossoverSlot;
};
const Channel kChannels[] = {
    {"MainLeft", &fld::kMain, 0, 5, 35, 39, 24}, {"MainRight", &fld::kMain, 1, 5, 36, 40, 26},
    {"RearLeft", &fld::kRear, 0, 6, 21, 25, 10}, {"RearRight", &fld::kRear, 1, 6, 22, 26, 12},
    {"TopLeft", &fld::kTop, 0, 9, 21, 25, 10},   {"TopRight", &fld::kTop, 1, 9, 22, 26, 12},
    {"Center", &fld::kCenter, 0, 7, 19, 21, 10}, {"Sub", &fld::kSub, 0, 8, 29, 31, 20},
};

struct Output {
    const char* name;
    const fld::OutputFields* out;
    int module, eqBypass, compressor;
};
const Output kOutputs[] = {{"Main", &fld::kMain, 5, 32, 33},
                           {"Rear", &fld::kRear, 6, 18, 19},
                           {"Top", &fld::kTop, 9, 18, 19},
                           {"Center", &fld::kCenter, 7, 16, 17},
                           {"Sub", &fld::kSub, 8, 26, 27}};

struct Equaliser {
    const char* name;
    EqId id;
    int module, firstSlot, bypassParam;
    std::vector<int> resetHz;
};
const std::vector<int> kHz15{25, 40, 63, 100, 160, 250, 400, 630, 1000, 1600, 2500, 4000, 6300, 10000, 16000};
const std::vector<int> kHz7{31, 62, 125, 250, 500, 1000, 2000};
const std::vector<int> kHz10{31, 62, 125, 250, 500, 1000, 2000, 4000, 8000, 16000};
const std::vector<int> kHz24{25,   36,   50,   75,   100,  150,  200,  260,  360,  485,   630,   860,
                             1088, 1396, 1680, 2160, 2800, 3586, 5096, 6868, 8288, 11010, 14566, 20000};
const std::vector<int> kSubHz{20, 20, 20, 20, 31, 31, 31, 31, 40, 40, 40, 40, 62, 62, 62, 62};
const Equaliser kEqs[] = {
    {"MicA", EqId::MicA, 1, 0, 37, kHz15},      {"MicB", EqId::MicB, 1, 15, 50, kHz15},
    {"EchoA", EqId::EchoA, 2, 0, 14, kHz7},     {"EchoB", EqId::EchoB, 2, 7, 21, kHz7},
    {"ReverbA", EqId::ReverbA, 3, 0, 14, kHz7}, {"ReverbB", EqId::ReverbB, 3, 7, 20, kHz7},
    {"Music", EqId::Music, 4, 0, 20, kHz15},    {"Main", EqId::Main, 5, 0, 32, kHz24},
    {"Rear", EqId::Rear, 6, 0, 18, kHz10},      {"Center", EqId::Center, 7, 0, 16, kHz10},
    {"Sub", EqId::Sub, 8, 0, 26, kSubHz},       {"Top", EqId::Top, 9, 0, 18, kHz10},
};

// Speaker 1..8: module, parameter and where its gain sits in the speaker-gain block.
struct Speaker {
    int module, parameter, blockOffset;
};
const Speaker kSpeakers[8] = {{5, 42, 0},  {7, 23, 16}, {5, 43, 4},  {6, 28, 8},
                              {8, 33, 20}, {6, 29, 12}, {9, 28, 24}, {9, 29, 28}};

Report SpeakerGainWrite(int speaker, double x) {
    const double c = std::pow(10.0, (0.0022594517 * x * x + 0.7999020 * x) / 20.0);
    const double d = std::pow(10.0, x / 20.0);
    const auto fc = static_cast<float>(c), fd = static_cast<float>(d);
    std::vector<ParamValue> v{ParamValue::FromFloat(fc), ParamValue::FromFloat(fd), ParamValue{0x3F7EFF25},
                              ParamValue{0xBFFF7EF1},    ParamValue::FromFloat(fc), ParamValue::FromFloat(fd)};
    const Speaker& s = kSpeakers[speaker - 1];
    return BuildParamWrite(s.module, s.parameter, v);
}

Report Command(std::initializer_list<std::uint8_t> bytes) { return BuildCommand(bytes); }

std::vector<Row> Rows() {
    std::vector<Row> rows;
    auto add = [&](std::string name, std::function<void(Encoders&, ParameterStore&)> act,
                   std::function<Reports()> expected, int version = 9) {
        rows.push_back({std::move(name), std::move(act), std::move(expected), version});
    };

    // Generic writes.
    add(
        "FloatParamWrite", [](Encoders& e, auto&) { e.FloatParamWrite(4, 16, 0.5f, 2); },
        [] {
            return Reports{Floats(4, 16, {0.5f, 0.5f})};
        });
    add(
        "RawParamWrite",
        [](Encoders& e, auto&) {
            const ParamValue v[2] = {ParamValue{0x01020304}, ParamValue{0xA0B0C0D0}};
            e.RawParamWrite(6, 33, v);
        },
        [] {
            return Reports{Ints(6, 33, {0x01020304, static_cast<std::int32_t>(0xA0B0C0D0)})};
        });

    // Microphones.
    add(
        "MicLevel", [](Encoders& e, auto&) { e.MicLevel(37); },
        [] {
            return Reports{Floats(1, 30, {0.37f}), Floats(1, 43, {0.37f})};
        });
    add(
        "MicMute", [](Encoders& e, auto&) { e.MicMute(1); },
        [] {
            return Reports{Floats(1, 42, {0.0f}), Floats(1, 55, {0.0f})};
        });
    add(
        "MicUnmute", [](Encoders& e, auto&) { e.MicMute(0); },
        [] {
            return Reports{Floats(1, 42, {1.0f}), Floats(1, 55, {1.0f})};
        });
    for (int i = 1; i <= 4; ++i)
        add(
            "MicInputVolume" + std::to_string(i), [i](Encoders& e, auto&) { e.MicInputVolume(i, 30 + i); },
            [i] { return Reports{Floats(1, 55 + i, {static_cast<float>((30 + i) / 100.0)})}; });
    add(
        "MicNoiseGate4", [](Encoders& e, auto&) { e.MicNoiseGate4(25); },
        [] { return Reports{Floats(1, 63, {0.0025f})}; });
    add(
        "MicEqBypassA", [](Encoders& e, auto&) { e.MicEqBypass(0, 1); }, [] { return Reports{Ints(1, 37, {1})}; });
    add(
        "MicEqBypassB", [](Encoders& e, auto&) { e.MicEqBypass(1, 1); }, [] { return Reports{Ints(1, 50, {1})}; });
    add(
        "MicPhaseGroup1", [](Encoders& e, auto&) { e.MicPhase(0, 0); }, [] { return Reports{Ints(1, 41, {0})}; });
    add(
        "MicPhaseGroup2", [](Encoders& e, auto&) { e.MicPhase(1, 1); }, [] { return Reports{Ints(1, 54, {1})}; });
    add(
        "FrequencyShiftA5", [](Encoders& e, auto&) { e.FrequencyShift(0, 5); },
        [] {
            return Reports{Ints(1, 40, {0}), Floats(1, 38, {static_cast<float>(5 * 6.283185307179586 / 48000)}),
                           Ints(1, 39, {1200})};
        });
    add(
        "FrequencyShiftB2", [](Encoders& e, auto&) { e.FrequencyShift(1, 2); },
        [] {
            return Reports{Ints(1, 53, {0}), Floats(1, 51, {static_cast<float>(2 * 6.283185307179586 / 48000)}),
                           Ints(1, 52, {4800})};
        });
    add(
        "FrequencyShiftB4", [](Encoders& e, auto&) { e.FrequencyShift(1, 4); },
        [] {
            return Reports{Ints(1, 53, {0}), Floats(1, 51, {static_cast<float>(4 * 6.283185307179586 / 48000)}),
                           Ints(1, 52, {1800})};
        });
    add(
        "AutoSub", [](Encoders& e, auto&) { e.AutoSub(1); }, [] { return Reports{Ints(1, 67, {1})}; });
    add(
        "AutoSubRatio", [](Encoders& e, auto&) { e.AutoSubRatio(45); }, [] { return Reports{Floats(1, 68, {0.45f})}; });

    // Echo and reverb.
    add(
        "EchoPredelayB", [](Encoders& e, auto&) { e.EchoPredelay(1, 7.0); },
        [] {
            return Reports{Ints(2, 23, {168}), Ints(2, 24, {168})};
        });
    add(
        "ReverbPredelayA", [](Encoders& e, auto&) { e.ReverbPredelay(0, 2.0); },
        [] {
            return Reports{Ints(3, 16, {72}), Ints(3, 17, {72})};
        });
    add(
        "EchoTimeA", [](Encoders& e, auto&) { e.EchoTime(0, 217.0); }, [] { return Reports{Ints(2, 18, {10416})}; });
    add(
        "EchoTimeBBelowTheLeast", [](Encoders& e, auto&) { e.EchoTime(1, 39.0); },
        [] { return Reports{Ints(2, 25, {1920})}; });
    add(
        "ReverbTimeA", [](Encoders& e, auto&) { e.ReverbTime(0, 37); },
        [] {
            return Reports{Floats(3, 18, {0.37f}), Floats(3, 19, {0.37f})};
        });
    add(
        "ReverbTimeB", [](Encoders& e, auto&) { e.ReverbTime(1, 80); },
        [] {
            return Reports{Floats(3, 24, {0.8f}), Floats(3, 25, {0.8f})};
        });
    add(
        "EchoEqBypassA", [](Encoders& e, auto&) { e.EchoEqBypass(0, 1); }, [] { return Reports{Ints(2, 14, {1})}; });
    add(
        "EchoEqBypassB", [](Encoders& e, auto&) { e.EchoEqBypass(1, 1); }, [] { return Reports{Ints(2, 21, {1})}; });
    add(
        "ReverbEqBypassA", [](Encoders& e, auto&) { e.ReverbEqBypass(0, 1); },
        [] { return Reports{Ints(3, 14, {1})}; });
    add(
        "ReverbEqBypassB", [](Encoders& e, auto&) { e.ReverbEqBypass(1, 1); },
        [] { return Reports{Ints(3, 20, {1})}; });

    // Music.
    add(
        "MusicLevel", [](Encoders& e, auto&) { e.MusicLevel(64); },
        [] {
            return Reports{Floats(4, 15, {0.64f, 0.64f, 0.64f, 0.64f, 0.64f, 0.64f})};
        });
    add(
        "MusicEqBypass", [](Encoders& e, auto&) { e.MusicEqBypass(1); }, [] { return Reports{Ints(4, 20, {1})}; });
    add(
        "MusicPitchLowestV9", [](Encoders& e, auto&) { e.MusicPitch(-5); }, [] { return Reports{Ints(4, 23, {0})}; });
    add(
        "MusicPitchHighestV9", [](Encoders& e, auto&) { e.MusicPitch(12); }, [] { return Reports{Ints(4, 23, {17})}; });
    add(
        "MusicPitchZeroV8", [](Encoders& e, auto&) { e.MusicPitch(0); },
        [] {
            const ParamValue pair[2] = {ParamValue::FromInt(480), ParamValue{0}};
            return Reports{Ints(4, 21, {1}), Ints(4, 22, {1}), BuildParamWrite(4, 23, pair),
                           BuildParamWrite(4, 24, pair)};
        },
        8);
    add(
        "MusicPitchLowestV8", [](Encoders& e, auto&) { e.MusicPitch(-12); },
        [] {
            const ParamValue pair[2] = {ParamValue::FromInt(480), ParamValue{0xC3A0B6F9}};
            return Reports{Ints(4, 21, {0}), Ints(4, 22, {0}), BuildParamWrite(4, 23, pair),
                           BuildParamWrite(4, 24, pair)};
        },
        8);
    add(
        "MusicPitchHighestV8", [](Encoders& e, auto&) { e.MusicPitch(12); },
        [] {
            const ParamValue pair[2] = {ParamValue::FromInt(712), ParamValue{0x43AC3FD3}};
            return Reports{Ints(4, 21, {0}), Ints(4, 22, {0}), BuildParamWrite(4, 23, pair),
                           BuildParamWrite(4, 24, pair)};
        },
        8);
    add(
        "MusicPitchV7SendsNothing", [](Encoders& e, auto&) { e.MusicPitch(3); }, [] { return Reports{}; }, 7);
    add(
        "MusicAgcV9", [](Encoders& e, auto&) { e.MusicAgc(1); }, [] { return Reports{Ints(4, 21, {1})}; });
    add(
        "MusicAgcV8SendsNothing", [](Encoders& e, auto&) { e.MusicAgc(1); }, [] { return Reports{}; }, 8);
    add(
        "MusicAgcLevelV9", [](Encoders& e, auto&) { e.MusicAgcLevel(-12.0f); },
        [] { return Reports{Floats(4, 22, {-12.0f})}; });
    add(
        "MusicAgcLevelV8SendsNothing", [](Encoders& e, auto&) { e.MusicAgcLevel(-12.0f); }, [] { return Reports{}; },
        8);
    add(
        "MusicMute", [](Encoders& e, auto&) { e.MusicMute(1); },
        [] {
            return Reports{Floats(4, 19, {0.0f, 0.0f})};
        });
    add(
        "MusicUnmuteFadesIn", [](Encoders& e, auto&) { e.MusicMute(0); },
        [] {
            Reports r;
            for (int k = 0; k <= 8; ++k) r.push_back(Floats(4, 19, {k / 10.0f, k / 10.0f}));
            r.push_back(Floats(4, 19, {1.0f, 1.0f}));
            return r;
        });

    // Outputs.
    for (const Output& o : kOutputs) {
        add(
            std::string(o.name) + "EqBypass", [&o](Encoders& e, auto&) { e.OutputEqBypass(*o.out, 1); },
            [&o] { return Reports{Ints(o.module, o.eqBypass, {1})}; });
        add(
            std::string(o.name) + "Compressor",
            [&o](Encoders& e, auto&) { e.Compressor(*o.out, -6.0f, 4.0f, 10.0f, 100.0f); },
            [&o] {
                return Reports{
                    Floats(o.module, o.compressor, {-6.0f, 0.0f, 0.75f, 20.0f, 0.05f, Coeff(10.0), Coeff(100.0)})};
            });
    }
    for (const Channel& ch : kChannels) {
        const std::string n = ch.name;
        add(
            n + "Delay", [&ch](Encoders& e, auto&) { e.OutputDelay(*ch.out, ch.side, 10.0); },
            [&ch] { return Reports{Ints(ch.module, ch.delayParam, {480})}; });
        add(
            n + "DelayBelowTheLeast", [&ch](Encoders& e, auto&) { e.OutputDelay(*ch.out, ch.side, 0.0); },
            [&ch] { return Reports{Ints(ch.module, ch.delayParam, {72})}; });
        // Whole-channel delay: the crossover slots go flat at the current index's frequencies.
        add(
            n + "DelayModeWhole", [&ch](Encoders& e, auto&) { e.DelayMode(*ch.out, ch.side, 1); },
            [&ch] {
                Reports r{Floats(ch.module, ch.delayModeParam, {1.0f, 0.0f})};
                AddBand(r, ch.module, ch.crossoverSlot, {1, 150, 500, 707});
                AddBand(r, ch.module, ch.crossoverSlot + 1, {1, 150, 1000, 707});
                return r;
            });
        add(
            n + "DelayModeThroughCrossover",
            [&ch](Encoders& e, auto&) {
                e.ApplyCrossover(*ch.out, ch.side, 3);
                e.DelayMode(*ch.out, ch.side, 0);
            },
            [&ch] {
                Reports r;
                for (int pass = 0; pass < 2; ++pass) {
                    if (pass) r.push_back(Floats(ch.module, ch.delayModeParam, {1.0f, 1.0f}));
                    AddBand(r, ch.module, ch.crossoverSlot, {3, 150, 800, 707});
                    AddBand(r, ch.module, ch.crossoverSlot + 1, {2, 150, 1300, 707});
                }
                return r;
            });
        add(
            n + "CrossoverIndexClamped",
            [&ch](Encoders& e, auto&) {
                e.ApplyCrossover(*ch.out, ch.side, 30);
                e.ApplyCrossover(*ch.out, ch.side, -2);
            },
            [&ch] {
                Reports r;
                AddBand(r, ch.module, ch.crossoverSlot, {3, 150, 3000, 707});
                AddBand(r, ch.module, ch.crossoverSlot + 1, {2, 150, 3500, 707});
                AddBand(r, ch.module, ch.crossoverSlot, {3, 150, 500, 707});
                AddBand(r, ch.module, ch.crossoverSlot + 1, {2, 150, 1000, 707});
                return r;
            });
    }

    // Equalisers.
    add(
        "BandDescriptorWrite",
        [](Encoders& e, auto&) {
            e.BandDescriptorWrite(6, 13, BandDescriptor{-0.3, 1234, 0.5, 4});
        },
        [] { return Reports{Desc(6, 13, 147, 1234, 500, 4)}; });
    add(
        "EqCoefficientWrite",
        [](Encoders& e, auto&) {
            e.EqCoefficientWrite(3, 9, eq::Biquad{0.5, 0.25, -0.125, -1.5, 0.75});
        },
        [] {
            return Reports{Floats(3, 9, {1.5f, -0.75f, 0.5f, 0.25f, -0.125f})};
        });
    for (const Equaliser& q : kEqs) {
        const std::string n = q.name;
        // A band as a panel sends it: single-precision gain and Q with exact codes.
        add(
            n + "Band", [&q](Encoders& e, auto&) { e.EqBand(q.id, 1, 5, 0.5f, 250.0f, 1.25f); },
            [&q] {
                Reports r;
                AddBand(r, q.module, q.firstSlot + 1, {5, 155, 250, 1250});
                return r;
            });
        add(
            n + "Bypass", [&q](Encoders& e, auto&) { e.EqBypass(q.id, 1); },
            [&q] { return Reports{Ints(q.module, q.bypassParam, {1})}; });
        add(
            n + "Reset", [&q](Encoders& e, auto&) { e.ResetEq(q.id); },
            [&q] {
                Reports r;
                for (std::size_t b = 0; b < q.resetHz.size(); ++b)
                    AddBand(r, q.module, q.firstSlot + static_cast<int>(b), {1, 150, q.resetHz[b], 1410, 'd'});
                if (q.id == EqId::Sub) {
                    const int codes[4] = {18, 20, 1, 1};
                    for (int b = 0; b < 4; ++b) AddBand(r, 8, 16 + b, {codes[b], 150, 100, 1414, 'd'});
                }
                return r;
            });
    }
    // From the start-up image: every band of every equaliser, modules in order, crossover
    // slots left out.
    add(
        "ResendAllEqCoefficients", [](Encoders& e, auto&) { e.ResendAllEqCoefficients(); },
        [] {
            Reports r;
            auto flat = [&](int module, int slot, int hz, int qCode = 1414) {
                r.push_back(CoefficientWrite(module, slot, {1, 150, hz, qCode}));
            };
            for (int s = 0; s < 30; ++s) flat(1, s, kHz15[static_cast<std::size_t>(s % 15)]);
            for (int m : {2, 3})
                for (int s = 0; s < 14; ++s) flat(m, s, kHz7[static_cast<std::size_t>(s % 7)]);
            for (int s = 0; s < 15; ++s) flat(4, s, kHz15[static_cast<std::size_t>(s)]);
            for (int s = 0; s < 24; ++s) flat(5, s, kHz24[static_cast<std::size_t>(s)]);
            for (int m : {6, 7})
                for (int s = 0; s < 10; ++s) flat(m, s, kHz10[static_cast<std::size_t>(s)]);
            for (int s = 0; s < 16; ++s) flat(8, s, kSubHz[static_cast<std::size_t>(s)], s >= 7 && s <= 9 ? 707 : 1414);
            r.push_back(CoefficientWrite(8, 16, {18, 150, 100, 1414}));
            r.push_back(CoefficientWrite(8, 17, {20, 150, 100, 707}));
            flat(8, 18, 100, 707);
            flat(8, 19, 100, 707);
            for (int s = 0; s < 10; ++s) flat(9, s, kHz10[static_cast<std::size_t>(s)]);
            return r;
        });

    // Speaker positions.
    add(
        "WriteSpeakerPositions",
        [](Encoders& e, ParameterStore& s) {
            s.SetInt(23, 4);
            s.SetInt(22, 7);
            s.SetFloat(21, 0.0f);
            s.SetFloat(20, -0.5f);
            const float front[8] = {-1.0f, 0.0f, 1.0f, 12.7f, -12.7f, 0.05f, -0.05f, 0.25f};  // fields 12..19
            const float side[8] = {0.3f, -0.3f, 2.0f, 0.0f, 0.1f, -0.1f, 5.5f, -5.5f};        // fields 4..11
            for (int k = 0; k < 8; ++k) {
                s.SetFloat(12 + k, front[k]);
                s.SetFloat(4 + k, side[k]);
            }
            e.WriteSpeakerPositions();
        },
        [] {
            // Tenths rounded half away from zero, bit 7 for zero and below.
            const std::vector<std::uint8_t> block{4,    7,    0x80, 0x85, 0x8A, 0x03, 0x80, 0x83, 0x0A, 0x14,
                                                  0x7F, 0x80, 0xFF, 0x01, 0x01, 0x81, 0x81, 0x37, 0x03, 0xB7};
            return Reports{BuildMemoryWrite(1141, block)};
        });
    for (int sp = 1; sp <= 8; ++sp)
        add(
            "SpeakerGain" + std::to_string(sp), [sp](Encoders& e, auto&) { e.SpeakerGain(sp, -3.0f); },
            [sp] {
                std::vector<std::uint8_t> block(32, 0);
                PutBeFloat(&block[static_cast<std::size_t>(kSpeakers[sp - 1].blockOffset)], -3.0f);
                return Reports{BuildMemoryWrite(1161, block), SpeakerGainWrite(sp, -3.0)};
            });
    add(
        "ResetSpeakerGains",
        [](Encoders& e, ParameterStore& s) {
            ParameterStore::SpeakerGains gains;
            gains.fill(0x11);
            s.SetSpeakerGains(gains);
            e.ResetSpeakerGains();
        },
        [] {
            // Each speaker's gain is cleared in turn, the whole block written each time.
            Reports r;
            std::vector<std::uint8_t> block(32, 0x11);
            for (int sp = 1; sp <= 8; ++sp) {
                PutBeFloat(&block[static_cast<std::size_t>(kSpeakers[sp - 1].blockOffset)], 0.0f);
                r.push_back(BuildMemoryWrite(1161, block));
                r.push_back(SpeakerGainWrite(sp, 0.0));
            }
            const auto& defaults = ParameterStore::kDefaultSpeakerPositions;
            r.push_back(BuildMemoryWrite(1141, std::vector<std::uint8_t>(defaults.begin(), defaults.end())));
            return r;
        });

    // Levels ramped at the end of a write-all.
    add(
        "LevelRamp",
        [](Encoders& e, ParameterStore& s) {
            s.SetInt(fld::kMicVolume, 50);
            s.SetInt(fld::kMusicVolume, 72);
            e.LevelRamp();
        },
        [] {
            Reports r{Floats(1, 30, {0.5f}), Floats(1, 43, {0.5f})};
            for (float k : {0.70f, 0.71f, 0.72f}) r.push_back(Floats(4, 15, {k, k, k, k, k, k}));
            return r;
        });

    // Mode commands.
    add(
        "LoadUserMode", [](Encoders& e, auto&) { e.LoadUserMode(2); },
        [] {
            return Reports{Command({0x05, 2})};
        });
    add(
        "ResetUserModeClamped", [](Encoders& e, auto&) { e.ResetUserMode(9); },
        [] {
            return Reports{Command({0x06, 3})};
        });
    add(
        "SaveUserModeClamped", [](Encoders& e, auto&) { e.SaveUserMode(-1); },
        [] {
            return Reports{Command({0x04, 0})};
        });
    add(
        "WriteModeName", [](Encoders& e, auto&) { e.WriteModeName(1, u"Stage"); },
        [] {
            return Reports{Command({0xDA, 0x0F, 0x40, 44, 0, 'S', 0, 't', 0, 'a', 0, 'g', 0, 'e'})};
        });
    add(
        "WriteModeNameOfMoreThan22Characters",
        [](Encoders& e, auto&) { e.WriteModeName(3, u"ABCDEFGHIJKLMNOPQRSTUVWX"); },
        [] {
            std::vector<std::uint8_t> bytes{0xDA, 0x0F, 0xC0, 44};
            for (char c = 'A'; c < 'A' + 22; ++c) bytes.insert(bytes.end(), {0, static_cast<std::uint8_t>(c)});
            return Reports{BuildCommand(bytes)};
        });
    return rows;
}

class EncoderReports : public ::testing::TestWithParam<Row> {};

TEST_P(EncoderReports, LeaveExactlyTheirReportsInOrder) {
    const Row& row = GetParam();
    Box b(row.version);
    row.act(b.core->encoders, b.core->store);
    const Reports sent = b.box->Received();  // every code, in the order the box took them
    const Reports expected = row.expected();
    ASSERT_EQ(sent.size(), expected.size());
    for (std::size_t i = 0; i < sent.size(); ++i) EXPECT_EQ(ToHex(sent[i]), ToHex(expected[i])) << "report " << i;
}

INSTANTIATE_TEST_SUITE_P(OpenLink, EncoderReports, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace kv::test
