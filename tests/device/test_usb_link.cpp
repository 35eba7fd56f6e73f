// The link against the simulated box: pacing, a silent box, a vanished box, opening and
// closing, and the exact bytes of the reports it builds.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "device/UsbLink.h"
#include "model/Bytes.h"
#include "tests/sim/LinkHarness.h"

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;
using test::Eventually;
using test::LinkHarness;

bool HasDebug(LinkHarness& h, const std::string& text) {
    const auto d = h.DebugTexts();
    return std::find(d.begin(), d.end(), text) != d.end();
}

// Each write waits for the answer to the previous one, whichever thread writes: in the
// box's time-ordered transcript every request follows the answer to the one before.
TEST(UsbLinkTest, WritesFromSeveralThreadsArePacedByTheAnswers) {
    LinkHarness h;
    h.Box().SetLatency(std::chrono::milliseconds(2));
    ASSERT_TRUE(h.Link().Open());
    constexpr int kPerThread = 15;
    auto writer = [&](std::uint8_t code) {
        for (int i = 0; i < kPerThread; ++i) EXPECT_EQ(h.Link().SendCommand({code, -1}), kReportSize);
    };
    std::thread a(writer, cmd::kModelName);
    std::thread b(writer, cmd::kCurrentMode);
    a.join();
    b.join();
    ASSERT_TRUE(h.WaitReplies(2 * kPerThread));

    const auto t = h.Box().Transcript();
    ASSERT_EQ(t.size(), 4u * kPerThread);
    for (std::size_t i = 0; i < t.size(); i += 2) {
        ASSERT_EQ(t[i].direction, SimBox::Direction::ToBox) << "request " << i / 2 << " overtook an answer";
        ASSERT_EQ(t[i + 1].direction, SimBox::Direction::FromBox);
        EXPECT_EQ(t[i].report[1], t[i + 1].report[1]);
    }
    EXPECT_TRUE(h.Box().Violations().empty());
}

// A box that never answers slows every write down by the permit wait, and nothing hangs.
TEST(UsbLinkTest, SilentBoxCostsThePermitWaitPerWrite) {
    constexpr int kPermitMs = 100;
    LinkHarness h(LinkTimings{kPermitMs, 500, 10});
    h.Box().SetSilent(true);
    ASSERT_TRUE(h.Link().Open());
    const auto start = Clock::now();
    for (int i = 0; i < 4; ++i) EXPECT_EQ(h.Link().SendCommand({cmd::kSettingsRead, -1}), kReportSize);
    // The first write finds the permit free; each later one waits it out.
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(3 * kPermitMs));
    EXPECT_EQ(h.Box().Received(cmd::kSettingsRead).size(), 4u);

    // Releasing the permit lets the next write through at once (learning is abandoned).
    h.Link().ReleaseWritePermit();
    EXPECT_EQ(h.Link().SendCommand({cmd::kRemoteLearnStop, -1}), kReportSize);
}

TEST(UsbLinkTest, WritesAreRefusedAfterTheReadThreadEnded) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    ASSERT_TRUE(h.Exchange({cmd::kModelName}));
    h.Box().SetUnplugged(true);
    ASSERT_TRUE(Eventually([&] { return h.Link().ReadThreadEnded(); }));
    EXPECT_FALSE(h.Link().LinkIdle());
    EXPECT_TRUE(h.Link().IsOpen());  // until the removal notice closes it

    h.Box().SetUnplugged(false);  // even a box that is back does not revive the old connection
    EXPECT_EQ(h.Link().SendCommand({cmd::kModelName, -1}), 0);
    EXPECT_TRUE(HasDebug(h, "g_bReadThreadEnd == TRUE ,WriteUsbData return \n"));
    EXPECT_EQ(h.Box().Received(cmd::kModelName).size(), 1u);

    h.Link().CloseAfterRemoval();
    ASSERT_TRUE(h.Link().Open());
    EXPECT_FALSE(h.Link().ReadThreadEnded());
    EXPECT_EQ(h.Link().SendCommand({cmd::kModelName, -1}), kReportSize);
}

TEST(UsbLinkTest, OpenTwiceFailsAndKeepsTheConnection) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    const std::string path = h.Link().DevicePath();
    EXPECT_EQ(path.rfind("sim:", 0), 0u);
    EXPECT_FALSE(h.Link().Open());
    EXPECT_EQ(h.Link().DevicePath(), path);
    EXPECT_TRUE(h.Exchange({cmd::kCmdSetVersion}));
}

TEST(UsbLinkTest, WithoutABoxOpenFailsAndWritesReturnZero) {
    LinkHarness h;
    h.Box().SetUnplugged(true);
    EXPECT_FALSE(h.Link().Open());
    EXPECT_FALSE(h.Link().IsOpen());
    const std::uint8_t bytes[3] = {kReportNumber, cmd::kModelName, 0};
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(h.Link().WriteUsbData(bytes, 3), 0);
        EXPECT_EQ(h.Link().SendCommand({cmd::kModelName, -1}), 0);
        EXPECT_EQ(h.Link().WriteMemoryBlock(0, 1, bytes), 0);
    }
    EXPECT_TRUE(h.Box().Received().empty());
    h.Link().Close(true);  // closing a closed link sends nothing
    EXPECT_TRUE(h.Box().Received().empty());
}

TEST(UsbLinkTest, CloseWithNoticeSendsTheDisconnectNoticeLast) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    ASSERT_TRUE(h.Exchange({cmd::kModelName}));
    h.Store().SetLevelMeter(ParameterStore::LevelMeter{1, 2, 3});
    h.Link().Close(true);
    EXPECT_FALSE(h.Link().IsOpen());
    const auto received = h.Box().Received();
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received.back(), BuildCommand({cmd::kDisconnect}));
    EXPECT_EQ(h.Store().GetLevelMeter(), ParameterStore::LevelMeter{});
    EXPECT_EQ(h.Link().SendCommand({cmd::kModelName, -1}), 0);
    EXPECT_TRUE(h.Box().Violations().empty());
}

TEST(UsbLinkTest, CloseWithoutNoticeSendsNothing) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    ASSERT_TRUE(h.Exchange({cmd::kModelName}));
    h.Link().Close(false);
    EXPECT_FALSE(h.Link().IsOpen());
    EXPECT_EQ(h.Box().Received().size(), 1u);
    ASSERT_TRUE(h.Link().Open());  // and it can be opened again
    EXPECT_TRUE(h.Exchange({cmd::kModelName}));
}

TEST(UsbLinkTest, CommandListIsCutAtSixtyBytes) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    std::vector<int> values;
    for (int i = 0; i < 70; ++i) values.push_back(0x80 + i);
    values.push_back(-1);
    EXPECT_EQ(h.Link().SendCommand(values), kReportSize);
    const auto received = h.Box().Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0][0], kReportNumber);
    for (int i = 1; i <= 60; ++i) EXPECT_EQ(received[0][static_cast<std::size_t>(i)], 0x80 + i - 1);

    // The terminator ends the list; values are taken as single bytes.
    h.Link().SendCommand({cmd::kModeSelect, 0x102, -1, 7});
    EXPECT_EQ(h.Box().Received().back(), BuildCommand({cmd::kModeSelect, 0x02}));
}

TEST(UsbLinkTest, ParameterWritesOfSixAndSevenValues) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    for (int n : {6, 7}) {
        std::vector<ParamValue> values;
        for (int i = 0; i < n; ++i) values.push_back(ParamValue::FromFloat(0.25f * (i + 1)));
        ASSERT_TRUE(h.Exchange(BuildParamWrite(module::kMain, 42, values)));
        const Report r = h.Box().Received().back();
        EXPECT_EQ(std::vector<int>(r.begin() + 1, r.begin() + 6), (std::vector<int>{0x09, 0, 5, 42, n}));
        for (int i = 0; i < n; ++i)
            EXPECT_FLOAT_EQ(GetBeFloat(&r[static_cast<std::size_t>(6 + 4 * i)]), 0.25f * (i + 1));
        const int end = 6 + 4 * n;  // 30 for six values, 34 for seven
        EXPECT_TRUE(std::all_of(r.begin() + end, r.end(), [](auto b) { return b == 0; })) << ToHex(r);
        EXPECT_EQ(h.Box().ParamWords(module::kMain, 42).size(), static_cast<std::size_t>(n));
    }
    // An eighth value is cut.
    const Report eight = BuildParamWrite(module::kMain, 33, std::vector<ParamValue>(8, ParamValue::FromInt(-1)));
    EXPECT_EQ(eight[5], 7);
    EXPECT_EQ(eight[34], 0);
    EXPECT_TRUE(h.Box().Violations().empty());
}

TEST(UsbLinkTest, MemoryWriteOfTheLastEqBlock) {
    LinkHarness h;
    ASSERT_TRUE(h.Link().Open());
    std::vector<std::uint8_t> block(21);
    for (std::size_t i = 0; i < block.size(); ++i) block[i] = static_cast<std::uint8_t>(0x30 + i);
    EXPECT_EQ(h.Link().WriteMemoryBlock(1120, 21, block.data()), kReportSize);
    ASSERT_TRUE(h.WaitReplies(1));
    const Report r = h.Box().Received().back();
    EXPECT_EQ(std::vector<int>(r.begin(), r.begin() + 5), (std::vector<int>{0x02, 0x85, 0x04, 0x60, 21}));
    EXPECT_EQ(std::vector<std::uint8_t>(r.begin() + 5, r.begin() + 26), block);
    EXPECT_TRUE(std::all_of(r.begin() + 26, r.end(), [](auto b) { return b == 0; }));
    EXPECT_EQ(h.Box().Memory(1120, 21), block);
    EXPECT_TRUE(h.Box().Violations().empty());
}

}  // namespace
}  // namespace kv
