// What each encoder stores and what reaches the simulated box, byte for byte.

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>

#include "BoxFixture.h"
#include "device/Parameters.h"
#include "eq/EqMath.h"
#include "model/Bytes.h"

namespace kv::test {
namespace {

std::vector<Report> ParamWrites(const Box& b) { return b.Sent(cmd::kParamWrite); }

TEST(Encoders, ClampedTimesAndDelays) {
    Box b;
    auto& e = b.core->encoders;
    auto& s = b.core->store;
    e.EchoPredelay(0, 2.0);
    EXPECT_FLOAT_EQ(s.Float(fld::kEchoChAPredelay1), 1.5f);
    EXPECT_FLOAT_EQ(s.Float(fld::kEchoChAPredelay2), 1.5f);
    e.OutputDelay(fld::kMain, 1, 0.0);
    EXPECT_FLOAT_EQ(s.Float(fld::kMain.delayRight()), 1.5f);
    e.EchoTime(1, 10.0);
    EXPECT_FLOAT_EQ(s.Float(fld::kEchoChBTime), 40.0f);
    e.ReverbPredelay(1, 10.0);
    e.OutputDelay(fld::kCenter, 1, 5.0);  // a mono output has no right side
    EXPECT_EQ(ParamWrites(b), (std::vector<Report>{Ints(2, 16, {72}), Ints(2, 17, {72}), Ints(5, 36, {72}),
                                                   Ints(2, 25, {1920}), Ints(3, 22, {240}), Ints(3, 23, {240})}));
}

TEST(Encoders, FrequencyShiftSettings) {
    Box b;
    b.core->encoders.FrequencyShift(0, 1);
    EXPECT_EQ(ParamWrites(b), (std::vector<Report>{Ints(1, 40, {1})}));
    EXPECT_EQ(b.core->store.Int(fld::kMicChAShiftBypass), 1);
    b.Clear();
    b.core->encoders.FrequencyShift(1, 0);
    EXPECT_EQ(ParamWrites(b), (std::vector<Report>{Ints(1, 53, {0}), Floats(1, 51, {0.0f}), Ints(1, 52, {0})}));
    b.Clear();
    b.core->encoders.FrequencyShift(0, 3);
    EXPECT_EQ(ParamWrites(b),
              (std::vector<Report>{Ints(1, 40, {0}), Floats(1, 38, {static_cast<float>(3 * 6.283185307179586 / 48000)}),
                                   Ints(1, 39, {2800})}));
}

TEST(Encoders, CompressorNeverSendsNonFiniteValues) {
    Box b;
    b.core->encoders.Compressor(fld::kTop, -10.0f, 1.0f, 0.0f, 100.0f);
    b.core->encoders.Compressor(fld::kSub, -10.0f, 0.5f, -1e-30f, std::nanf(""));
    const auto sent = ParamWrites(b);
    ASSERT_EQ(sent.size(), 2u);
    const float release = static_cast<float>(1.0 - std::exp(-1.0 / (100.0 * 48)));
    EXPECT_EQ(sent[0], Floats(9, 19, {-10.0f, 0.0f, 0.0f, 20.0f, 0.05f, 1.0f, release}));
    EXPECT_EQ(sent[1], Floats(8, 27, {-10.0f, 0.0f, 0.0f, 20.0f, 0.05f, 1.0f, 1.0f}));
    EXPECT_FLOAT_EQ(b.core->store.Float(fld::kSub.compRatio()), 0.5f);  // stored as given
}

TEST(Encoders, SurroundAtTheIntegerLimitGoesOutPositive) {
    Box b;
    b.core->store.SetInt(fld::kRear.surroundVolume(), std::numeric_limits<std::int32_t>::min());
    b.core->encoders.SendAll();
    const auto sent = ParamWrites(b);
    const float negated = static_cast<float>(2147483648.0 / 100.0);
    EXPECT_NE(std::find(sent.begin(), sent.end(), Floats(6, 30, {negated, negated})), sent.end());
}

TEST(Encoders, EqBandWritesDescriptorThenCoefficients) {
    Box b;
    auto& e = b.core->encoders;
    e.EqBand(EqId::MicB, 2, 1, -15.0, 63, 1.41);
    e.EqBand(5, 3, 1, 15.0, 1000, 1.41);
    e.EqBand(EqId::Music, 0, 0, 3.0, 25, 1.41);
    const auto mem = b.Sent(cmd::kMemoryWrite);
    ASSERT_EQ(mem.size(), 3u);
    // CH B bands follow CH A's fifteen; -15 dB is gain code 0, +15 dB code 300.
    EXPECT_EQ(mem[0], BuildMemoryWrite(17 * 7, std::vector<std::uint8_t>{0, 0, 0, 63, 0x05, 0x82, 1}));
    EXPECT_EQ(mem[1], BuildMemoryWrite(511 + 21, std::vector<std::uint8_t>{0x01, 0x2C, 0x03, 0xE8, 0x05, 0x82, 1}));
    const auto coeffs = ParamWrites(b);
    ASSERT_EQ(coeffs.size(), 3u);
    const eq::Biquad s = eq::DesignSection(1, 15.0, 1000, 1.41);
    EXPECT_EQ(coeffs[1], Floats(5, 3,
                                {static_cast<float>(-s.a1), static_cast<float>(-s.a2), static_cast<float>(s.b0),
                                 static_cast<float>(s.b1), static_cast<float>(s.b2)}));
    EXPECT_EQ(coeffs[2], Floats(4, 0, {0.0f, 0.0f, 1.0f, 0.0f, 0.0f}));  // off: the identity, all +0.0
    EXPECT_EQ(coeffs[2][6], 0x00);
    EXPECT_DOUBLE_EQ(e.ReadBand(EqId::MicB, 2).gainDb, -15.0);
}

TEST(Encoders, ResetEqAndDelayModeRewriteTheirSlots) {
    Box b;
    auto& e = b.core->encoders;
    e.ResetEq(EqId::Sub);
    EXPECT_EQ(b.Sent(cmd::kMemoryWrite).size(), 20u);
    EXPECT_EQ(b.core->store.ReadBand(8, 17).code, 20);
    EXPECT_EQ(b.core->store.ReadBand(8, 17).frequencyHz, 100);
    EXPECT_EQ(b.core->store.ReadBand(8, 5).frequencyHz, 31);
    b.Clear();

    e.ApplyCrossover(fld::kRear, 1, 4);
    EXPECT_EQ(e.CurrentCrossoverIndex(fld::kRear, 1), 4);
    EXPECT_EQ(b.core->store.ReadBand(6, 12).code, 3);
    EXPECT_EQ(b.core->store.ReadBand(6, 13).frequencyHz, 1400);
    e.DelayMode(fld::kRear, 1, 1);
    EXPECT_EQ(b.core->store.ReadBand(6, 12).code, 1);  // flat, same frequency
    EXPECT_EQ(b.core->store.ReadBand(6, 12).frequencyHz, 900);
    EXPECT_EQ(e.CurrentCrossoverIndex(fld::kRear, 1), 4);
    const auto sent = ParamWrites(b);
    ASSERT_EQ(sent.size(), 5u);
    EXPECT_EQ(sent[2], Floats(6, 26, {1.0f, 0.0f}));
    EXPECT_EQ(e.CurrentCrossoverIndex(fld::kCenter, 1), 0);
}

TEST(Encoders, MusicPitchMuteAndAgcByCommandSet) {
    Box b9(9);
    b9.core->encoders.MusicPitch(-3);
    b9.core->encoders.MusicAgcLevel(-9.5f);
    b9.core->encoders.MusicMute(0);
    auto sent = ParamWrites(b9);
    ASSERT_EQ(sent.size(), 12u);
    EXPECT_EQ(sent[0], Ints(4, 23, {2}));
    EXPECT_EQ(sent[1], Floats(4, 22, {-9.5f}));
    EXPECT_EQ(sent[2], Floats(4, 19, {0.0f, 0.0f}));
    EXPECT_EQ(sent[10], Floats(4, 19, {0.8f, 0.8f}));
    EXPECT_EQ(sent[11], Floats(4, 19, {1.0f, 1.0f}));

    Box b8(8);
    b8.core->encoders.MusicPitch(7);
    b8.core->encoders.MusicAgc(1);
    sent = ParamWrites(b8);
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0], Ints(4, 21, {0}));
    EXPECT_EQ(sent[1], Ints(4, 22, {0}));
    std::vector<ParamValue> pair{ParamValue::FromInt(566), ParamValue{0x43460CE8}};
    EXPECT_EQ(sent[2], BuildParamWrite(4, 23, pair));
    EXPECT_EQ(sent[3], BuildParamWrite(4, 24, pair));
    EXPECT_EQ(b8.core->store.Int(fld::kMusicAgc), 1);  // stored, not sent
}

TEST(Encoders, LevelRampAndSpeakerGains) {
    Box b;
    auto& e = b.core->encoders;
    b.core->store.SetInt(fld::kMicVolume, 85);
    b.core->store.SetInt(fld::kMusicVolume, 50);
    e.LevelRamp();
    auto sent = ParamWrites(b);
    ASSERT_EQ(sent.size(), 13u);
    EXPECT_EQ(sent[0], Floats(1, 30, {0.80f}));
    EXPECT_EQ(sent[5], Floats(1, 30, {0.85f}));
    EXPECT_EQ(sent[6], Floats(1, 43, {0.80f}));
    EXPECT_EQ(sent[12], Floats(4, 15, {0.5f, 0.5f, 0.5f, 0.5f, 0.5f, 0.5f}));
    b.Clear();

    // A crafted level cannot make the ramp endless: it stops at the top of the controls.
    b.core->store.SetInt(fld::kMicVolume, 2147483647);
    b.core->store.SetInt(fld::kMusicVolume, 0);
    e.LevelRamp();
    sent = ParamWrites(b);
    ASSERT_EQ(sent.size(), 21u + 21u + 1u);
    EXPECT_EQ(sent[20], Floats(1, 30, {1.0f}));
    b.Clear();

    e.SpeakerGain(2, 0.0f);
    e.SpeakerGain(7, -3.0f);
    sent = ParamWrites(b);
    ASSERT_EQ(sent.size(), 2u);
    Report unity = Floats(7, 23, {1.0f, 1.0f, 0.0f, 0.0f, 1.0f, 1.0f});
    PutBe32(&unity[14], prm::kSpeakerGainA1Bits);
    PutBe32(&unity[18], prm::kSpeakerGainA2Bits);
    EXPECT_EQ(sent[0], unity);
    // TOP left has its own slot at 24..27; Center's 16..19 keeps its own gain.
    const auto gains = b.core->store.GetSpeakerGains();
    EXPECT_FLOAT_EQ(GetBeFloat(&gains[24]), -3.0f);
    EXPECT_FLOAT_EQ(GetBeFloat(&gains[16]), 0.0f);
    EXPECT_EQ(b.box->Memory(kSpeakerGainOffset, kSpeakerGainSize),
              std::vector<std::uint8_t>(gains.begin(), gains.end()));
}

TEST(Encoders, ModeCommandsNamesAndClosedLink) {
    Box b;
    auto& e = b.core->encoders;
    b.core->store.SetSettingsChanged(true);
    e.SaveUserMode(7);
    EXPECT_FALSE(b.core->store.SettingsChanged());
    EXPECT_EQ(b.core->store.Int(fld::kCurrentMode), 3);
    EXPECT_EQ(b.Sent(cmd::kModeSave), (std::vector<Report>{BuildCommand({cmd::kModeSave, 3})}));
    e.LoadUserMode(-2);
    EXPECT_EQ(b.Sent(cmd::kModeLoad), (std::vector<Report>{BuildCommand({cmd::kModeLoad, 0})}));
    e.WriteModeName(2, u"Hall");
    EXPECT_EQ(
        b.Sent(cmd::kModeNameWrite),
        (std::vector<Report>{BuildCommand({cmd::kModeNameWrite, 0x0F, 0x80, 44, 0, 'H', 0, 'a', 0, 'l', 0, 'l'})}));
    EXPECT_EQ(b.box->ModeName(2), u"Hall");
    e.DeviceReset();
    EXPECT_EQ(b.Sent(cmd::kDeviceReset), (std::vector<Report>{BuildCommand({cmd::kDeviceReset, 0xAA})}));

    b.core->link.Close(false);
    b.Clear();
    e.MicInputVolume(2, 40);
    e.MusicMute(0);
    EXPECT_EQ(b.core->store.Int(fld::kMicInputVolume1 + 1), 40);
    EXPECT_TRUE(b.box->Received().empty());
}

}  // namespace
}  // namespace kv::test
