// Order and effect of the read-back and the write-all against the simulated box.

#include <gtest/gtest.h>

#include <atomic>

#include "BoxFixture.h"
#include "device/Acceptance.h"

namespace kv::test {
namespace {

struct Req {
    int module, parameter, count;
};

// The read-back's parameter requests as the box expects them, written out in full.
std::vector<Req> ExpectedParamReads(int version) {
    std::vector<Req> r;
    auto add = [&](int m, std::initializer_list<std::pair<int, int>> ps) {
        for (auto [p, n] : ps) r.push_back({m, p, n});
    };
    add(1, {{30, 1}, {33, 1}, {34, 1}, {35, 1}, {36, 1}, {43, 1}, {46, 1}, {47, 1}, {48, 1}, {49, 1}, {66, 2}});
    add(2, {{15, 1}, {22, 1}, {28, 2}});
    add(3, {{15, 1}, {21, 1}, {26, 2}});
    add(4, {{15, 6}, {16, 2}, {17, 2}, {18, 2}});
    add(5, {{28, 1}, {29, 1}, {30, 1}, {31, 1}, {42, 6}, {43, 6}});
    add(6, {{14, 1}, {15, 1}, {16, 1}, {17, 1}, {28, 6}, {29, 6}});
    add(9, {{14, 1}, {15, 1}, {16, 1}, {17, 1}, {28, 6}, {29, 6}});
    add(7, {{12, 1}, {13, 1}, {14, 1}, {15, 1}, {23, 6}});
    add(8, {{22, 1}, {23, 1}, {24, 1}, {25, 1}, {33, 6}});
    for (int p : {37, 38, 39, 40, 60, 61, 62, 63, 64, 65, 56, 57, 58, 59, 42, 50, 51, 52, 53, 55})
        r.push_back({1, p, 1});
    add(3, {{14, 1}, {16, 1}, {17, 1}, {18, 1}, {19, 1}, {27, 2}, {20, 1}, {22, 1}, {23, 1}, {24, 1}, {25, 1}});
    add(2, {{14, 1}, {16, 1}, {17, 1}, {29, 2}, {21, 1}, {23, 1}, {24, 1}});
    add(4, {{20, 1},
            {21, 1},
            {22, 1},
            {23, version == 8 ? 2 : 1},
            {19, 2},
            {25, 1},
            {26, 1},
            {27, 1},
            {28, 1},
            {29, 1},
            {30, 1}});
    add(5, {{32, 1}, {34, 1}, {35, 1}, {36, 1}, {33, 7}, {37, 1}, {38, 1}, {39, 2}, {40, 2}, {41, 2}, {44, 2}});
    for (int m : {6, 9})
        add(m, {{18, 1}, {20, 1}, {21, 1}, {22, 1}, {19, 7}, {23, 1}, {24, 1}, {25, 2}, {26, 2}, {27, 2}, {30, 2}});
    add(7, {{16, 1}, {18, 1}, {19, 1}, {17, 7}, {20, 1}, {21, 2}, {22, 1}});
    add(8, {{26, 1}, {28, 1}, {29, 1}, {27, 7}, {30, 1}, {31, 2}, {32, 1}});
    add(1, {{41, 1}, {54, 1}, {67, 1}, {68, 1}});
    add(2, {{18, 1}, {19, 1}, {20, 1}, {25, 1}, {26, 1}, {27, 1}});
    return r;
}

std::vector<Report> ExpectedReadBack(int version) {
    std::vector<Report> r;
    for (int pass = 0; pass < 2; ++pass)
        for (std::uint8_t c : {cmd::kModelName, cmd::kCmdSetVersion, cmd::kMcuVersion}) r.push_back(BuildCommand({c}));
    r.push_back(BuildCommand({cmd::kCurrentMode}));
    for (std::uint8_t slot = 0; slot < 4; ++slot)
        r.push_back(BuildCommand({cmd::kModeNameRead, 0x0F, static_cast<std::uint8_t>(slot * 64), 40}));
    r.push_back(BuildCommand({cmd::kDspVersion}));
    for (const Req& q : ExpectedParamReads(version)) r.push_back(BuildParamRead(q.module, q.parameter, q.count));
    for (int offset = 0; offset <= 1120; offset += 56) r.push_back(BuildMemoryRead(offset, offset == 1120 ? 21 : 56));
    r.push_back(BuildMemoryRead(1141, 20));
    r.push_back(BuildMemoryRead(1161, 32));
    r.push_back(BuildCommand({cmd::kSettingsRead}));
    r.push_back(BuildCommand({cmd::kRemoteTableRead}));
    return r;
}

int RunReadBack(Box& b) {
    std::atomic<int> kind{-1};
    EXPECT_TRUE(b.core->sync.StartReadBack([&](int k) { kind = k; }));
    b.core->sync.Wait();
    EXPECT_TRUE(b.core->link.LinkIdle());
    return kind;
}

TEST(ReadBack, RequestsEverythingInOrderForBothCommandSets) {
    for (int version : {8, 9}) {
        Box b(version);
        b.core->store.SetCommandSetVersion(1);  // as before any box answered
        b.box->SetModelName("kv4420a");         // accepted whatever the case
        b.core->store.SetSettingsChanged(true);
        EXPECT_EQ(RunReadBack(b), notice::kSyncReadBack);
        EXPECT_EQ(b.box->Received(), ExpectedReadBack(version)) << "version " << version;
        EXPECT_EQ(CheckAcceptance(b.core->store.GetIdentity()), Acceptance::Accepted);
        EXPECT_FALSE(b.core->store.SettingsChanged());
    }
}

TEST(ReadBack, RefusedBoxesStopAfterTheIdentity) {
    const auto all = ExpectedReadBack(9);
    const std::vector<Report> identity(all.begin(), all.begin() + 6);
    {
        Box b(9);
        b.box->SetModelName("KV4410M");
        RunReadBack(b);
        EXPECT_EQ(b.box->Received(), identity);
        const Acceptance a = CheckAcceptance(b.core->store.GetIdentity());
        EXPECT_EQ(a, Acceptance::WrongModel);
        EXPECT_STREQ(AcceptanceMessage(a), "机器型号与软件不匹配!");
    }
    {
        Box b(7);
        RunReadBack(b);
        EXPECT_EQ(b.box->Received(), identity);
        const Acceptance a = CheckAcceptance(b.core->store.GetIdentity());
        EXPECT_EQ(a, Acceptance::WrongCommandSet);
        EXPECT_STREQ(AcceptanceMessage(a), "机器与软件通信版本不匹配，请使用机器配套软件!");
    }
}

TEST(ReadBack, OnlyOneSynchronisationAtATime) {
    Box b(9, SyncTimings{300, 0, 0, 0});
    std::atomic<int> done{0};
    ASSERT_TRUE(b.core->sync.StartReadBack([&](int) { ++done; }));
    EXPECT_TRUE(b.core->sync.Running());
    EXPECT_FALSE(b.core->sync.StartWriteAll([&](int) { ++done; }));
    EXPECT_FALSE(b.core->sync.StartReadBack([&](int) { ++done; }));
    b.core->sync.Wait();
    EXPECT_EQ(done, 1);
    EXPECT_FALSE(b.core->sync.Running());
    EXPECT_TRUE(b.core->sync.StartWriteAll([&](int) { ++done; }));
    b.core->sync.Wait();
    EXPECT_EQ(done, 2);
}

// Heads (code, module, parameter) of what a write-all sent.
std::vector<Report> RunWriteAll(Box& b) {
    b.Clear();
    std::atomic<int> kind{-1};
    EXPECT_TRUE(b.core->sync.StartWriteAll([&](int k) { kind = k; }));
    b.core->sync.Wait();
    EXPECT_EQ(kind, notice::kSyncWriteAll);
    return b.box->Received();
}

TEST(WriteAll, SequenceWithoutRampUsesTheRealWaits) {
    Box b(9, SyncTimings{});
    b.core->encoders.SetTimings(EncoderTimings{});
    b.core->store.SetSettingsChanged(true);
    const auto sent = RunWriteAll(b);
    EXPECT_FALSE(b.core->store.SettingsChanged());
    // Starts with the CH A input shares, ends with the three level reads.
    ASSERT_GT(sent.size(), 300u);
    EXPECT_EQ(sent[0], Floats(1, 33, {0.0f}));
    EXPECT_EQ(sent[sent.size() - 3], BuildParamRead(1, 30, 1));
    EXPECT_EQ(sent[sent.size() - 2], BuildParamRead(1, 43, 1));
    EXPECT_EQ(sent[sent.size() - 1], BuildParamRead(4, 15, 6));
    // A zero surround goes out as +0.0.
    EXPECT_NE(std::find(sent.begin(), sent.end(), Floats(5, 44, {0.0f, 0.0f})), sent.end());
    // The image in 21 blocks, then the position and gain blocks, then the coefficients.
    std::vector<Report> memory;
    for (const auto& r : sent)
        if (r[1] == cmd::kMemoryWrite && r[4] != 7) memory.push_back(r);
    ASSERT_EQ(memory.size(), 23u);
    const auto image = b.core->store.GetEqImage();
    for (int i = 0; i < 21; ++i)
        EXPECT_EQ(
            memory[static_cast<std::size_t>(i)],
            BuildMemoryWrite(56 * i, std::span(image).subspan(static_cast<std::size_t>(56 * i), i == 20 ? 21u : 56u)));
    EXPECT_EQ(memory[21][2] * 256 + memory[21][3], 1141);
    EXPECT_EQ(memory[22][2] * 256 + memory[22][3], 1161);
    const auto lastBlock = std::find(sent.begin(), sent.end(), memory[22]);
    // 147 coefficient sets (crossover slots excluded) follow the last block, then the reads.
    EXPECT_EQ(std::distance(lastBlock, sent.end()), 1 + 147 + 3);
    EXPECT_EQ(b.box->Memory(0, kEqImageSize), std::vector<std::uint8_t>(image.begin(), image.end()));
}

TEST(WriteAll, RampStartsSilentAndEndsWithTheLevels) {
    Box plain;
    const auto without = RunWriteAll(plain);

    Box b;
    auto settings = b.core->store.AppliedSettings();
    settings[0] = 1;
    b.core->store.SetAppliedSettings(settings);
    b.core->store.SetInt(fld::kMicVolume, 82);
    b.core->store.SetInt(fld::kMusicVolume, 71);
    plain.core->store.SetInt(fld::kMicVolume, 82);
    const auto with = RunWriteAll(b);
    // Three silent levels first; 3 + 3 ramp steps and 2 music steps before the reads.
    ASSERT_EQ(with.size(), without.size() + 3 + 6 + 2);
    EXPECT_EQ(with[0], Floats(1, 30, {0.0f}));
    EXPECT_EQ(with[1], Floats(1, 43, {0.0f}));
    EXPECT_EQ(with[2], Floats(4, 15, {0, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(std::equal(without.begin(), without.end() - 3, with.begin() + 3));
    const std::size_t ramp = with.size() - 3 - 8;
    EXPECT_EQ(with[ramp], Floats(1, 30, {0.80f}));
    EXPECT_EQ(with[ramp + 2], Floats(1, 30, {0.82f}));
    EXPECT_EQ(with[ramp + 5], Floats(1, 43, {0.82f}));
    EXPECT_EQ(with[ramp + 7], Floats(4, 15, {0.71f, 0.71f, 0.71f, 0.71f, 0.71f, 0.71f}));
}

}  // namespace
}  // namespace kv::test
