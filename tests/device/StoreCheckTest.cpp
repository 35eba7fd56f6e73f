// The range check of the whole store: a box's own values pass, each damaged value is listed
// once with the value that replaces it, and clamping leaves nothing out of range.

#include <gtest/gtest.h>

#include <bit>
#include <climits>
#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <set>

#include "device/EqBands.h"
#include "device/SettingTable.h"
#include "device/StoreCheck.h"
#include "model/Bytes.h"
#include "model/ModeFile.h"
#include "tests/protocol/BoxFixture.h"

namespace kv::test {
namespace {

using Bits = std::uint32_t;
constexpr Bits kNaN = 0x7FC00000;
constexpr Bits kPlusInf = 0x7F800000;
constexpr Bits kMinusInf = 0xFF800000;
const Bits k1e30 = std::bit_cast<Bits>(1e30f);
constexpr Bits kIntMax = 0x7FFFFFFF;
constexpr Bits kIntMin = 0x80000000;

std::string Join(const std::vector<OutOfRange>& list) {
    std::string s;
    for (const auto& o : list) s += DescribeOutOfRange(o) + "\n";
    return s;
}

// A mode file of the simulated box's factory state, read back once.
const std::vector<std::uint8_t>& FactoryFile(int version) {
    static std::map<int, std::vector<std::uint8_t>> files;
    auto& f = files[version];
    if (f.empty()) {
        Box b(version);
        EXPECT_TRUE(b.core->sync.StartReadBack([](int) {}));
        b.core->sync.Wait();
        EXPECT_EQ(Join(b.core->sync.ReadBackClamped()), "") << "command set " << version;
        f = EncodeModeFile(b.core->store);
    }
    return f;
}

void LoadFactory(ParameterStore& store, int version = 9) {
    store.SetCommandSetVersion(version);
    ParameterStore::Settings applied{};
    applied[3] = 99;
    applied[4] = 99;
    store.SetAppliedSettings(applied);
    ASSERT_EQ(DecodeModeFile(FactoryFile(version), store).status, ModeFileStatus::Ok);
}

bool IsFloatKind(int field) {
    const FieldKind k = KindOf(field);
    return k == FieldKind::Float || k == FieldKind::Millis || k == FieldKind::Position;
}

std::size_t BandAt(EqId id, int band) {
    const EqInfo& e = EqInfoOf(id);
    return static_cast<std::size_t>(EqBase(e.module) + kBandDescriptorSize * (e.firstSlot + EqDeviceBand(id, band)));
}

void PokeImage(ParameterStore& s, std::size_t at, std::uint8_t value) {
    auto img = s.GetEqImage();
    img[at] = value;
    s.SetEqImage(img);
}
void PokeImage16(ParameterStore& s, std::size_t at, int value) {
    auto img = s.GetEqImage();
    PutBe16(&img[at], static_cast<std::uint16_t>(value));
    s.SetEqImage(img);
}

// A fresh box holds the start-up values, some of them outside what the pages offer: they pass.
TEST(StoreCheck, TheBoxsOwnValuesAreInRange) {
    for (int version : {8, 9}) {
        ParameterStore s;
        LoadFactory(s, version);
        EXPECT_EQ(Join(CheckStore(s)), "") << "command set " << version;
    }
}

struct Row {
    std::string name;
    std::function<void(ParameterStore&)> damage;
    std::string address, file, used;
    std::function<void(const ParameterStore&)> clamped;
};
std::ostream& operator<<(std::ostream& os, const Row& r) { return os << r.name; }

class StoreCheckRow : public ::testing::TestWithParam<Row> {};

TEST_P(StoreCheckRow, ListsTheValueOnceAndClampsIt) {
    const Row& r = GetParam();
    ParameterStore s;
    LoadFactory(s);
    r.damage(s);
    const auto found = CheckStore(s);
    ASSERT_EQ(found.size(), 1u) << Join(found);
    EXPECT_EQ(found[0].address, r.address);
    EXPECT_EQ(found[0].fileValue, r.file);
    EXPECT_EQ(found[0].usedValue, r.used);
    const auto changed = ClampStore(s);
    EXPECT_EQ(Join(changed), Join(found));
    EXPECT_EQ(Join(CheckStore(s)), "");
    r.clamped(s);
}

const fld::OutputFields& kMain = fld::kMain;

INSTANTIATE_TEST_SUITE_P(
    Damaged, StoreCheckRow,
    ::testing::Values(
        Row{"MainMusicMixAtIntMax", [](ParameterStore& s) { s.SetRaw(kMain.mixMusic(), kIntMax); }, "main.mix.music",
            "2147483647%", "100%", [](const ParameterStore& s) { EXPECT_EQ(s.Int(kMain.mixMusic()), 100); }},
        // The SUB's music mix is held three times over: 300 is full level, 301 is not.
        Row{"SubMusicMixJustAbove", [](ParameterStore& s) { s.SetInt(fld::kSub.mixMusic(), 301); }, "sub.mix.music",
            "100.33%", "100%", [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kSub.mixMusic()), 300); }},
        Row{"NegativeEchoLevel", [](ParameterStore& s) { s.SetInt(fld::kEchoVolume, -1); }, "echo.level", "-1", "0",
            [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kEchoVolume), 0); }},
        // A damaged mute goes to muted whichever way it is off.
        Row{"MuteAtIntMin", [](ParameterStore& s) { s.SetRaw(fld::kMusicMute, kIntMin); }, "music.mute", "-2147483648",
            "on (1)", [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMusicMute), 1); }},
        Row{"OutputMuteAtTwo", [](ParameterStore& s) { s.SetInt(fld::kSub.mute(), 2); }, "sub.mute", "2", "on (1)",
            [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kSub.mute()), 1); }},
        Row{"SourceSwitchHalfOn", [](ParameterStore& s) { s.SetInt(fld::kAux1On, 60); }, "aux1.on", "60", "on (100)",
            [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kAux1On), 100); }},
        Row{"ChannelBShareOfInput3", [](ParameterStore& s) { s.SetInt(fld::kMicChBShare1 + 2, 7); }, "mic.3.share.b",
            "7", "0", [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMicChBShare1 + 2), 0); }},
        Row{"PhaseOfGroup2", [](ParameterStore& s) { s.SetInt(fld::kMicPhase2, 5); }, "mic.phase.2", "5", "1",
            [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMicPhase2), 1); }},
        Row{"PitchBeyondTheV9Reach", [](ParameterStore& s) { s.SetInt(fld::kMusicPitch, 7); }, "music.pitch", "7", "5",
            [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMusicPitch), 5); }},
        Row{"PitchBelowTheV9Reach", [](ParameterStore& s) { s.SetRaw(fld::kMusicPitch, kIntMin); }, "music.pitch",
            "-2147483648", "-5", [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMusicPitch), -5); }},
        // The field holds 101 - position: -1 would be position 102.
        Row{"GateOpeningTimeNegative", [](ParameterStore& s) { s.SetInt(fld::kMicGateOpen, -1); }, "mic.gate.attack",
            "102", "100", [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMicGateOpen), 1); }},
        Row{"FrequencyShiftSix", [](ParameterStore& s) { s.SetInt(fld::kMicChBShift, 6); }, "micb.shift", "6", "5Hz",
            [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMicChBShift), 5); }},
        Row{"DelayNotANumber", [](ParameterStore& s) { s.SetRaw(kMain.delayRight(), kNaN); }, "delay.main.r", "NaN ms",
            "1.5ms", [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(kMain.delayRight()), 1.5f); }},
        Row{"DelayPlusInfinity", [](ParameterStore& s) { s.SetRaw(fld::kCenter.delayLeft(), kPlusInf); },
            "delay.center", "+inf ms", "100.0ms",
            [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(fld::kCenter.delayLeft()), 100.0f); }},
        Row{"RatioBelowOne", [](ParameterStore& s) { s.SetFloat(fld::kRear.compRatio(), 0.5f); }, "rear.comp.ratio",
            "0.5:1", "1.0:1", [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(fld::kRear.compRatio()), 1.0f); }},
        Row{"ThresholdNotANumber", [](ParameterStore& s) { s.SetRaw(fld::kTop.compThreshold(), kNaN); },
            "top.comp.threshold", "NaN dB", "0dB",
            [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(fld::kTop.compThreshold()), 0.0f); }},
        Row{"ReleaseHuge", [](ParameterStore& s) { s.SetRaw(kMain.compRelease(), k1e30); }, "main.comp.release",
            "1e+30ms", "1000ms", [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(kMain.compRelease()), 1000); }},
        // Shown 12 dB higher than stored; not a number goes to the neutral -12 dB.
        Row{"AgcLevelNotANumber", [](ParameterStore& s) { s.SetRaw(fld::kMusicAgcLevel, kNaN); }, "music.agc.level",
            "NaN dB", "0.0dB", [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(fld::kMusicAgcLevel), -12.0f); }},
        Row{"EchoPredelayHalfMinusInf", [](ParameterStore& s) { s.SetRaw(fld::kEchoChBPredelay2, kMinusInf); },
            "micb.echo.predelay", "-inf ms", "3ms",
            [](const ParameterStore& s) {
                EXPECT_FLOAT_EQ(s.Float(fld::kEchoChBPredelay1), 1.5f);
                EXPECT_FLOAT_EQ(s.Float(fld::kEchoChBPredelay2), 1.5f);
            }},
        Row{"ReverbTimeIndex", [](ParameterStore& s) { s.SetFloat(fld::kReverbChATime, 101.0f); }, "mica.reverb.time",
            "setting 101", "5000ms",
            [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(fld::kReverbChATime), 100.0f); }},
        Row{"MicLevelAboveTheBoxsMaximum",
            [](ParameterStore& s) {
                auto a = s.AppliedSettings();
                a[3] = 50;
                s.SetAppliedSettings(a);
                s.SetInt(fld::kMicVolume, 80);
            },
            "mic.level", "80", "50", [](const ParameterStore& s) { EXPECT_EQ(s.Int(fld::kMicVolume), 50); }},
        Row{"BandGainAboveFifteen", [](ParameterStore& s) { PokeImage16(s, BandAt(EqId::Music, 2), 400); },
            "eq.music.3.gain", "25.0dB", "15.0dB",
            [](const ParameterStore& s) { EXPECT_DOUBLE_EQ(s.ReadBand(4, 2).gainDb, 15.0); }},
        Row{"BandFrequencyZero", [](ParameterStore& s) { PokeImage16(s, BandAt(EqId::Top, 9) + 2, 0); },
            "eq.top.10.freq", "0Hz", "20Hz",
            [](const ParameterStore& s) { EXPECT_EQ(s.ReadBand(9, 9).frequencyHz, 20); }},
        Row{"PeakingQAboveThirty", [](ParameterStore& s) { PokeImage16(s, BandAt(EqId::MicB, 0) + 4, 65535); },
            "eq.micb.1.q", "65.535", "30.000",
            [](const ParameterStore& s) { EXPECT_NEAR(s.ReadBand(1, 15).q, 30.0, 1e-4); }},
        Row{"UnknownKindOnAnInputPage", [](ParameterStore& s) { PokeImage(s, BandAt(EqId::EchoA, 4) + 6, 6); },
            "eq.echoa.5.kind", "code 6", "OFF", [](const ParameterStore& s) { EXPECT_EQ(s.ReadBand(2, 4).code, 0); }},
        Row{"SubStageFrequency", [](ParameterStore& s) { PokeImage16(s, BandAt(EqId::Sub, 6) + 2, 30000); },
            "eq.sub.1.stage2.freq", "30000Hz", "20000Hz",
            [](const ParameterStore& s) { EXPECT_EQ(s.ReadBand(8, 2).frequencyHz, 20000); }},
        // A crossover names one of its fixed frequencies; the nearest is taken.
        Row{"CrossoverOffItsSteps",
            [](ParameterStore& s) { PokeImage16(s, static_cast<std::size_t>(EqBase(5) + 7 * 24 + 2), 555); },
            "delay.main.l.crossover", "555Hz", "600Hz",
            [](const ParameterStore& s) {
                EXPECT_EQ(s.ReadBand(5, 24).frequencyHz, 600);
                EXPECT_EQ(s.ReadBand(5, 25).frequencyHz, 1100);
            }},
        Row{"RoomWiderThanTen",
            [](ParameterStore& s) {
                auto b = s.GetSpeakerPositions();
                b[0] = 30;
                s.SetSpeakerPositions(b);
            },
            "room.width", "30m", "10m", [](const ParameterStore& s) { EXPECT_EQ(s.GetSpeakerPositions()[0], 10); }},
        // The default room is 4 m: a speaker 12.7 m out goes to its wall.
        Row{"SpeakerOutsideTheRoom",
            [](ParameterStore& s) {
                auto b = s.GetSpeakerPositions();
                b[4] = 0x7F;  // main.l x
                s.SetSpeakerPositions(b);
            },
            "position.main.l.x", "12.7m", "2.0m",
            [](const ParameterStore& s) { EXPECT_FLOAT_EQ(s.Float(PositionXField(1)), 2.0f); }},
        // x lies across the room's width, y along its length: a 2 m wide room holds x within 1 m.
        Row{"SpeakerOutsideANarrowRoom",
            [](ParameterStore& s) {
                auto b = s.GetSpeakerPositions();
                b[0] = 2;     // width
                b[4] = 0x8F;  // main.l x, -1.5 m
                s.SetSpeakerPositions(b);
            },
            "position.main.l.x", "-1.5m", "-1.0m",
            [](const ParameterStore& s) { EXPECT_EQ(s.GetSpeakerPositions()[4], 0x8A); }},
        Row{"SpeakerGainNotANumber",
            [](ParameterStore& s) {
                auto g = s.GetSpeakerGains();
                PutBe32(&g[16], kNaN);  // Center
                s.SetSpeakerGains(g);
            },
            "speaker.2.gain", "NaN dB", "0.00dB",
            [](const ParameterStore& s) { EXPECT_EQ(GetBeFloat(&s.GetSpeakerGains()[16]), 0.0f); }}),
    [](const auto& info) { return info.param.name; });

// One damaged word at a time over the whole field part of the file.
struct Word {
    const char* name;
    Bits bits;
};
class EveryField : public ::testing::TestWithParam<Word> {};

TEST_P(EveryField, OneDamagedWordIsListedOnce) {
    const Word w = GetParam();
    for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f) {
        ParameterStore s;
        LoadFactory(s);
        s.SetRaw(f, w.bits);
        const auto found = CheckStore(s);
        // -0.0 is a fine value for a few float settings; every other word is out of range.
        const bool mayFit = IsFloatKind(f) && w.bits == kIntMin;
        if (mayFit) {
            EXPECT_LE(found.size(), 1u) << "field " << f << "\n" << Join(found);
        } else {
            EXPECT_EQ(found.size(), 1u) << "field " << f << "\n" << Join(found);
        }
        ClampStore(s);
        EXPECT_EQ(Join(CheckStore(s)), "") << "field " << f;
    }
}

INSTANTIATE_TEST_SUITE_P(Words, EveryField,
                         ::testing::Values(Word{"IntMax", kIntMax}, Word{"IntMin", kIntMin}, Word{"NaN", kNaN},
                                           Word{"PlusInf", kPlusInf}, Word{"MinusInf", kMinusInf},
                                           Word{"OneE30", k1e30}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(StoreCheck, EveryBandValueIsCheckedOnce) {
    for (const EqInfo& e : kEqualisers) {
        for (int b = 0; b < e.bands; ++b) {
            const std::size_t at = BandAt(e.id, b);
            for (std::size_t part : {0u, 2u, 4u}) {
                ParameterStore s;
                LoadFactory(s);
                PokeImage16(s, at + part, 0xFFFF);
                const auto found = CheckStore(s);
                EXPECT_EQ(found.size(), 1u) << EqName(e.id) << " band " << b << " part " << part << Join(found);
                ClampStore(s);
                EXPECT_EQ(Join(CheckStore(s)), "");
            }
            ParameterStore s;
            LoadFactory(s);
            PokeImage(s, at + 6, 0xFF);
            const auto found = CheckStore(s);
            ASSERT_EQ(found.size(), 1u) << EqName(e.id) << " band " << b << Join(found);
            EXPECT_EQ(found[0].usedValue, "OFF");
        }
    }
}

TEST(StoreCheck, EverythingDamagedAtOnceIsClampedWhole) {
    for (Bits bits : {kIntMax, kIntMin, kNaN, k1e30}) {
        ParameterStore s;
        LoadFactory(s);
        for (int f = fld::kModeFileFirst; f <= fld::kModeFileLast; ++f) s.SetRaw(f, bits);
        ParameterStore::EqImage img;
        img.fill(0xFF);
        s.SetEqImage(img);
        ParameterStore::SpeakerPositions pos;
        pos.fill(0xFF);
        s.SetSpeakerPositions(pos);
        ParameterStore::SpeakerGains gains;
        gains.fill(0xFF);
        s.SetSpeakerGains(gains);
        const auto found = CheckStore(s);
        EXPECT_GT(found.size(), 300u);
        // Each address once.
        std::set<std::string> addresses;
        for (const auto& o : found) EXPECT_TRUE(addresses.insert(o.address).second) << o.address;
        EXPECT_EQ(Join(ClampStore(s)), Join(found));
        EXPECT_EQ(Join(CheckStore(s)), "");
    }
}

}  // namespace
}  // namespace kv::test

namespace kv::test {
namespace {

// A box holding values out of range: the read-back shows them clamped and sends nothing for
// it; the next write-all sends the clamped values.
TEST(ReadBackClamp, OutOfRangeFromTheBoxIsClampedAndNeverSentBack) {
    Box b;
    const ParamValue loud = ParamValue::FromFloat(5.0f);  // 500% of MAIN's music mix
    b.box->Handle(BuildParamWrite(module::kMain, 31, std::span(&loud, 1)));
    const ParamValue far = ParamValue::FromInt(48 * 1000);  // a MAIN left delay of 1000 ms
    b.box->Handle(BuildParamWrite(module::kMain, 35, std::span(&far, 1)));
    b.Clear();
    ASSERT_TRUE(b.core->sync.StartReadBack([](int) {}));
    b.core->sync.Wait();
    EXPECT_EQ(Join(b.core->sync.ReadBackClamped()),
              "main.mix.music: 500% -> 100%\ndelay.main.l: 1000.0ms -> 100.0ms\n");
    EXPECT_EQ(b.core->store.Int(fld::kMain.mixMusic()), 100);
    EXPECT_FLOAT_EQ(b.core->store.Float(fld::kMain.delayLeft()), 100.0f);
    EXPECT_TRUE(b.Sent(cmd::kParamWrite).empty());
    EXPECT_TRUE(b.Sent(cmd::kMemoryWrite).empty());

    ASSERT_TRUE(b.core->sync.StartWriteAll([](int) {}));
    b.core->sync.Wait();
    EXPECT_EQ(b.box->ParamFloat(module::kMain, 31), 1.0f);
    EXPECT_EQ(b.box->ParamInt(module::kMain, 35), 48 * 100);
}

}  // namespace
}  // namespace kv::test
