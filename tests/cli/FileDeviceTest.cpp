// kv4420ctl --device file:PATH as a real process: a mode file edited as if it were a box
// ends up byte for byte as the file a box saves after the same edit; whatever is refused,
// read or fails leaves the file as it was.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "Process.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Args = std::vector<std::string>;

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}
void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}
void PutWord(Bytes& bytes, std::size_t offset, std::uint32_t word) { std::memcpy(&bytes[offset], &word, 4); }

// A fresh box's mode, saved as the starting file of every test.
class FileDevice : public ::testing::Test {
protected:
    void SetUp() override {
        m_sim = std::make_unique<SimProcess>(m_dir.Path());
        ASSERT_TRUE(m_sim->Ready()) << m_sim->StartupError();
        const auto saved = Ctl(m_sim->Uri(), {"save-file", Base()});
        ASSERT_EQ(saved.exitCode, 0) << Describe(saved);
    }
    std::string Base() const { return m_dir.File("base.K4v9"); }
    std::string Copy(const std::string& name) {
        const std::string path = m_dir.File(name);
        std::filesystem::copy_file(Base(), path, std::filesystem::copy_options::overwrite_existing);
        return path;
    }

    TempFolder m_dir;
    std::unique_ptr<SimProcess> m_sim;
};

TEST_F(FileDevice, SetThenGetGivesTheFileABoxSavesAfterTheSameEdit) {
    const Args edit{"set", "reverb.level=42", "eq.music.3.gain=-4.5", "delay.main.l=12.5", "main.mute=on"};
    const std::string file = Copy("edited.K4v9");
    ::chmod(file.c_str(), 0640);
    const auto set = Ctl("file:" + file, edit);
    ASSERT_EQ(set.exitCode, 0) << Describe(set);
    EXPECT_EQ(set.out, "");
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);  // rewritten, with the permissions it had

    ASSERT_EQ(Ctl(m_sim->Uri(), {"load-file", "--changes-only", Base()}).exitCode, 0);
    const auto boxSet = Ctl(m_sim->Uri(), edit);
    ASSERT_EQ(boxSet.exitCode, 0) << Describe(boxSet);
    const std::string saved = m_dir.File("saved.K4v9");
    ASSERT_EQ(Ctl(m_sim->Uri(), {"save-file", saved}).exitCode, 0);
    EXPECT_EQ(FileBytes(file), FileBytes(saved));
    EXPECT_NE(FileBytes(file), FileBytes(Base()));

    const Args get{"get", "reverb.level", "eq.music.3.gain", "delay.main.l", "main.mute"};
    const auto fromFile = Ctl("file:" + file, get);
    ASSERT_EQ(fromFile.exitCode, 0) << Describe(fromFile);
    EXPECT_EQ(fromFile.out, "reverb.level=42\neq.music.3.gain=-4.5dB\ndelay.main.l=12.5ms\nmain.mute=on\n");
    EXPECT_EQ(fromFile.out, Ctl(m_sim->Uri(), get).out);
}

// Commands that change nothing, or are refused, with the exit status a box gives them.
struct Untouched {
    const char* name;
    Args args;
    int exitCode;
};

class FileUntouched : public FileDevice, public ::testing::WithParamInterface<Untouched> {};

TEST_P(FileUntouched, LeavesTheFileByteForByte) {
    const Untouched& row = GetParam();
    const std::string file = Copy("file.K4v9");
    // A version-1 file shows that nothing was rewritten: a write would make it version 2.
    Bytes v1 = FileBytes(Base());
    PutWord(v1, 0, 1);
    v1.erase(v1.begin() + 4 + 612, v1.begin() + 4 + 620);
    WriteBytes(file, v1);

    Args args = row.args;
    for (std::string& a : args)
        if (a == "OUT") a = m_dir.File("out.txt");
    const auto r = Ctl("file:" + file, args);
    EXPECT_EQ(r.exitCode, row.exitCode) << Describe(r);
    EXPECT_EQ(FileBytes(file), v1) << Describe(r);
    const auto box = Ctl(m_sim->Uri(), args);
    EXPECT_EQ(box.exitCode, r.exitCode) << Describe(box);
    EXPECT_EQ(box.err, r.err);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FileUntouched,
    ::testing::Values(Untouched{"OutOfRange", {"set", "reverb.level=420"}, 2},
                      Untouched{"OneBadOfThree", {"set", "reverb.level=42", "eq.music.3.gain=-99", "main.mute=on"}, 2},
                      Untouched{"UnknownAddress", {"set", "reverb.level=4", "no.such.setting=1"}, 2},
                      Untouched{"NotANumber", {"set", "delay.main.l=soon"}, 2},
                      Untouched{"Get", {"get", "reverb.level", "eq.music.3.gain"}, 0},
                      Untouched{"SameValue", {"set", "reverb.level=0"}, 0},
                      Untouched{"EqExport", {"eq", "export", "music", "OUT"}, 0},
                      Untouched{"EqImportMissing", {"eq", "import", "music", "OUT"}, 4}),
    [](const auto& info) { return std::string(info.param.name); });

// Files that are no mode file this program can edit.
struct Damaged {
    const char* name;
    std::function<void(Bytes&)> damage;
    const char* says;  // in the error line
};

class FileDamaged : public FileDevice, public ::testing::WithParamInterface<Damaged> {};

TEST_P(FileDamaged, IsRefusedWithTheFileUnchanged) {
    const Damaged& row = GetParam();
    const std::string file = Copy("damaged.K4v9");
    Bytes bytes = FileBytes(file);
    row.damage(bytes);
    WriteBytes(file, bytes);
    for (const Args& args : {Args{"set", "reverb.level=42"}, Args{"get", "reverb.level"}}) {
        const auto r = Ctl("file:" + file, args);
        EXPECT_EQ(r.exitCode, 4) << Describe(r);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(file), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(row.says), std::string::npos) << r.err;
        EXPECT_EQ(FileBytes(file), bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FileDamaged,
    ::testing::Values(Damaged{"Text",
                              [](Bytes& b) {
                                  b.assign({'h', 'e', 'l', 'l', 'o', '\n'});
                              },
                              "not a mode file"},
                      Damaged{"Empty", [](Bytes& b) { b.clear(); }, "too short"},
                      Damaged{"Cut", [](Bytes& b) { b.resize(900); }, "(900 bytes of 1823)"},
                      Damaged{"NewerVersion", [](Bytes& b) { PutWord(b, 0, 3); }, "version word 3, expected 1 or 2"},
                      // The reverb level's field, far past its 0..99.
                      Damaged{"ValueOutOfRange", [](Bytes& b) { PutWord(b, 4 + 4 * (82 - 26), 5000); },
                              "out of range"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(FileDevice, AFileThatCannotBeWrittenFailsTheCommandAndKeepsItsContent) {
    const std::string folder = m_dir.File("locked");
    std::filesystem::create_directory(folder);
    const std::string file = folder + "/mode.K4v9";
    std::filesystem::copy_file(Base(), file);
    ::chmod(folder.c_str(), 0555);
    ProcessOptions asNobody;
    if (::geteuid() == 0) asNobody.runAs = 65534;  // root writes anywhere
    ::chmod(m_dir.Path().c_str(), 0755);
    const auto r = Ctl("file:" + file, {"set", "reverb.level=42"}, asNobody);
    ::chmod(folder.c_str(), 0755);
    EXPECT_EQ(r.exitCode, 4) << Describe(r);
    EXPECT_NE(r.err.find("cannot write"), std::string::npos) << r.err;
    EXPECT_EQ(FileBytes(file), FileBytes(Base()));
}

}  // namespace
}  // namespace kv::test
