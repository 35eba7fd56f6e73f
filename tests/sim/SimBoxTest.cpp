// The simulated box, driven through a real link: what it answers, what it keeps, what it
// refuses, and how it behaves when slow, silent or unplugged.

#include <gtest/gtest.h>

#include <bit>
#include <thread>

#include "model/Bytes.h"
#include "sim/FactoryDefaults.h"
#include "tests/sim/LinkHarness.h"

namespace kv {
namespace {

using test::Eventually;
using test::LinkHarness;

class SimBoxTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.Link().Open()); }
    void TearDown() override {
        if (expectClean) {
            for (const auto& v : h.Box().Violations()) ADD_FAILURE() << v;
        }
    }
    Report Ask(std::initializer_list<std::uint8_t> bytes) {
        auto a = h.Exchange(bytes);
        EXPECT_TRUE(a.has_value());
        return a.value_or(Report{});
    }
    Report Ask(const Report& r) {
        auto a = h.Exchange(r);
        EXPECT_TRUE(a.has_value());
        return a.value_or(Report{});
    }
    std::vector<std::uint8_t> Data(const Report& r, int from, int n) {
        return {r.begin() + from, r.begin() + from + n};
    }

    LinkHarness h;
    bool expectClean = true;
};

TEST_F(SimBoxTest, IdentityQueriesAnswerTextAndVersion) {
    EXPECT_EQ(ReplyText(Ask({cmd::kModelName}), 29), "KV4420M");
    EXPECT_EQ(Ask({cmd::kCmdSetVersion})[2], 9);
    EXPECT_FALSE(ReplyText(Ask({cmd::kMcuVersion}), 10).empty());
    EXPECT_FALSE(ReplyText(Ask({cmd::kDspVersion}), 10).empty());

    h.Box().SetModelName("kv4420a");
    h.Box().SetCommandSetVersion(8);
    h.Box().SetMcuVersion("2020-01-02");
    h.Box().SetDspVersion("");
    const Report model = Ask({cmd::kModelName});
    EXPECT_EQ(model[1], cmd::kModelName);
    EXPECT_EQ(ReplyText(model, 29), "kv4420a");
    EXPECT_EQ(model[9], 0);  // text ends with a zero byte
    EXPECT_EQ(Ask({cmd::kCmdSetVersion})[2], 8);
    EXPECT_EQ(ReplyText(Ask({cmd::kMcuVersion}), 10), "2020-01-02");
    EXPECT_EQ(Ask({cmd::kDspVersion})[2], 0);
}

TEST_F(SimBoxTest, CommandsWithoutUsedAnswerAreEchoed) {
    const std::vector<Report> requests = {
        BuildCommand({cmd::kModeSelect, 1}),
        BuildCommand({cmd::kModeSave, 1}),
        BuildCommand({cmd::kModeLoad, 1}),
        BuildCommand({cmd::kModeReset, 1}),
        BuildParamWrite(1, 30, std::vector<ParamValue>{ParamValue::FromFloat(0.5f)}),
        BuildCommand({cmd::kRemoteLearnStop}),
        BuildCommand({cmd::kRemoteTableWrite, 1, 2, 3}),
        BuildCommand({cmd::kDeviceReset, kDeviceResetKey}),
        BuildMemoryWrite(0, std::vector<std::uint8_t>{0, 150}),
        BuildCommand({cmd::kSettingsWrite, 0, 255, 255, 99, 99}),
        BuildCommand({cmd::kModeNameWrite, 0x0F, 0x40, 44, 0, 'X'}),
    };
    for (const auto& r : requests) {
        const Report a = Ask(r);
        EXPECT_EQ(a[0], kReportNumber);
        EXPECT_EQ(a[1], r[1]) << ToHex(r);
    }
}

TEST_F(SimBoxTest, FreshBoxReadsBackTheStartUpDefaults) {
    const Report echoTime = Ask(BuildParamRead(module::kEcho, 18, 1));
    EXPECT_EQ(echoTime[1], cmd::kParamRead);
    EXPECT_EQ(Data(echoTime, 2, 4), (std::vector<std::uint8_t>{0, module::kEcho, 18, 1}));
    EXPECT_EQ(GetBe32(&echoTime[6]), 10416u);  // 217 ms at 48 kHz
    EXPECT_FLOAT_EQ(GetBeFloat(&Ask(BuildParamRead(module::kEcho, 26, 1))[6]), 0.60f);
    // Mutes read open, delay modes read "high part only", compressors read ratio 1.
    EXPECT_FLOAT_EQ(GetBeFloat(&Ask(BuildParamRead(module::kMic, 42, 1))[6]), 1.0f);
    const Report delayMode = Ask(BuildParamRead(module::kMain, 39, 2));
    EXPECT_FLOAT_EQ(GetBeFloat(&delayMode[10]), 1.0f);
    const Report comp = Ask(BuildParamRead(module::kSub, 27, 7));
    EXPECT_FLOAT_EQ(GetBeFloat(&comp[6 + 4 * 2]), 0.0f);
    EXPECT_FLOAT_EQ(GetBeFloat(&comp[6 + 4 * 6]), 1.0f);
    EXPECT_EQ(GetBe32(&Ask(BuildParamRead(module::kMusic, 23, 1))[6]), 5u);  // pitch 0 as byte - 5
    // Anything else reads 0, and only the requested count is filled.
    const Report level = Ask(BuildParamRead(module::kMusic, 15, 6));
    EXPECT_EQ(Data(level, 6, 24), std::vector<std::uint8_t>(24, 0));

    h.Box().SetCommandSetVersion(8);
    const Report pitch8 = Ask(BuildParamRead(module::kMusic, 23, 2));
    EXPECT_EQ(GetBe32(&pitch8[6]), 480u);
    EXPECT_FLOAT_EQ(GetBeFloat(&pitch8[10]), 0.0f);
}

TEST_F(SimBoxTest, ParameterWordsAreKeptExactlyAsWritten) {
    std::vector<ParamValue> seven;
    for (int i = 0; i < 7; ++i) seven.push_back(ParamValue::FromInt(0x01020300 + i));
    Ask(BuildParamWrite(module::kTop, 19, seven));
    const Report back = Ask(BuildParamRead(module::kTop, 19, 7));
    EXPECT_EQ(back[2], 0);
    for (int i = 0; i < 7; ++i) EXPECT_EQ(GetBe32(&back[6 + 4 * i]), 0x01020300u + i);

    // A shorter write replaces only the leading values.
    Ask(BuildParamWrite(module::kTop, 19, std::vector<ParamValue>{ParamValue::FromFloat(-12.5f)}));
    EXPECT_FLOAT_EQ(h.Box().ParamFloat(module::kTop, 19, 0), -12.5f);
    EXPECT_EQ(h.Box().ParamInt(module::kTop, 19, 6), 0x01020306);
    EXPECT_EQ(h.Box().ParamWords(module::kTop, 19).size(), 7u);
    EXPECT_TRUE(h.Box().ParamWords(module::kTop, 20).empty());

    // A write shorter than a default of several values keeps the other defaults.
    Ask(BuildParamWrite(module::kMain, 33, std::vector<ParamValue>{ParamValue::FromFloat(-6.0f)}));
    EXPECT_FLOAT_EQ(h.Box().ParamFloat(module::kMain, 33, 3), 20.0f);
}

TEST_F(SimBoxTest, MemoryHoldsTheDefaultImageAndKeepsWrites) {
    const ParameterStore fresh;
    const auto eq = fresh.GetEqImage();
    std::vector<std::uint8_t> image;
    for (int offset = 0; offset < kEqImageSize; offset += kMaxMemoryChunk) {
        const int n = std::min(kMaxMemoryChunk, kEqImageSize - offset);
        const Report a = Ask(BuildMemoryRead(offset, n));
        EXPECT_EQ(a[2], offset >> 8);
        EXPECT_EQ(a[3], offset & 0xFF);
        EXPECT_EQ(a[4], n);
        const auto chunk = Data(a, kMemoryDataOffset, n);
        image.insert(image.end(), chunk.begin(), chunk.end());
    }
    EXPECT_EQ(image, std::vector<std::uint8_t>(eq.begin(), eq.end()));

    const auto& pos = ParameterStore::kDefaultSpeakerPositions;
    EXPECT_EQ(Data(Ask(BuildMemoryRead(kSpeakerPosOffset, 20)), 5, 20),
              std::vector<std::uint8_t>(pos.begin(), pos.end()));
    EXPECT_EQ(Data(Ask(BuildMemoryRead(kSpeakerGainOffset, 32)), 5, 32), std::vector<std::uint8_t>(32, 0));

    // The last EQ block, across into the speaker-position block.
    std::vector<std::uint8_t> bytes(30);
    for (int i = 0; i < 30; ++i) bytes[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(0xA0 + i);
    Ask(BuildMemoryWrite(1120, bytes));
    EXPECT_EQ(Data(Ask(BuildMemoryRead(1120, 30)), 5, 30), bytes);
    EXPECT_EQ(h.Box().Memory(1120, 30), bytes);
    // The very last byte of the speaker-gain block is writable.
    Ask(BuildMemoryWrite(1192, std::vector<std::uint8_t>{0x5A}));
    EXPECT_EQ(h.Box().Memory(1192, 1), std::vector<std::uint8_t>{0x5A});
}

TEST_F(SimBoxTest, ModeNamesAreUtf16InTheNameTable) {
    const Report a = Ask({cmd::kModeNameRead, 0x0F, 0x80, 40});
    EXPECT_EQ(Data(a, 1, 4), (std::vector<std::uint8_t>{cmd::kModeNameRead, 0x0F, 0x80, 40}));
    EXPECT_EQ(Data(a, 5, 12), (std::vector<std::uint8_t>{0, 'M', 0, 'o', 0, 'd', 0, 'e', 0, '3', 0, 0}));

    Report write = BuildCommand({cmd::kModeNameWrite, 0x0F, 0x40, 44});
    const std::u16string name = u"Bühne \u4E2D";
    for (std::size_t i = 0; i < name.size(); ++i) PutBe16(&write[5 + 2 * i], name[i]);
    Ask(write);
    EXPECT_EQ(h.Box().ModeName(1), name);
    const Report back = Ask({cmd::kModeNameRead, 0x0F, 0x40, 40});
    EXPECT_EQ(GetBe16(&back[5 + 2]), u'ü');
    EXPECT_EQ(GetBe16(&back[5 + 2 * 6]), 0x4E2D);
    // The same table is box memory at 0x0F00 + 64 x slot.
    EXPECT_EQ(Data(Ask(BuildMemoryRead(0x0F40, 4)), 5, 4), (std::vector<std::uint8_t>{0, 'B', 0, 0xFC}));
    EXPECT_EQ(h.Box().ModeName(0), u"Mode1");
}

TEST_F(SimBoxTest, UserModeSlotsSaveLoadAndReset) {
    const auto write = [&](float v) {
        Ask(BuildParamWrite(module::kMusic, 15, std::vector<ParamValue>(6, ParamValue::FromFloat(v))));
        Ask(BuildMemoryWrite(406, std::vector<std::uint8_t>{0, static_cast<std::uint8_t>(v * 100)}));
    };
    EXPECT_EQ(Ask({cmd::kCurrentMode})[2], 0);
    write(0.25f);
    Ask({cmd::kModeSave, 2});
    EXPECT_EQ(Ask({cmd::kCurrentMode})[2], 2);

    write(0.75f);
    Ask({cmd::kModeLoad, 2});
    EXPECT_FLOAT_EQ(h.Box().ParamFloat(module::kMusic, 15, 5), 0.25f);
    EXPECT_EQ(h.Box().Memory(406, 2), (std::vector<std::uint8_t>{0, 25}));

    // Slot 1 was never saved: loading it gives the factory state.
    Ask({cmd::kModeLoad, 1});
    EXPECT_EQ(Ask({cmd::kCurrentMode})[2], 1);
    EXPECT_TRUE(h.Box().ParamWords(module::kMusic, 15).empty());
    EXPECT_EQ(h.Box().Memory(406, 2), (std::vector<std::uint8_t>{0, 150}));

    // Reset wipes slot 2 and loads it.
    Ask({cmd::kModeLoad, 2});
    Ask({cmd::kModeReset, 2});
    EXPECT_EQ(h.Box().CurrentSlot(), 2);
    EXPECT_TRUE(h.Box().ParamWords(module::kMusic, 15).empty());
    Ask({cmd::kModeLoad, 2});
    EXPECT_TRUE(h.Box().ParamWords(module::kMusic, 15).empty());

    Ask({cmd::kModeSelect, 3});
    EXPECT_EQ(Ask({cmd::kCurrentMode})[2], 3);
}

TEST_F(SimBoxTest, SettingsRecordAndRemoteTable) {
    const Report fresh = Ask({cmd::kSettingsRead});
    EXPECT_EQ(Data(fresh, 2, 13), (std::vector<std::uint8_t>{0, 255, 255, 99, 99, 0, 0, 0, 0, 0, 0, 0, 0}));
    Ask({cmd::kSettingsWrite, 1, 20, 30, 80, 90, 1, 0x93, 0, 0, 0, 0, 0, 4});
    EXPECT_EQ(Data(Ask({cmd::kSettingsRead}), 2, 13),
              (std::vector<std::uint8_t>{1, 20, 30, 80, 90, 1, 0x93, 0, 0, 0, 0, 0, 4}));

    EXPECT_EQ(Data(Ask({cmd::kRemoteTableRead}), 2, 16), std::vector<std::uint8_t>(16, 0));
    Report table = BuildCommand({cmd::kRemoteTableWrite});
    for (int i = 0; i < 16; ++i) table[static_cast<std::size_t>(2 + i)] = static_cast<std::uint8_t>(0x40 + i);
    Ask(table);
    EXPECT_EQ(Data(Ask({cmd::kRemoteTableRead}), 2, 16), Data(table, 2, 16));
}

TEST_F(SimBoxTest, LearnAnswersOnlyWhenAKeyIsPressed) {
    h.Box().PressRemoteKey(0x40, 0x11);  // not learning: nothing is reported
    ASSERT_EQ(h.Link().SendCommand({cmd::kRemoteLearn, 9, -1}), kReportSize);
    EXPECT_EQ(h.Box().LearningKeyIndex(), 9);
    const std::size_t before = h.ReplyCount();
    h.Box().PressRemoteKey(0x40, 0x1C);
    ASSERT_TRUE(h.WaitReplies(before + 1));
    const Report learned = h.Replies()[before];
    EXPECT_EQ(Data(learned, 1, 4), (std::vector<std::uint8_t>{cmd::kRemoteLearn, 0x40, 9, 0x1C}));
    EXPECT_FALSE(h.Box().LearningKeyIndex());
    EXPECT_EQ(h.Box().RemoteTable()[9], 0);  // kept only when the table is written

    // A stopped learn reports nothing; the stop itself is answered.
    h.Link().SendCommand({cmd::kRemoteLearn, 3, -1});
    h.Link().ReleaseWritePermit();
    EXPECT_EQ(Ask({cmd::kRemoteLearnStop})[1], cmd::kRemoteLearnStop);
    const std::size_t after = h.ReplyCount();
    h.Box().PressRemoteKey(0x40, 0x22);
    EXPECT_EQ(Ask({cmd::kCurrentMode})[1], cmd::kCurrentMode);
    EXPECT_EQ(h.ReplyCount(), after + 1);
}

TEST_F(SimBoxTest, LevelMetersMoveAndCarryTheMusicStreamFlag) {
    const Report first = Ask({cmd::kLevelMeter});
    EXPECT_EQ(first[1], cmd::kLevelMeter);
    EXPECT_EQ(first[16], 0);
    EXPECT_TRUE(Eventually([&] { return Data(Ask({cmd::kLevelMeter}), 2, 10) != Data(first, 2, 10); }));
    h.Box().SetMusicStream(true);
    const Report withStream = Ask({cmd::kLevelMeter});
    EXPECT_EQ(withStream[16], 1);
    EXPECT_EQ(Data(withStream, 12, 4), std::vector<std::uint8_t>(4, 0));
}

TEST_F(SimBoxTest, BlankMemoryReadsAsFF) {
    h.Box().SetBlankMemory(true);
    const Report eq = Ask(BuildMemoryRead(0, 56));
    EXPECT_EQ(Data(eq, 2, 3), (std::vector<std::uint8_t>{0, 0, 56}));
    EXPECT_EQ(Data(eq, 5, 56), std::vector<std::uint8_t>(56, 0xFF));
    EXPECT_EQ(Data(Ask(BuildMemoryRead(kSpeakerPosOffset, 20)), 5, 20), std::vector<std::uint8_t>(20, 0xFF));
    const Report name = Ask({cmd::kModeNameRead, 0x0F, 0xC0, 40});
    EXPECT_EQ(Data(name, 5, 40), std::vector<std::uint8_t>(40, 0xFF));
    EXPECT_EQ(name[45], 0);  // nothing beyond the requested length
    h.Box().SetBlankMemory(false);
    EXPECT_EQ(Ask(BuildMemoryRead(0, 2))[6], 150);
}

TEST_F(SimBoxTest, DeviceResetRestoresTheFactoryState) {
    Ask(BuildParamWrite(module::kMic, 30, std::vector<ParamValue>{ParamValue::FromFloat(0.9f)}));
    Ask({cmd::kModeSave, 3});
    Ask({cmd::kSettingsWrite, 1, 2, 3, 4, 5});
    Ask({cmd::kDeviceReset, kDeviceResetKey});
    EXPECT_EQ(h.Box().CurrentSlot(), 0);
    EXPECT_TRUE(h.Box().ParamWords(module::kMic, 30).empty());
    EXPECT_EQ(h.Box().Settings(), FactorySettings());
    Ask({cmd::kModeLoad, 3});
    EXPECT_TRUE(h.Box().ParamWords(module::kMic, 30).empty());
}

// One report of each kind that breaks the command table gives one violation each.
TEST_F(SimBoxTest, EveryBreachOfTheCommandTableIsRecorded) {
    expectClean = false;
    Report badNumber = BuildCommand({cmd::kCurrentMode});
    badNumber[0] = 0x01;
    Report paramTail = BuildParamWrite(1, 30, std::vector<ParamValue>{ParamValue::FromFloat(1.0f)});
    paramTail[10] = 1;  // one value, yet a fifth value byte
    Report memTail = BuildMemoryWrite(0, std::vector<std::uint8_t>{1, 2});
    memTail[7] = 9;
    const std::vector<std::pair<Report, std::string>> bad = {
        {badNumber, "report number"},
        {BuildCommand({0x55}), "unknown command"},
        {BuildParamWrite(10, 1, std::vector<ParamValue>{ParamValue{}}), "module 10"},
        {BuildParamRead(0, 1, 1), "module 0"},
        {BuildCommand({cmd::kParamWrite, 0, 1, 30, 0}), "count 0"},
        {BuildParamRead(1, 30, 8), "count 8"},
        {BuildCommand({cmd::kMemoryRead, 0, 0, 0}), "length 0"},
        {BuildMemoryRead(0, 57), "length 57"},
        {BuildMemoryRead(1180, 20), "outside the memory map"},
        {BuildMemoryRead(0x0800, 4), "outside the memory map"},
        {BuildMemoryRead(0x0FF0, 17), "outside the memory map"},
        {BuildCommand({cmd::kModeLoad, 4}), "slot 4"},
        {BuildCommand({cmd::kModeNameRead, 0x0F, 0x20, 40}), "start of a slot"},
        {BuildCommand({cmd::kRemoteLearn, 16}), "key index 16"},
        {BuildCommand({cmd::kRemoteLearn, 0}), "key index 0"},
        {paramTail, "byte 10"},
        {memTail, "byte 7"},
        {BuildCommand({cmd::kModelName, 1}), "byte 2"},
        {BuildCommand({cmd::kDeviceReset, 0x55}), "0xAA"},
    };
    for (const auto& [report, what] : bad) {
        h.Box().ClearViolations();
        h.Link().WriteReport(report);
        if (report[1] == cmd::kRemoteLearn) h.Link().ReleaseWritePermit();  // no answer comes
        const auto v = h.Box().Violations();
        ASSERT_EQ(v.size(), 1u) << ToHex(report);
        EXPECT_NE(v[0].find(what), std::string::npos) << v[0];
    }
    // The refused parameter read reports a bad status rather than values.
    h.Box().ClearViolations();
    EXPECT_NE(Ask(BuildParamRead(12, 1, 1))[2], 0);
}

TEST_F(SimBoxTest, TranscriptRecordsBothDirectionsInOrder) {
    h.Box().ClearTranscript();
    h.Box().SetLatency(std::chrono::milliseconds(3));
    for (std::uint8_t code : {cmd::kModelName, cmd::kCmdSetVersion, cmd::kCurrentMode, cmd::kSettingsRead}) Ask({code});
    const auto t = h.Box().Transcript();
    ASSERT_EQ(t.size(), 8u);
    for (std::size_t i = 0; i < t.size(); i += 2) {
        EXPECT_EQ(t[i].direction, SimBox::Direction::ToBox);
        EXPECT_EQ(t[i + 1].direction, SimBox::Direction::FromBox);
        EXPECT_EQ(t[i].report[1], t[i + 1].report[1]);
        // An answer is due one latency after its request.
        EXPECT_GE(t[i + 1].when - t[i].when, std::chrono::milliseconds(3));
        if (i > 0) {
            EXPECT_LE(t[i - 1].when, t[i].when);
        }
    }
    EXPECT_EQ(h.Box().Received(cmd::kCurrentMode).size(), 1u);
    EXPECT_EQ(h.Box().Received().size(), 4u);
}

TEST_F(SimBoxTest, SilentBoxTakesWritesAndNeverAnswers) {
    LinkHarness silent(LinkTimings{100, 500, 10});
    silent.Box().SetSilent(true);
    ASSERT_TRUE(silent.Link().Open());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(silent.Link().SendCommand({cmd::kCmdSetVersion, -1}), kReportSize);
    EXPECT_EQ(silent.Box().Received(cmd::kCmdSetVersion).size(), 3u);
    EXPECT_EQ(silent.ReplyCount(), 0u);
    for (const auto& e : silent.Box().Transcript()) EXPECT_EQ(e.direction, SimBox::Direction::ToBox);
}

TEST_F(SimBoxTest, UnpluggingEndsTheReadThreadAndRefusesWrites) {
    h.Box().SetUnplugged(true);
    ASSERT_TRUE(Eventually([&] { return h.Link().ReadThreadEnded(); }));
    EXPECT_EQ(h.Link().SendCommand({cmd::kModelName, -1}), 0);
    EXPECT_TRUE(h.Box().Received(cmd::kModelName).empty());
    h.Link().CloseAfterRemoval();
    EXPECT_FALSE(h.Link().Open());  // nothing to find while unplugged

    // Plugged in again: a fresh connection works, and the box kept its state.
    h.Box().SetUnplugged(false);
    ASSERT_TRUE(h.Link().Open());
    EXPECT_FALSE(h.Link().ReadThreadEnded());
    EXPECT_EQ(ReplyText(Ask({cmd::kModelName}), 29), "KV4420M");
}

// The transport on its own: latency, unsolicited reports and a connection that outlives
// an unplug.
TEST(SimTransportTest, AnswersBecomeReadableAfterTheLatency) {
    auto box = std::make_shared<SimBox>();
    box->SetLatency(std::chrono::seconds(1));
    SimTransport t(box);
    EXPECT_EQ(t.Path().rfind("sim:", 0), 0u);
    EXPECT_NE(t.Path(), SimTransport(box).Path());
    ASSERT_EQ(t.Write(BuildCommand({cmd::kCmdSetVersion}), 1800), kReportSize);
    Report out{};
    EXPECT_EQ(t.Read(out, 0), Transport::ReadStatus::Timeout);  // not due yet
    ASSERT_EQ(t.Read(out, 10000), Transport::ReadStatus::Ok);
    EXPECT_EQ(out[1], cmd::kCmdSetVersion);
}

TEST(SimTransportTest, UnsolicitedReportWakesABlockedReader) {
    auto box = std::make_shared<SimBox>();
    SimTransport t(box);
    Report pushed = BuildCommand({reply::kParamChanged, 7});
    std::thread pusher([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        box->PushUnsolicited(pushed);
    });
    Report out{};
    EXPECT_EQ(t.Read(out, 10000), Transport::ReadStatus::Ok);
    pusher.join();
    EXPECT_EQ(out, pushed);
}

TEST(SimTransportTest, ConnectionStaysDeadAfterUnplugAndReplug) {
    auto box = std::make_shared<SimBox>();
    auto opener = MakeSimOpener(box);
    auto old = opener({});
    ASSERT_TRUE(old);
    box->SetUnplugged(true);
    EXPECT_FALSE(opener({}));
    Report out{};
    EXPECT_EQ(old->Read(out, 10000), Transport::ReadStatus::Failed);
    EXPECT_EQ(old->Write(BuildCommand({cmd::kModelName}), 1800), 0);
    box->SetUnplugged(false);
    EXPECT_EQ(old->Write(BuildCommand({cmd::kModelName}), 1800), 0);
    auto fresh = opener({});
    ASSERT_TRUE(fresh);
    EXPECT_EQ(fresh->Write(BuildCommand({cmd::kModelName}), 1800), kReportSize);
    EXPECT_EQ(fresh->Read(out, 10000), Transport::ReadStatus::Ok);
}

// The deterministic unplug: exactly N reports arrive and are answered; the next one unplugs
// the box instead, its write fails, reads fail, and the box cannot be found until plugged in.
class UnplugAfterReports : public ::testing::TestWithParam<int> {};

TEST_P(UnplugAfterReports, TakesExactlyThatManyReports) {
    const int n = GetParam();
    auto box = std::make_shared<SimBox>();
    auto opener = MakeSimOpener(box);
    auto t = opener({});
    ASSERT_TRUE(t);
    box->SetUnplugAfter(n);
    Report out{};
    for (int i = 0; i < n; ++i) {
        ASSERT_EQ(t->Write(BuildCommand({cmd::kCurrentMode}), 1800), kReportSize) << "report " << i;
        ASSERT_EQ(t->Read(out, 10000), Transport::ReadStatus::Ok) << "answer " << i;
    }
    EXPECT_FALSE(box->Unplugged());
    EXPECT_EQ(t->Write(BuildCommand({cmd::kModelName}), 1800), 0);
    EXPECT_TRUE(box->Unplugged());
    EXPECT_EQ(t->Read(out, 10000), Transport::ReadStatus::Failed);
    EXPECT_EQ(box->Received().size(), static_cast<std::size_t>(n));
    EXPECT_TRUE(box->Received(cmd::kModelName).empty());
    EXPECT_FALSE(opener({}));
    box->SetUnplugged(false);  // plugged in again, the fault spent
    auto fresh = opener({});
    ASSERT_TRUE(fresh);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(fresh->Write(BuildCommand({cmd::kCurrentMode}), 1800), kReportSize);
}

INSTANTIATE_TEST_SUITE_P(Counts, UnplugAfterReports, ::testing::Values(0, 1, 7));

}  // namespace
}  // namespace kv
