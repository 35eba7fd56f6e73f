// Mode files and remote data files on real files in a temporary directory.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <limits>

#include "model/Bytes.h"
#include "model/ModeFile.h"
#include "model/ParameterStore.h"
#include "model/RemoteFile.h"

namespace kv {
namespace {

namespace fs = std::filesystem;

class FileTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');  // parameterised names hold a slash
        m_dir = fs::temp_directory_path() / ("kv-files-" + std::to_string(::getpid()) + "-" + name);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    static void Put(const std::string& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    static std::vector<std::uint8_t> Get(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    fs::path m_dir;
};

// A version-1 file: fields 26..178, then the same parts as version 2.
std::vector<std::uint8_t> V1File(std::int32_t pitch) {
    std::vector<std::uint8_t> f(kModeFileSizeV1, 0);
    PutLe32(f.data(), 1);
    for (int field = 26; field <= 178; ++field)
        PutLe32(&f[static_cast<std::size_t>(4 + 4 * (field - 26))], static_cast<std::uint32_t>(field));
    PutLe32(&f[4 + 4 * (fld::kMusicPitch - 26)], static_cast<std::uint32_t>(pitch));
    f[616] = 0xE1;         // first EQ image byte
    f[616 + 1141] = 0xA1;  // first auxiliary byte
    f[616 + 1147] = 0xB1;  // first speaker-gain byte
    f[616 + 1179] = 0x85;  // speaker-position byte 0
    return f;
}

TEST_F(FileTest, DefaultStoreWritesTheCurrentLayout) {
    ParameterStore store;
    ASSERT_EQ(WriteModeFile(Path("a.K4v9"), store).status, ModeFileStatus::Ok);
    const auto bytes = Get(Path("a.K4v9"));
    ASSERT_EQ(bytes.size(), 1823u);
    EXPECT_EQ(GetLe32(bytes.data()), 2u);
    EXPECT_EQ(std::bit_cast<float>(GetLe32(&bytes[4 + 4 * (fld::kEchoChATime - 26)])), 217.0f);
    EXPECT_EQ(GetBe16(&bytes[624 + 406 + 2]), 25);  // music band 0 frequency
    EXPECT_EQ(bytes[1803], ParameterStore::kDefaultSpeakerPositions[0]);
    EXPECT_EQ(bytes, EncodeModeFile(store));
    // Nothing is left beside the file.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
}

TEST_F(FileTest, VersionOneIsConvertedAndRewrittenAsVersionTwo) {
    Put(Path("old.K4v8"), V1File(7));
    ParameterStore store;
    const ModeFileResult r = ReadModeFile(Path("old.K4v8"), store);
    ASSERT_EQ(r.status, ModeFileStatus::Ok);
    EXPECT_EQ(r.version, 1);
    EXPECT_EQ(store.Int(fld::kMusicPitch), 0);
    EXPECT_EQ(store.Int(fld::kMusicAgc), 0);
    EXPECT_EQ(store.Float(fld::kMusicAgcLevel), -12.0f);
    EXPECT_EQ(store.Int(178), 178);
    EXPECT_EQ(store.GetEqImage()[0], 0xE1);
    EXPECT_EQ(store.GetAuxBytes()[0], 0xA1);
    EXPECT_EQ(store.GetSpeakerGains()[0], 0xB1);
    EXPECT_EQ(store.Int(fld::kSpeakerRaw0), 0x85);

    ASSERT_EQ(WriteModeFile(Path("new.K4v9"), store).status, ModeFileStatus::Ok);
    const auto v1 = V1File(7);
    const auto v2 = Get(Path("new.K4v9"));
    ASSERT_EQ(v2.size(), 1823u);
    EXPECT_EQ(GetLe32(v2.data()), 2u);
    for (int field = 26; field <= 178; ++field) {
        if (field == fld::kMusicPitch) continue;
        EXPECT_EQ(GetLe32(&v2[static_cast<std::size_t>(4 + 4 * (field - 26))]), static_cast<std::uint32_t>(field));
    }
    EXPECT_EQ(GetLe32(&v2[616]), 0u);
    EXPECT_EQ(std::bit_cast<float>(GetLe32(&v2[620])), -12.0f);
    EXPECT_TRUE(std::equal(v1.begin() + 616, v1.end(), v2.begin() + 624));

    // A pitch inside the range survives.
    Put(Path("ok.K4v8"), V1File(-5));
    ASSERT_EQ(ReadModeFile(Path("ok.K4v8"), store).status, ModeFileStatus::Ok);
    EXPECT_EQ(store.Int(fld::kMusicPitch), -5);
}

// The pitch rule at each of its boundaries, and the automatic music volume a version-1 file
// cannot hold; a version-2 file is taken as it is.
struct Conversion {
    const char* name;
    std::uint32_t version;
    std::int32_t pitch, expectedPitch;
};

class ModeFileConversion : public FileTest, public ::testing::WithParamInterface<Conversion> {};

TEST_P(ModeFileConversion, PitchAndAutomaticVolume) {
    const Conversion& c = GetParam();
    std::vector<std::uint8_t> file;
    if (c.version == kModeFileVersion1) {
        file = V1File(c.pitch);
    } else {
        ParameterStore source;
        source.SetInt(fld::kMusicPitch, c.pitch);
        source.SetInt(fld::kMusicAgc, 1);
        source.SetFloat(fld::kMusicAgcLevel, -3.5f);
        file = EncodeModeFile(source);
    }
    Put(Path("mode.file"), file);
    ParameterStore store;  // what was there before must not survive a version-1 load
    store.SetInt(fld::kMusicAgc, 1);
    store.SetFloat(fld::kMusicAgcLevel, -3.5f);
    ASSERT_EQ(ReadModeFile(Path("mode.file"), store).status, ModeFileStatus::Ok);
    EXPECT_EQ(store.Int(fld::kMusicPitch), c.expectedPitch);
    EXPECT_EQ(store.Int(fld::kMusicAgc), c.version == kModeFileVersion1 ? 0 : 1);
    EXPECT_EQ(store.Float(fld::kMusicAgcLevel), c.version == kModeFileVersion1 ? -12.0f : -3.5f);
}

constexpr std::int32_t kMinInt = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMaxInt = std::numeric_limits<std::int32_t>::max();
INSTANTIATE_TEST_SUITE_P(Boundaries, ModeFileConversion,
                         ::testing::Values(Conversion{"V1LowestInt", 1, kMinInt, 0}, Conversion{"V1Minus13", 1, -13, 0},
                                           Conversion{"V1Minus6", 1, -6, 0}, Conversion{"V1Minus5", 1, -5, -5},
                                           Conversion{"V1Minus1", 1, -1, -1}, Conversion{"V1Zero", 1, 0, 0},
                                           Conversion{"V1Plus4", 1, 4, 4}, Conversion{"V1Plus5", 1, 5, 5},
                                           Conversion{"V1Plus6", 1, 6, 0}, Conversion{"V1Plus12", 1, 12, 0},
                                           Conversion{"V1HighestInt", 1, kMaxInt, 0},
                                           Conversion{"V2Plus7Kept", 2, 7, 7},
                                           Conversion{"V2Minus12Kept", 2, -12, -12}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileTest, RejectedFilesLeaveTheStoreUntouched) {
    ParameterStore store;
    store.SetInt(fld::kMicVolume, 42);
    const auto before = EncodeModeFile(store);

    auto bad = before;
    PutLe32(bad.data(), 3);
    Put(Path("v3"), bad);
    EXPECT_EQ(ReadModeFile(Path("v3"), store).status, ModeFileStatus::BadVersion);

    auto shortV2 = EncodeModeFile(ParameterStore{});
    shortV2.pop_back();
    Put(Path("short2"), shortV2);
    EXPECT_EQ(ReadModeFile(Path("short2"), store).status, ModeFileStatus::TooShort);
    auto shortV1 = V1File(0);
    shortV1.resize(700);
    EXPECT_EQ(DecodeModeFile(shortV1, store).status, ModeFileStatus::TooShort);
    EXPECT_EQ(DecodeModeFile(std::vector<std::uint8_t>{2, 0}, store).status, ModeFileStatus::TooShort);

    const ModeFileResult missing = ReadModeFile(Path("missing"), store);
    EXPECT_EQ(missing.status, ModeFileStatus::CannotOpen);
    EXPECT_EQ(missing.systemError, ENOENT);
    EXPECT_EQ(EncodeModeFile(store), before);

    // Trailing bytes are ignored.
    ParameterStore other;
    other.SetInt(fld::kMicVolume, 7);
    auto longer = EncodeModeFile(other);
    longer.insert(longer.end(), 100, 0xEE);
    Put(Path("long"), longer);
    ASSERT_EQ(ReadModeFile(Path("long"), store).status, ModeFileStatus::Ok);
    EXPECT_EQ(store.Int(fld::kMicVolume), 7);
}

TEST_F(FileTest, FailedSaveKeepsWhatWasThere) {
    ParameterStore store;
    const ModeFileResult noDir = WriteModeFile(Path("nodir/x.K4v9"), store);
    EXPECT_EQ(noDir.status, ModeFileStatus::CannotWrite);
    EXPECT_EQ(noDir.systemError, ENOENT);
    // A target that cannot be replaced stays as it was, and no temporary file is left.
    fs::create_directories(m_dir / "busy" / "inside");
    EXPECT_EQ(WriteModeFile(Path("busy"), store).status, ModeFileStatus::CannotWrite);
    EXPECT_TRUE(fs::is_directory(m_dir / "busy" / "inside"));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()), 1);
    // Overwriting an existing file replaces it whole.
    Put(Path("m.K4v9"), std::vector<std::uint8_t>(5000, 0x55));
    ASSERT_EQ(WriteModeFile(Path("m.K4v9"), store).status, ModeFileStatus::Ok);
    EXPECT_EQ(Get(Path("m.K4v9")), EncodeModeFile(store));
}

TEST_F(FileTest, RemoteFilesAreSixteenBytes) {
    ParameterStore::RemoteTable table{};
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(0x40 + i);
    ASSERT_TRUE(WriteRemoteFile(Path("r.remo"), table));
    EXPECT_EQ(fs::file_size(Path("r.remo")), 16u);
    ParameterStore::RemoteTable back{};
    ASSERT_TRUE(ReadRemoteFile(Path("r.remo"), back));
    EXPECT_EQ(back, table);

    // Only a regular file of exactly 16 bytes; a FIFO without a writer and /dev/zero are
    // refused at once instead of blocking or reading without end.
    Put(Path("short.remo"), std::vector<std::uint8_t>(15, 0x99));
    Put(Path("long.remo"), std::vector<std::uint8_t>(17, 0x99));
    ASSERT_EQ(::mkfifo(Path("fifo.remo").c_str(), 0600), 0);
    for (const std::string& bad :
         {Path("short.remo"), Path("long.remo"), Path("fifo.remo"), std::string("/dev/zero")}) {
        EXPECT_FALSE(ReadRemoteFile(bad, back)) << bad;
        EXPECT_EQ(back, table) << bad;
    }
    ParameterStore store;
    const auto before = EncodeModeFile(store);
    for (const std::string& bad : {Path("fifo.remo"), std::string("/dev/zero")}) {
        EXPECT_EQ(ReadModeFile(bad, store).status, ModeFileStatus::NotRegularFile) << bad;
        EXPECT_EQ(EncodeModeFile(store), before) << bad;
    }
    int error = 0;
    EXPECT_FALSE(ReadRemoteFile(Path("none.remo"), back, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(WriteRemoteFile(Path("no/r.remo"), table, &error));
    EXPECT_EQ(error, ENOENT);
}

}  // namespace
}  // namespace kv
