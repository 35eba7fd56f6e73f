// Mode files and remote data files on real files in a temporary directory.

#include <gtest/gtest.h>

#include <bit>
#include <cerrno>
#include <filesystem>
#include <fstream>

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
        m_dir = fs::temp_directory_path() / ("kv-files-" + std::to_string(::getpid()) + "-" +
                                             ::testing::UnitTest::GetInstance()->current_test_info()->name());
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

    Put(Path("short.remo"), std::vector<std::uint8_t>(15, 0x99));
    EXPECT_FALSE(ReadRemoteFile(Path("short.remo"), back));
    EXPECT_EQ(back, table);
    int error = 0;
    EXPECT_FALSE(ReadRemoteFile(Path("none.remo"), back, &error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(WriteRemoteFile(Path("no/r.remo"), table, &error));
    EXPECT_EQ(error, ENOENT);
}

}  // namespace
}  // namespace kv
