// The link's outbound queue against the simulated box: writes from the queueing thread
// return at once, a later report to the same target takes the place of one still waiting,
// barriers are never crossed, and close delivers what is queued. The box is made to fall
// behind by holding its answers, so no case depends on how fast a thread runs.

#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "device/Encoders.h"
#include "device/Parameters.h"
#include "device/UsbLink.h"
#include "tests/sim/LinkHarness.h"

namespace kv {
namespace {

using Clock = std::chrono::steady_clock;
using test::Eventually;
using test::LinkHarness;

// The permit wait is far longer than any case, so only the box's answers let reports out.
constexpr LinkTimings kHeldTimings{60000, 300, 5};

class QueueHarness : public LinkHarness {
public:
    explicit QueueHarness(LinkTimings timings = kHeldTimings) : LinkHarness(timings) {
        Link().QueueWritesFrom(std::this_thread::get_id());
        Link().Open();
    }
    // One report goes out and its answer is held: whatever is written next waits in the queue.
    void FallBehind() {
        Box().SetAnswersHeld(true);
        Link().WriteReport(BuildCommand({cmd::kCurrentMode}));
        ASSERT_TRUE(Link().Flush());
        Box().ClearTranscript();
    }
    // Lets the box catch up; the reports it received meanwhile.
    std::vector<Report> CatchUp() {
        Box().SetAnswersHeld(false);
        EXPECT_TRUE(Link().Flush());
        return Box().Received();
    }
};

Report P(int module, int parameter, float v, int count = 1) {
    return BuildParamWrite(module, parameter, std::vector<ParamValue>(std::size_t(count), ParamValue::FromFloat(v)));
}
Report M(int offset, int length, std::uint8_t fill) {
    return BuildMemoryWrite(offset, std::vector<std::uint8_t>(std::size_t(length), fill));
}
const Report kSave = BuildCommand({cmd::kModeSave, 1});
const Report kSettingsRead = BuildCommand({cmd::kSettingsRead});
const Report kMemRead = BuildMemoryRead(0x10, 7);
const Report kParamRead = BuildParamRead(module::kMic, 30, 1);

struct QueueCase {
    const char* name;
    std::vector<Report> written;    // in the order the queueing thread writes them
    std::vector<Report> delivered;  // what the box must receive once it catches up
};

class LinkQueueTest : public testing::TestWithParam<QueueCase> {};

TEST_P(LinkQueueTest, BoxReceivesTheLatestValuesInOrder) {
    QueueHarness h;
    h.FallBehind();
    for (const Report& r : GetParam().written) EXPECT_EQ(h.Link().WriteReport(r), kReportSize);
    EXPECT_TRUE(h.Box().Received().empty()) << "a report overtook the held answer";
    EXPECT_EQ(h.Link().Backlog(), GetParam().delivered.size());
    const auto got = h.CatchUp();
    ASSERT_EQ(got.size(), GetParam().delivered.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(ToHex(got[i]), ToHex(GetParam().delivered[i])) << i;
    EXPECT_TRUE(h.Box().Violations().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Replacement, LinkQueueTest,
    testing::Values(
        QueueCase{"SameParameterLatestWins", {P(1, 30, .1f), P(1, 30, .2f), P(1, 30, .3f)}, {P(1, 30, .3f)}},
        QueueCase{"ReplacedInPlaceOthersKeepOrder",
                  {P(1, 30, .1f), P(1, 43, .5f), P(1, 30, .2f)},
                  {P(1, 30, .2f), P(1, 43, .5f)}},
        QueueCase{"AnotherCountModuleOrParameterIsAnotherTarget",
                  {P(4, 15, .1f, 6), P(4, 15, .2f, 1), P(5, 15, .3f, 6), P(4, 16, .4f, 6)},
                  {P(4, 15, .1f, 6), P(4, 15, .2f, 1), P(5, 15, .3f, 6), P(4, 16, .4f, 6)}},
        QueueCase{"SameMemoryBlockLatestWins", {M(0x10, 7, 1), M(0x10, 7, 2)}, {M(0x10, 7, 2)}},
        QueueCase{"AnotherOffsetOrLengthIsAnotherBlock",
                  {M(0x10, 7, 1), M(0x10, 6, 2), M(0x17, 7, 3)},
                  {M(0x10, 7, 1), M(0x10, 6, 2), M(0x17, 7, 3)}},
        QueueCase{"ModeSaveIsABarrier", {P(1, 30, .1f), kSave, P(1, 30, .2f)}, {P(1, 30, .1f), kSave, P(1, 30, .2f)}},
        QueueCase{"SettingsReadIsABarrier",
                  {M(0x10, 7, 1), kSettingsRead, M(0x10, 7, 2)},
                  {M(0x10, 7, 1), kSettingsRead, M(0x10, 7, 2)}},
        QueueCase{"ReadRequestsAreBarriers",
                  {M(0x10, 7, 1), kMemRead, M(0x10, 7, 2), P(1, 30, .1f), kParamRead, P(1, 30, .2f)},
                  {M(0x10, 7, 1), kMemRead, M(0x10, 7, 2), P(1, 30, .1f), kParamRead, P(1, 30, .2f)}},
        QueueCase{"ReplacementOnlyBehindTheLastBarrier",
                  {P(1, 30, .1f), kSave, P(1, 30, .2f), P(1, 30, .3f)},
                  {P(1, 30, .1f), kSave, P(1, 30, .3f)}}),
    [](const auto& info) { return std::string(info.param.name); });

// A writer that waits for its own report (a synchronisation) keeps it: a later queued value
// goes behind it instead of replacing an earlier queued one in front of it.
TEST(LinkQueueTest, WaitingWritersReportIsNeverOvertakenByAnOlderSlot) {
    QueueHarness h;
    h.FallBehind();
    EXPECT_EQ(h.Link().WriteReport(P(1, 30, .1f)), kReportSize);
    int syncResult = -1;
    std::thread sync([&] { syncResult = h.Link().WriteReport(P(1, 30, .5f)); });
    ASSERT_TRUE(Eventually([&] { return h.Link().Backlog() == 2; }));
    EXPECT_EQ(h.Link().WriteReport(P(1, 30, .9f)), kReportSize);
    const auto got = h.CatchUp();
    sync.join();
    EXPECT_EQ(syncResult, kReportSize);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[1], P(1, 30, .5f));
    EXPECT_EQ(got[2], P(1, 30, .9f));
    EXPECT_FLOAT_EQ(h.Box().ParamFloat(1, 30), .9f);
}

// A box that keeps up sees every report the encoders make, in their order, exactly as a link
// whose writers all wait for their reports.
TEST(LinkQueueTest, PromptBoxSeesWhatAWaitingLinkSends) {
    const auto script = [](Encoders& e, UsbLink& link) {
        const auto step = [&](auto action) {
            action();
            link.AwaitAnswer();
        };
        for (int v : {10, 11, 12}) step([&] { e.MicLevel(v); });
        for (double g : {1.0, 1.5, 2.0}) step([&] { e.EqBand(EqId::Music, 3, 1, g, 1000.0, 1.4); });
        step([&] { e.SaveUserMode(1); });
        step([&] { e.SpeakerGain(2, -3.0f); });
        step([&] { e.MusicLevel(40); });
        step([&] { e.MusicMute(0); });
    };
    std::vector<Report> waited;
    {
        LinkHarness h;
        ASSERT_TRUE(h.Link().Open());
        Encoders e(h.Store(), h.Link());
        script(e, h.Link());
        waited = h.Box().Received();
    }
    QueueHarness h(test::FastTimings());
    Encoders e(h.Store(), h.Link());
    script(e, h.Link());
    const auto queued = h.Box().Received();
    ASSERT_EQ(queued.size(), waited.size());
    for (std::size_t i = 0; i < queued.size(); ++i) EXPECT_EQ(ToHex(queued[i]), ToHex(waited[i])) << i;
}

// The fade-in's pauses are queued too: the window does not sleep through them, and no step
// of the fade is merged into the next while the box is behind.
TEST(LinkQueueTest, FadeStepsSurviveABoxThatIsBehind) {
    QueueHarness h;
    h.FallBehind();
    Encoders e(h.Store(), h.Link());
    e.MusicMute(0);
    const auto start = Clock::now();
    const auto got = h.CatchUp();
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(9 * e.Timings().fadeStepMs));
    std::vector<Report> expected;
    for (float v : {0.f, .1f, .2f, .3f, .4f, .5f, .6f, .7f, .8f, 1.f})
        expected.push_back(P(module::kMusic, prm::kMusicMute, v, prm::kStereoValues));
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_EQ(ToHex(got[i]), ToHex(expected[i])) << i;
}

// Closing hands everything still queued to the box, then the notice; a slow box is waited for.
TEST(LinkQueueTest, CloseDeliversTheQueueBeforeTheNotice) {
    QueueHarness h(test::FastTimings());
    h.Box().SetLatency(std::chrono::milliseconds(3));
    std::vector<Report> expected;
    for (int k = 0; k < 30; ++k) {
        expected.push_back(M(7 * k, 7, static_cast<std::uint8_t>(k + 1)));
        EXPECT_EQ(h.Link().WriteReport(expected.back()), kReportSize);
    }
    expected.push_back(BuildCommand({cmd::kDisconnect}));
    h.Link().Close(true);
    EXPECT_EQ(h.Box().Received(), expected);
    EXPECT_EQ(h.Link().WriteReport(P(1, 30, .1f)), 0);
    EXPECT_TRUE(h.Box().Violations().empty());
}

// A box that sends nothing at all makes close give up after the close wait, not after a
// permit wait per queued report, and says why.
TEST(LinkQueueTest, CloseGivesUpOnABoxThatNoLongerAnswers) {
    QueueHarness h;
    h.FallBehind();
    for (int k = 0; k < 5; ++k) h.Link().WriteReport(M(7 * k, 7, 1));
    const auto start = Clock::now();
    h.Link().Close(true);
    const auto took = Clock::now() - start;
    EXPECT_GE(took, std::chrono::milliseconds(kHeldTimings.closeWaitMs));
    EXPECT_LT(took, std::chrono::milliseconds(kHeldTimings.permitWaitMs));
    EXPECT_FALSE(h.Link().IsOpen());
    EXPECT_TRUE(h.Box().Received().empty());
    const auto d = h.DebugTexts();
    EXPECT_NE(std::find(d.begin(), d.end(), "close: the box does not answer, queued reports dropped\n"), d.end());
}

// A link that failed drops its queue and takes nothing more, as a waiting link refuses.
TEST(LinkQueueTest, FailedLinkDropsTheQueue) {
    QueueHarness h;
    h.FallBehind();
    for (int k = 0; k < 3; ++k) h.Link().WriteReport(M(7 * k, 7, 1));
    h.Box().SetUnplugged(true);
    ASSERT_TRUE(Eventually([&] { return h.Link().ReadThreadEnded(); }));
    EXPECT_TRUE(h.Link().Flush());
    EXPECT_EQ(h.Link().Backlog(), 0u);
    EXPECT_EQ(h.Link().WriteReport(M(0, 7, 2)), 0);
    h.Box().SetUnplugged(false);
    EXPECT_TRUE(h.Box().Received().empty());
}

}  // namespace
}  // namespace kv
