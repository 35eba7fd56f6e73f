// load-file --changes-only and diff against kv4420-sim, both as real processes: a file that
// differs from the box in three settings sends exactly what setting those three sends, and
// the box then saves a file equal to it byte for byte.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "Process.h"
#include "SimLog.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::vector<Bytes> ChangesSince(const SimProcess& sim, std::size_t from) {
    return SimLog::Read(sim.LogPath()).ChangesAfter(from);
}
std::size_t Logged(const SimProcess& sim) { return SimLog::Read(sim.LogPath()).reports.size(); }

TEST(ChangesOnly, AFileThatDiffersInThreeSettingsSendsOnlyTheirEdits) {
    TempFolder dir;
    const auto start = [&](const char* name) {
        const std::string folder = dir.File(name);
        std::filesystem::create_directory(folder);
        return std::make_unique<SimProcess>(folder);
    };
    const auto edited = start("edited");
    const auto fresh = start("fresh");
    ASSERT_TRUE(edited->Ready() && fresh->Ready());

    const std::string base = dir.File("base.K4v9");
    const std::string changed = dir.File("changed.K4v9");
    ASSERT_EQ(Ctl(edited->Uri(), {"save-file", base}).exitCode, 0);
    std::size_t from = Logged(*edited);
    const auto set = Ctl(edited->Uri(), {"set", "reverb.level=42", "eq.music.3.gain=-4.5", "delay.main.l=12.5"});
    ASSERT_EQ(set.exitCode, 0) << Describe(set);
    const auto userEdits = ChangesSince(*edited, from);
    ASSERT_EQ(Ctl(edited->Uri(), {"save-file", changed}).exitCode, 0);

    const auto diff = Ctl(fresh->Uri(), {"diff", base, changed});
    ASSERT_EQ(diff.exitCode, 0) << Describe(diff);
    // One line a setting, the file's value last; the starting values are the box's own.
    std::istringstream lines(diff.out);
    std::vector<std::string> rows;
    for (std::string l; std::getline(lines, l);) rows.push_back(l);
    ASSERT_EQ(rows.size(), 3u) << diff.out;
    EXPECT_EQ(rows[0].rfind("reverb.level=", 0), 0u);
    EXPECT_EQ(rows[1], "eq.music.3.gain=0.0dB -> -4.5dB");
    EXPECT_EQ(rows[2].rfind("delay.main.l=", 0), 0u);
    EXPECT_TRUE(rows[0].ends_with(" -> 42") && rows[2].ends_with(" -> 12.5ms")) << diff.out;
    const auto box = Ctl(fresh->Uri(), {"diff", "--json", "box", changed});
    EXPECT_NE(box.out.find("\"b\": \"12.5ms\""), std::string::npos) << Describe(box);

    from = Logged(*fresh);
    const auto load = Ctl(fresh->Uri(), {"load-file", "--changes-only", changed});
    ASSERT_EQ(load.exitCode, 0) << Describe(load);
    EXPECT_EQ(ChangesSince(*fresh, from), userEdits);

    const std::string saved = dir.File("saved.K4v9");
    ASSERT_EQ(Ctl(fresh->Uri(), {"save-file", saved}).exitCode, 0);
    EXPECT_EQ(FileBytes(saved), FileBytes(changed));
    EXPECT_TRUE(SimLog::Read(fresh->LogPath()).violations.empty());
}

TEST(ChangesOnly, ADamagedFileIsRefusedBeforeTheBoxIsAsked) {
    TempFolder dir;
    const std::string bad = dir.File("bad.K4v9");
    std::ofstream(bad, std::ios::binary) << "not a mode file";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"diff", bad, "box"}, std::vector<std::string>{"load-file", "--changes-only", bad}}) {
        // No box answers this socket: a refusal before connecting is the only way to exit 4.
        const auto r = Ctl("unix:" + dir.File("nobody"), args);
        EXPECT_EQ(r.exitCode, 4) << Describe(r);
        EXPECT_NE(r.err.find(bad), std::string::npos) << r.err;
    }
}

}  // namespace
}  // namespace kv::test
