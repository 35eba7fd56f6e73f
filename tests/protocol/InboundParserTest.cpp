// Decoding of crafted reports into the store.

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <string>

#include "device/InboundParser.h"
#include "model/Bytes.h"
#include "model/ParameterStore.h"

namespace kv {
namespace {

Report Reply(std::initializer_list<std::uint8_t> bytes) {
    Report r{};
    std::copy(bytes.begin(), bytes.end(), r.begin());
    return r;
}

Report ParamReply(int module, int parameter, std::initializer_list<float> values, std::uint8_t status = 0) {
    Report r{};
    r[1] = cmd::kParamRead;
    r[2] = status;
    r[3] = static_cast<std::uint8_t>(module);
    r[4] = static_cast<std::uint8_t>(parameter);
    r[5] = static_cast<std::uint8_t>(values.size());
    int i = 0;
    for (float v : values) PutBeFloat(&r[static_cast<std::size_t>(6 + 4 * i++)], v);
    return r;
}

Report IntReply(int module, int parameter, std::uint32_t value) {
    Report r = ParamReply(module, parameter, {0.0f});
    PutBe32(&r[6], value);
    return r;
}

class ParserTest : public ::testing::Test {
protected:
    ParameterStore store;
    InboundParser parser{store};
};

TEST_F(ParserTest, HundredthsRoundInSinglePrecision) {
    parser.Dispatch(ParamReply(1, 30, {0.125f}));
    EXPECT_EQ(store.Int(fld::kMicVolume), 13);
    parser.Dispatch(ParamReply(1, 43, {-0.004f}));
    EXPECT_EQ(store.Int(fld::kMicVolume), 0);
    parser.Dispatch(ParamReply(4, 15, {0.85f, 0.85f, 0.85f, 0.85f, 0.85f, 0.85f}));
    EXPECT_EQ(store.Int(fld::kMusicVolume), 85);
    parser.Dispatch(ParamReply(1, 63, {0.0042f}));
    EXPECT_EQ(store.Int(fld::kMicNoiseGate1 + 3), 42);
    parser.Dispatch(ParamReply(1, 65, {7e-7f}));
    EXPECT_EQ(store.Int(fld::kMicGateClose), 7);
}

TEST_F(ParserTest, MutesSurroundsMillisAndDelayModes) {
    parser.Dispatch(ParamReply(1, 42, {0.0f}));
    EXPECT_EQ(store.Int(fld::kMicMute), 1);
    parser.Dispatch(ParamReply(1, 55, {1.0f}));
    EXPECT_EQ(store.Int(fld::kMicMute), 0);
    parser.Dispatch(ParamReply(5, 44, {-0.3f, -0.3f}));
    EXPECT_EQ(store.Int(fld::kMain.surroundVolume()), 30);
    parser.Dispatch(IntReply(5, 36, 72));
    EXPECT_FLOAT_EQ(store.Float(fld::kMain.delayRight()), 1.5f);
    parser.Dispatch(ParamReply(7, 21, {1.0f, 0.0f}));
    EXPECT_EQ(store.Int(fld::kCenter.delayModeLeft()), 1);
    parser.Dispatch(ParamReply(7, 21, {1.0f, 1.0f}));
    EXPECT_EQ(store.Int(fld::kCenter.delayModeLeft()), 0);
    // Integers take the lowest byte only.
    parser.Dispatch(IntReply(6, 18, 0x12345601));
    EXPECT_EQ(store.Int(fld::kRear.eqBypass()), 1);
}

TEST_F(ParserTest, CompressorAndFrequencyShift) {
    const float attack = static_cast<float>(1.0 - std::exp(-1.0 / (10.0 * 48)));
    parser.Dispatch(ParamReply(8, 27, {-6.0f, 0.0f, 0.75f, 20.0f, 0.05f, attack, 1.0f}));
    EXPECT_FLOAT_EQ(store.Float(fld::kSub.compThreshold()), -6.0f);
    EXPECT_FLOAT_EQ(store.Float(fld::kSub.compRatio()), 4.0f);
    EXPECT_NEAR(store.Float(fld::kSub.compAttack()), 10.0f, 1e-3);
    EXPECT_FLOAT_EQ(store.Float(fld::kSub.compRelease()), 0.0f);

    parser.Dispatch(ParamReply(1, 38, {static_cast<float>(3 * 6.283185307179586 / 48000)}));
    EXPECT_EQ(store.Int(fld::kMicChAShift), 3);
    parser.Dispatch(IntReply(1, 40, 1));
    EXPECT_EQ(store.Int(fld::kMicChAShiftBypass), 1);
    EXPECT_EQ(store.Int(fld::kMicChAShift), 1);
    parser.Dispatch(IntReply(1, 53, 0));
    EXPECT_EQ(store.Int(fld::kMicChBShiftBypass), 0);
}

TEST_F(ParserTest, PitchAndAgcDependOnTheCommandSet) {
    store.SetCommandSetVersion(8);
    Report pitch = ParamReply(4, 23, {0.0f, 0.0f});
    PutBe32(&pitch[6], 566);
    PutBe32(&pitch[10], 0x43460CE8);  // column B of +7
    parser.Dispatch(pitch);
    EXPECT_EQ(store.Int(fld::kMusicPitch), 7);
    PutBe32(&pitch[10], std::bit_cast<std::uint32_t>(1.0f));
    parser.Dispatch(pitch);
    EXPECT_EQ(store.Int(fld::kMusicPitch), 13);  // not in the table
    parser.Dispatch(IntReply(4, 21, 1));
    parser.Dispatch(ParamReply(4, 22, {-9.0f}));
    EXPECT_EQ(store.Int(fld::kMusicAgc), 0);
    EXPECT_FLOAT_EQ(store.Float(fld::kMusicAgcLevel), 0.0f);

    store.SetCommandSetVersion(9);
    parser.Dispatch(IntReply(4, 23, 2));
    EXPECT_EQ(store.Int(fld::kMusicPitch), -3);
    parser.Dispatch(IntReply(4, 21, 1));
    parser.Dispatch(ParamReply(4, 22, {-9.0f}));
    EXPECT_EQ(store.Int(fld::kMusicAgc), 1);
    EXPECT_FLOAT_EQ(store.Float(fld::kMusicAgcLevel), -9.0f);
    // Reverb time is held as a float with an integer value.
    parser.Dispatch(ParamReply(3, 24, {0.37f}));
    EXPECT_FLOAT_EQ(store.Float(fld::kReverbChBTime), 37.0f);
}

TEST_F(ParserTest, ParameterErrorIsRaisedOncePerRunAndValuesStillDecode) {
    std::vector<std::string> errors;
    parser.SetParameterErrorHook([&](const std::string& t) { errors.push_back(t); });
    parser.Dispatch(ParamReply(1, 30, {0.5f}, 0x03));
    parser.Dispatch(ParamReply(1, 30, {0.6f}, 0x04));
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], "参数错误,代码0x:03,指令1:0x01,指令2:0x1E ");
    EXPECT_EQ(store.Int(fld::kMicVolume), 60);
}

TEST_F(ParserTest, MemoryRepliesAreBoundedAndBlankMemoryClearsTheImage) {
    // Offset 0 with 0xFF 0xFF: the box's memory is blank.
    parser.Dispatch(Reply({0, cmd::kMemoryRead, 0, 0, 56, 0xFF, 0xFF}));
    const auto image = store.GetEqImage();
    EXPECT_TRUE(std::all_of(image.begin(), image.end(), [](auto b) { return b == 0; }));
    // A reply claiming 255 bytes at the image's end copies only what fits.
    Report r = Reply({0, cmd::kMemoryRead, 0x04, 0x70, 255});
    std::fill(r.begin() + 5, r.end(), 0x11);
    parser.Dispatch(r);
    EXPECT_EQ(store.GetEqImage()[1136], 0x11);
    EXPECT_EQ(store.GetEqImage()[1140], 0x11);
    EXPECT_EQ(store.GetSpeakerPositions(), ParameterStore::kDefaultSpeakerPositions);
    // Speaker positions: raw bytes in 22/23, sign-and-magnitude elsewhere; magnitude 0 is +0.
    parser.Dispatch(Reply({0, cmd::kMemoryRead, 0x04, 0x75, 20, 0x85, 0x85, 0x85, 0x80}));
    EXPECT_EQ(store.Int(fld::kSpeakerRaw0), 0x85);
    EXPECT_EQ(store.Int(fld::kSpeakerRaw1), 0x85);
    EXPECT_FLOAT_EQ(store.Float(21), -0.5f);
    EXPECT_FALSE(std::signbit(store.Float(20)));
    // Speaker gains: 32 bytes even from a longer claim.
    Report g = Reply({0, cmd::kMemoryRead, 0x04, 0x89, 56});
    std::fill(g.begin() + 5, g.end(), 0x22);
    parser.Dispatch(g);
    const auto gains = store.GetSpeakerGains();
    EXPECT_TRUE(std::all_of(gains.begin(), gains.end(), [](auto b) { return b == 0x22; }));
}

TEST_F(ParserTest, ModeNamesIdentityAndLearnedKeys) {
    Report name = Reply({0, cmd::kModeNameRead, 0x0F, 0x40, 255});
    for (int i = 0; i < 28; ++i)
        PutBe16(&name[static_cast<std::size_t>(5 + 2 * i)], static_cast<std::uint16_t>(u'a' + i % 26));
    parser.Dispatch(name);
    EXPECT_EQ(store.ModeName(1).size(), 24u);  // never more than a name holds
    parser.Dispatch(Reply({0, cmd::kModeNameRead, 0x0F, 0x80, 40, 0xFF, 0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(store.ModeName(2), u"Mode3");  // blank in the box: kept
    parser.Dispatch(Reply({0, cmd::kModeNameRead, 0x0F, 0x20, 40, 0, 'x'}));
    EXPECT_EQ(store.ModeName(0), u"Mode1");  // not the start of a slot

    parser.Dispatch(Reply({0, cmd::kModelName, 'k', 'v', '4', '4', '2', '0', 'a'}));
    parser.Dispatch(Reply({0, cmd::kCmdSetVersion, 9}));
    parser.Dispatch(Reply({0, cmd::kDspVersion}));
    EXPECT_EQ(store.GetIdentity().model, "kv4420a");
    EXPECT_EQ(store.GetIdentity().dspVersion, "");
    EXPECT_EQ(store.CommandSetVersion(), 9);

    int learned = -1;
    parser.SetKeyLearnedHook([&](int k) { learned = k; });
    parser.Dispatch(Reply({0, cmd::kRemoteLearn, 0x40, 9, 0x1C}));
    EXPECT_EQ(learned, 0x1C);
    auto table = store.GetRemoteTable();
    EXPECT_EQ(table[0], 0x40);
    EXPECT_EQ(table[9], 0x1C);
    parser.Dispatch(Reply({0, cmd::kRemoteLearn, 0x41, 200, 0x55}));  // index past the table
    table = store.GetRemoteTable();
    EXPECT_EQ(table[0], 0x41);
    EXPECT_EQ(std::count(table.begin(), table.end(), 0x55), 0);
}

// A mode-name reply of each length the report can carry: length / 2 characters, at most 24,
// replace the slot's name; the other slots keep theirs.
class ModeNameReplyLength : public ::testing::TestWithParam<int> {};

TEST_P(ModeNameReplyLength, TakesHalfTheLengthUpToANameAndNoMore) {
    const int length = GetParam();
    ParameterStore store;
    InboundParser parser(store);
    Report name = Reply({0, cmd::kModeNameRead, 0x0F, 0xC0, static_cast<std::uint8_t>(length)});
    std::u16string payload;
    for (int i = 0; i < 28; ++i) {  // bytes 5..60, the whole rest of the report
        payload += static_cast<char16_t>(0x4E00 + 7 * i);
        PutBe16(&name[static_cast<std::size_t>(5 + 2 * i)], static_cast<std::uint16_t>(payload.back()));
    }
    parser.Dispatch(name);
    EXPECT_EQ(store.ModeName(3), payload.substr(0, static_cast<std::size_t>(std::min(length / 2, 24))));
    EXPECT_EQ(store.ModeName(0), u"Mode1");
    EXPECT_EQ(store.ModeName(2), u"Mode3");
}

INSTANTIATE_TEST_SUITE_P(EveryLength, ModeNameReplyLength, ::testing::Range(0, 57));
INSTANTIATE_TEST_SUITE_P(LongestByte, ModeNameReplyLength, ::testing::Values(57, 128, 255));

TEST_F(ParserTest, SettingsAuxMeterAndChangeFlag) {
    parser.Dispatch(Reply({0, cmd::kSettingsRead, 1, 255, 50, 80, 90}));
    EXPECT_EQ(store.AppliedSettings()[1], 255);
    EXPECT_EQ(store.EditedSettings()[4], 90);
    parser.Dispatch(Reply({0, reply::kAuxBytes, 0, 7, 7, 7}));
    EXPECT_EQ(store.GetAuxBytes()[0], 0);
    parser.Dispatch(Reply({0, reply::kAuxBytes, 1, 7, 8, 9}));
    parser.Dispatch(Reply({0, reply::kAuxByte5, 0, 5}));
    EXPECT_EQ(store.GetAuxBytes(), (ParameterStore::AuxBytes{7, 8, 9, 0, 0, 5}));
    Report meter = Reply({0, cmd::kLevelMeter});
    meter[16] = 1;
    parser.Dispatch(meter);
    EXPECT_EQ(store.Int(fld::kMusicStream), 1);
    EXPECT_FALSE(store.SettingsChanged());
    parser.Dispatch(Reply({0, reply::kParamChanged}));
    EXPECT_TRUE(store.SettingsChanged());
    parser.Dispatch(Reply({0, cmd::kCurrentMode, 3}));
    EXPECT_EQ(store.Int(fld::kCurrentMode), 3);
}

}  // namespace
}  // namespace kv
