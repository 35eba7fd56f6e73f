// Whatever a box, a file or a peer sends, nothing is written outside a buffer and the
// store keeps its shape. Seeded random input, so any failure repeats; run it under the
// sanitizer presets to catch a stray write the assertions cannot see.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "device/Commands.h"
#include "device/DeviceContext.h"
#include "device/InboundParser.h"
#include "device/ParamReport.h"
#include "model/Bytes.h"
#include "model/Fields.h"
#include "model/ModeFile.h"
#include "model/ParameterStore.h"
#include "sim/SimBox.h"
#include "sim/SimTransport.h"

namespace {

constexpr std::uint8_t kReplyCodes[] = {
    kv::cmd::kCurrentMode, kv::cmd::kParamWrite,    kv::reply::kParamChanged, kv::cmd::kParamRead,
    kv::cmd::kLevelMeter,  kv::reply::kAuxBytes,    kv::cmd::kRemoteLearn,    kv::cmd::kRemoteTableRead,
    kv::cmd::kDspVersion,  kv::cmd::kCmdSetVersion, kv::cmd::kModelName,      kv::cmd::kMcuVersion,
    kv::cmd::kMemoryRead,  kv::reply::kAuxByte5,    kv::cmd::kSettingsRead,   kv::cmd::kModeNameRead};

kv::Report RandomReport(std::mt19937& rng, std::uint8_t code) {
    std::uniform_int_distribution<int> byte(0, 255);
    kv::Report r{};
    for (auto& b : r) b = static_cast<std::uint8_t>(byte(rng));
    r[1] = code;
    return r;
}

// A reply a hostile box might send, steered now and then into the interesting ranges:
// known modules, real memory offsets, the start of a mode name.
kv::Report HostileReport(std::mt19937& rng) {
    std::uniform_int_distribution<std::size_t> pick(0, std::size(kReplyCodes) - 1);
    std::uniform_int_distribution<int> small(0, 15);
    kv::Report r = RandomReport(rng, kReplyCodes[pick(rng)]);
    if (r[1] == kv::cmd::kParamRead && small(rng) < 12) {
        r[3] = static_cast<std::uint8_t>(1 + small(rng) % 9);
        r[4] = static_cast<std::uint8_t>(small(rng) * 5);
    }
    if (r[1] == kv::cmd::kMemoryRead && small(rng) < 10) {
        const int offsets[] = {0, 1120, 1135, 1141, 1150, 1161, 1190};
        const int off = offsets[small(rng) % 7];
        r[2] = static_cast<std::uint8_t>(off >> 8);
        r[3] = static_cast<std::uint8_t>(off);
    }
    if (r[1] == kv::cmd::kModeNameRead && small(rng) < 10) {
        r[2] = 0x0F;
        r[3] = static_cast<std::uint8_t>(64 * (small(rng) % 4));
    }
    return r;
}

TEST(RandomInput, ParserKeepsTheStoreInShape) {
    kv::ParameterStore store;
    kv::InboundParser parser(store);
    int errors = 0;
    int keys = 0;
    parser.SetParameterErrorHook([&](const std::string&) { ++errors; });
    parser.SetKeyLearnedHook([&](int key) {
        EXPECT_GE(key, 0);
        EXPECT_LE(key, 255);
        ++keys;
    });
    std::mt19937 rng(20261208);
    int refusedReplies = 0;  // parameter replies with a non-zero status
    for (int i = 0; i < 60000; ++i) {
        const kv::Report r = HostileReport(rng);
        if (r[1] == kv::cmd::kParamRead && r[2] != 0) ++refusedReplies;
        parser.Dispatch(r);
    }
    ASSERT_GT(refusedReplies, 1);
    EXPECT_EQ(errors, 1);  // raised at the first refused reply, and only then
    EXPECT_GT(keys, 0);
    for (int s = 0; s < kv::kModeSlots; ++s) EXPECT_LE(store.ModeName(s).size(), 24u);
    const auto id = store.GetIdentity();
    EXPECT_LE(id.model.size(), 29u);
    EXPECT_LE(id.mcuVersion.size(), 10u);
    EXPECT_LE(id.dspVersion.size(), 10u);
}

TEST(RandomInput, ModeFilesAreTakenWholeOrNotAtAll) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<std::size_t> length(0, 1900);
    kv::ParameterStore reference;
    const auto before = kv::EncodeModeFile(reference);
    for (int i = 0; i < 3000; ++i) {
        std::vector<std::uint8_t> bytes(length(rng));
        for (auto& b : bytes) b = static_cast<std::uint8_t>(byte(rng));
        if (bytes.size() >= 4 && i % 3 != 0) {
            bytes[0] = static_cast<std::uint8_t>(1 + i % 2);
            bytes[1] = bytes[2] = bytes[3] = 0;
        }
        kv::ParameterStore store;
        const auto result = kv::DecodeModeFile(bytes, store);
        const std::size_t need = result.version == 1 ? kv::kModeFileSizeV1 : kv::kModeFileSizeV2;
        if (result.status == kv::ModeFileStatus::Ok) {
            EXPECT_GE(bytes.size(), need);
            // What was read is what a save writes back: a version-1 file comes back as version 2
            // with the automatic music volume off at -12 dB and an out-of-range pitch at 0.
            std::vector<std::uint8_t> expected(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(need));
            if (result.version == 1) {
                constexpr std::size_t kFieldsEnd = 4 + 4 * 153;  // after field 178
                constexpr std::size_t kPitch = 4 + 4 * (kv::fld::kMusicPitch - 26);
                const std::uint8_t agc[8] = {0, 0, 0, 0, 0x00, 0x00, 0x40, 0xC1};  // 0, then -12.0f
                expected.insert(expected.begin() + kFieldsEnd, agc, agc + 8);
                const auto pitch = static_cast<std::int32_t>(kv::GetLe32(&expected[kPitch]));
                if (pitch < -5 || pitch > 5) kv::PutLe32(&expected[kPitch], 0);
            }
            expected[0] = 2;
            EXPECT_EQ(kv::EncodeModeFile(store), expected) << "file " << i << ", version " << result.version;
        } else {
            EXPECT_EQ(kv::EncodeModeFile(store), before) << "a refused file changed the store";
        }
    }
}

TEST(RandomInput, SimulatedBoxRecordsEveryMalformedReport) {
    kv::SimBox box;
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> byte(0, 255);
    for (int i = 0; i < 20000; ++i) {
        kv::Report r{};
        for (auto& b : r) b = static_cast<std::uint8_t>(byte(rng));
        if (i % 2) r[0] = kv::kReportNumber;
        (void)box.Handle(r);
    }
    // Random bytes break the command table almost every time, and the box says so.
    EXPECT_GT(box.Violations().size(), 15000u);
    // It still answers a well-formed query afterwards.
    box.ClearViolations();
    auto answer = box.Handle(kv::BuildCommand({kv::cmd::kCurrentMode}));
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ((*answer)[1], kv::cmd::kCurrentMode);
    EXPECT_TRUE(box.Violations().empty());
}

// A store filled by a hostile box is what the application later sends (write-all) and
// saves (a mode file): every report stays inside the command table, no value goes out
// as NaN or infinity, and the file reads back to the same store.
class HostileStore : public testing::TestWithParam<unsigned> {};

TEST_P(HostileStore, IsSentAndSavedInShape) {
    auto box = std::make_shared<kv::SimBox>();
    kv::DeviceContext ctx(kv::MakeSimOpener(box), kv::LinkTimings{2000, 500, 5}, kv::SyncTimings{0, 0, 0, 0},
                          kv::EncoderTimings{0, 0});
    std::mt19937 rng(GetParam());
    for (int i = 0; i < 20000; ++i) ctx.parser.Dispatch(HostileReport(rng));
    ctx.store.SetCommandSetVersion(9);
    kv::ParameterStore::Settings settings{};
    settings[0] = 1;  // levels travel with the mode too
    ctx.store.SetAppliedSettings(settings);

    ASSERT_TRUE(ctx.link.Open());
    ASSERT_TRUE(ctx.sync.StartWriteAll(nullptr));
    ctx.sync.Wait();
    ctx.link.Close(false);
    EXPECT_EQ(box->Violations(), std::vector<std::string>{});
    const auto writes = box->Received(kv::cmd::kParamWrite);
    ASSERT_GT(writes.size(), 100u);
    // Sample counts are integers: their clamp bounds share a NaN's bit pattern.
    const auto nonFinite = [](std::uint32_t bits) {
        return (bits & 0x7F800000u) == 0x7F800000u && bits != 0x7FFFFFFFu && bits != 0x80000000u;
    };
    for (const auto& r : writes) {
        const kv::ParamReport p(r);
        for (int v = 0; v < p.Count(); ++v)
            EXPECT_FALSE(nonFinite(p.Bits(v))) << "module " << p.Module() << " parameter " << p.Parameter() << " value "
                                               << v << " bits " << std::hex << p.Bits(v);
    }

    const auto dir = std::filesystem::temp_directory_path() / ("kv-hostile-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "hostile.K4v9").string();
    ASSERT_EQ(kv::WriteModeFile(path, ctx.store).status, kv::ModeFileStatus::Ok);
    EXPECT_EQ(std::filesystem::file_size(path), kv::kModeFileSizeV2);
    kv::ParameterStore back;
    EXPECT_EQ(kv::ReadModeFile(path, back).status, kv::ModeFileStatus::Ok);
    EXPECT_EQ(kv::EncodeModeFile(back), kv::EncodeModeFile(ctx.store));
    std::filesystem::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Seeds, HostileStore, testing::Values(1u, 20261209u, 4242u));

}  // namespace
