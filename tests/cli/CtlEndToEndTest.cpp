// kv4420ctl against kv4420-sim, both as real processes: exit statuses, outputs, the files
// written and what reached the box (the simulator's log).

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>

#include "Process.h"
#include "SimLog.h"
#include "device/Commands.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Codes = std::vector<std::uint8_t>;

constexpr std::size_t kModeFileSize = 1823;
constexpr std::size_t kFieldPart = 4;  // file offset of field 26
constexpr std::size_t kEqPart = 624;   // file offset of the EQ image
constexpr std::size_t kSpeakerGainPart = 1771;
constexpr int kFirstFileField = 26;
constexpr int kEqMemoryChunks = 23;  // 21 EQ image blocks and the two speaker blocks
constexpr uid_t kNobody = 65534;

Bytes ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const std::string& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void PutLe32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutBe16(Bytes& b, std::size_t at, int v) {
    b[at] = static_cast<std::uint8_t>(v >> 8);
    b[at + 1] = static_cast<std::uint8_t>(v);
}
std::size_t FieldOffset(int field) { return kFieldPart + 4 * static_cast<std::size_t>(field - kFirstFileField); }

// A failure is one line on standard error that names what went wrong, and nothing on stdout.
void ExpectOneErrorLine(const ProcessResult& r, int exitCode, const std::string& mentions) {
    EXPECT_EQ(r.exitCode, exitCode) << Describe(r);
    EXPECT_TRUE(r.out.empty()) << Describe(r);
    ASSERT_FALSE(r.err.empty());
    EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    EXPECT_EQ(r.err.rfind("kv4420ctl: ", 0), 0u) << r.err;
    EXPECT_NE(r.err.find(mentions), std::string::npos) << "should mention '" << mentions << "': " << r.err;
}

// What the application sent, one list of codes per connection (each ends with the
// disconnect notice, which is the last thing every command sends).
std::vector<Codes> Sessions(const SimLog& log) {
    std::vector<Codes> sessions(1);
    for (std::uint8_t code : log.CodesToBox()) {
        sessions.back().push_back(code);
        if (code == cmd::kDisconnect) sessions.emplace_back();
    }
    if (sessions.back().empty()) sessions.pop_back();
    return sessions;
}

// Index just past a complete read-back starting at from, or npos.
std::size_t PastReadBack(const Codes& c, std::size_t from) {
    const Codes head{cmd::kModelName,     cmd::kCmdSetVersion, cmd::kMcuVersion,   cmd::kModelName,
                     cmd::kCmdSetVersion, cmd::kMcuVersion,    cmd::kCurrentMode,  cmd::kModeNameRead,
                     cmd::kModeNameRead,  cmd::kModeNameRead,  cmd::kModeNameRead, cmd::kDspVersion};
    std::size_t i = from;
    for (std::uint8_t code : head)
        if (i >= c.size() || c[i++] != code) return std::string::npos;
    const std::size_t params = i;
    while (i < c.size() && c[i] == cmd::kParamRead) ++i;
    if (i - params < 100) return std::string::npos;  // every parameter of the box, well over 100
    for (int k = 0; k < kEqMemoryChunks; ++k)
        if (i >= c.size() || c[i++] != cmd::kMemoryRead) return std::string::npos;
    if (i + 2 > c.size() || c[i] != cmd::kSettingsRead || c[i + 1] != cmd::kRemoteTableRead) return std::string::npos;
    return i + 2;
}

// Index just past a write-all starting at from (parameters, memory, coefficients, and the
// three level read-backs at its end), or npos. Crossover slots add memory writes of their own.
std::size_t PastWriteAll(const Codes& c, std::size_t from) {
    std::size_t i = from;
    int memory = 0;
    while (i < c.size() && (c[i] == cmd::kParamWrite || c[i] == cmd::kMemoryWrite))
        memory += c[i++] == cmd::kMemoryWrite;
    if (memory < kEqMemoryChunks || i - from < 100) return std::string::npos;
    for (int k = 0; k < 3; ++k)
        if (i >= c.size() || c[i++] != cmd::kParamRead) return std::string::npos;
    return i;
}

std::string Hex(const Codes& c) {
    std::string s;
    char buf[4];
    for (auto b : c) std::snprintf(buf, sizeof buf, "%02X ", b), s += buf;
    return s;
}

void ExpectCleanLog(const SimLog& log) {
    EXPECT_TRUE(log.violations.empty()) << log.violations.front();
    EXPECT_TRUE(log.unreadable.empty()) << log.unreadable.front();
}

using Json = nlohmann::json;

// Strict: bytes that are not UTF-8 fail the parse as much as broken syntax does.
Json ParseDump(const ProcessResult& r) {
    try {
        return Json::parse(r.out);
    } catch (const Json::parse_error& e) {
        ADD_FAILURE() << e.what() << "\n" << r.out.substr(0, 400);
        return {};
    }
}

class CtlEndToEnd : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> StartSim(const std::string& name, std::vector<std::string> args = {}) {
        const std::string folder = m_dir.File(name);
        std::filesystem::create_directory(folder);
        auto sim = std::make_unique<SimProcess>(folder, std::move(args));
        EXPECT_TRUE(sim->Ready()) << sim->StartupError();
        return sim;
    }
    // A mode file the box did not start with: the box's own file with a few values changed.
    Bytes TweakedModeFile(const std::string& uri) {
        const std::string base = m_dir.File("base.K4v9");
        const auto r = Ctl(uri, {"save-file", base});
        EXPECT_EQ(r.exitCode, 0) << Describe(r);
        Bytes b = ReadBytes(base);
        EXPECT_EQ(b.size(), kModeFileSize);
        if (b.size() != kModeFileSize) return b;
        // Echo and reverb volumes; the master levels would not do: with the box's settings
        // byte 0 clear the box keeps its own and a write-all leaves them alone.
        PutLe32(b, FieldOffset(70), 42);
        PutLe32(b, FieldOffset(82), 37);
        // Music EQ band 2: +6 dB at 1234 Hz, Q 2, peaking.
        const std::size_t band = kEqPart + 406 + 2 * 7;
        PutBe16(b, band, (6 + 15) * 10);
        PutBe16(b, band + 2, 1234);
        PutBe16(b, band + 4, 2000);
        b[band + 6] = 1;
        b[kSpeakerGainPart + 5] = 0x21;
        return b;
    }

    TempFolder m_dir;
};

TEST_F(CtlEndToEnd, InfoAndDumpReadTheWholeBoxAndChangeNothing) {
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());

    // The real settling wait is kept when no override is given.
    ProcessOptions realTimings;
    realTimings.env["KV4420_SYNC_WAIT_MS"] = "";
    const auto info = Ctl(sim->Uri(), {"info"}, realTimings);
    ASSERT_EQ(info.exitCode, 0) << Describe(info);
    EXPECT_GE(info.elapsed.count(), 2800);
    EXPECT_TRUE(info.err.empty()) << "no progress output when not on a terminal: " << info.err;
    for (const char* line : {"model:        KV4420M\n", "command set:  9\n", "MCU version:  2014-03-12\n",
                             "DSP version:  2014-03-20\n", "current mode: 1\n", "mode 1:       ", "mode 4:       "})
        EXPECT_NE(info.out.find(line), std::string::npos) << line << "\n" << info.out;

    const auto dump = Ctl(sim->Uri(), {"dump"});
    ASSERT_EQ(dump.exitCode, 0) << Describe(dump);
    Json j = ParseDump(dump);
    EXPECT_EQ(j["identity"]["model"], "KV4420M");
    EXPECT_EQ(j["identity"]["commandSetVersion"], 9);
    EXPECT_EQ(j["currentMode"], 1);
    ASSERT_EQ(j["fields"].size(), 183u);
    for (int f = 0; f < 183; ++f) EXPECT_TRUE(j["fields"][std::to_string(f)].is_number()) << f;
    const std::vector<std::size_t> slots{30, 14, 14, 15, 28, 14, 12, 22, 14};
    ASSERT_EQ(j["eq"].size(), slots.size());
    for (std::size_t m = 0; m < slots.size(); ++m) {
        EXPECT_EQ(j["eq"][m]["module"], static_cast<double>(m + 1));
        ASSERT_EQ(j["eq"][m]["bands"].size(), slots[m]);
        for (const auto& band : j["eq"][m]["bands"])
            for (const char* key : {"slot", "gain", "frequency", "q", "code"}) EXPECT_TRUE(band.contains(key)) << key;
    }
    // The factory music EQ: peaking bands at the standard third-octave centres, flat.
    EXPECT_EQ(j["eq"][3]["bands"][8]["frequency"], 1000);
    EXPECT_EQ(j["eq"][3]["bands"][8]["gain"], 0);
    EXPECT_EQ(j["speakerPositions"].size(), 20u);
    EXPECT_EQ(j["speakerGains"].size(), 32u);
    EXPECT_EQ(j["settings"]["applied"].size(), 13u);
    EXPECT_EQ(j["settings"]["edited"].size(), 13u);
    EXPECT_EQ(j["remoteTable"].size(), 16u);
    ASSERT_EQ(j["modeNames"].size(), 4u);

    // On a terminal a progress line runs while the box is read, and is wiped before the result.
    ProcessOptions onTerminal;
    onTerminal.stderrOnTerminal = true;
    onTerminal.env["KV4420_SYNC_WAIT_MS"] = "300";
    const auto shown = Ctl(sim->Uri(), {"info"}, onTerminal);
    EXPECT_EQ(shown.exitCode, 0) << Describe(shown);
    EXPECT_EQ(shown.out, info.out);
    EXPECT_NE(shown.err.find("Reading the box"), std::string::npos) << shown.err;
    EXPECT_NE(shown.err.rfind("\r\033[K"), std::string::npos) << shown.err;

    const SimLog log = SimLog::Read(sim->LogPath());
    ExpectCleanLog(log);
    const auto sessions = Sessions(log);
    ASSERT_EQ(sessions.size(), 3u);
    for (const auto& s : sessions) {
        // A read-back, then straight to the disconnect notice: nothing written.
        EXPECT_EQ(PastReadBack(s, 0), s.size() - 1) << Hex(s);
        EXPECT_EQ(s.back(), cmd::kDisconnect);
    }
}

TEST_F(CtlEndToEnd, ModeFileFromOneBoxGivesItsStateToAnother) {
    auto boxA = StartSim("a");
    auto boxB = StartSim("b");
    ASSERT_TRUE(boxA->Ready() && boxB->Ready());

    const Bytes tweaked = TweakedModeFile(boxA->Uri());
    ASSERT_EQ(tweaked.size(), kModeFileSize);
    const Bytes saved = ReadBytes(m_dir.File("base.K4v9"));
    EXPECT_EQ(std::vector<std::uint8_t>(saved.begin(), saved.begin() + 4), (Bytes{2, 0, 0, 0}));

    // Its name sends it to slot 3 as well.
    const std::string named = m_dir.File("m3 studio.K4v9");
    WriteBytes(named, tweaked);
    auto r = Ctl(boxA->Uri(), {"load-file", named});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);

    const std::string copy = m_dir.File("copy.K4v9");
    r = Ctl(boxA->Uri(), {"save-file", copy});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    ASSERT_EQ(ReadBytes(copy).size(), kModeFileSize);
    r = Ctl(boxB->Uri(), {"load-file", copy});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);

    Json a = ParseDump(Ctl(boxA->Uri(), {"dump"}));
    Json b = ParseDump(Ctl(boxB->Uri(), {"dump"}));
    EXPECT_EQ(a["fields"]["70"], 42);
    EXPECT_EQ(a["fields"]["82"], 37);
    Json& band = a["eq"][3]["bands"][2];
    EXPECT_EQ(band["gain"], 6);
    EXPECT_EQ(band["frequency"], 1234);
    EXPECT_EQ(band["q"], 2);
    EXPECT_EQ(a["speakerGains"][5], 0x21);
    // Everything the file carries arrived; the slot and the names are the boxes' own.
    for (int f = 0; f < 183; ++f) {
        if (f == 181) continue;
        EXPECT_EQ(a["fields"][std::to_string(f)], b["fields"][std::to_string(f)]) << "field " << f;
    }
    EXPECT_EQ(a["eq"], b["eq"]);
    EXPECT_EQ(a["speakerPositions"], b["speakerPositions"]);
    EXPECT_EQ(a["speakerGains"], b["speakerGains"]);
    EXPECT_EQ(a["auxBytes"], b["auxBytes"]);
    EXPECT_EQ(a["currentMode"], 3);
    EXPECT_EQ(b["currentMode"], 1);
    // The name went with the data into slot 3; slot 1 keeps its own.
    EXPECT_EQ(a["modeNames"][2], "m3 studio");
    EXPECT_NE(a["modeNames"][0], "m3 studio");
    EXPECT_EQ(b["modeNames"][0], "copy");

    // Box A: save-file, load-file (named for slot 3), save-file, dump.
    const SimLog logA = SimLog::Read(boxA->LogPath());
    ExpectCleanLog(logA);
    const auto sa = Sessions(logA);
    ASSERT_EQ(sa.size(), 4u);
    std::size_t i = PastReadBack(sa[0], 0);
    ASSERT_NE(i, std::string::npos) << Hex(sa[0]);
    EXPECT_EQ(Codes(sa[0].begin() + static_cast<std::ptrdiff_t>(i), sa[0].end()),
              (Codes{cmd::kModeSave, cmd::kDisconnect}));
    i = PastReadBack(sa[1], 0);
    ASSERT_NE(i, std::string::npos) << Hex(sa[1]);
    ASSERT_LT(i, sa[1].size());
    EXPECT_EQ(sa[1][i], cmd::kModeNameWrite);
    i = PastWriteAll(sa[1], i + 1);
    ASSERT_NE(i, std::string::npos) << Hex(sa[1]);
    EXPECT_EQ(Codes(sa[1].begin() + static_cast<std::ptrdiff_t>(i), sa[1].end()),
              (Codes{cmd::kModeSelect, cmd::kModeSave, cmd::kDisconnect}));
    // The name and the mode both go into the slot of the name (3).
    const auto toA = logA.ToBox();
    for (const auto& rep : toA) {
        if (rep.Code() == cmd::kModeNameWrite) {
            EXPECT_EQ(rep.bytes[2], 0x0F);
            EXPECT_EQ(rep.bytes[3], 0x80);
            EXPECT_EQ(rep.bytes[6], 'm');
            EXPECT_EQ(rep.bytes[8], '3');
        }
    }
    std::vector<int> saveSlots;
    for (const auto& rep : toA)
        if (rep.Code() == cmd::kModeSave || rep.Code() == cmd::kModeSelect) saveSlots.push_back(rep.bytes[2]);
    EXPECT_EQ(saveSlots, (std::vector<int>{0, 2, 2, 2}));  // save-file, select+save, save-file in slot 3

    // Box B: load-file of a name without a slot: no select, no save.
    const SimLog logB = SimLog::Read(boxB->LogPath());
    ExpectCleanLog(logB);
    const auto sb = Sessions(logB);
    ASSERT_EQ(sb.size(), 2u);
    i = PastReadBack(sb[0], 0);
    ASSERT_NE(i, std::string::npos);
    EXPECT_EQ(sb[0][i], cmd::kModeNameWrite);
    EXPECT_EQ(PastWriteAll(sb[0], i + 1), sb[0].size() - 1) << Hex(sb[0]);
}

TEST_F(CtlEndToEnd, UserModesAreStoredRecalledAndReset) {
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());
    const Bytes tweaked = TweakedModeFile(sim->Uri());
    ASSERT_EQ(tweaked.size(), kModeFileSize);
    const std::string file = m_dir.File("tweak.K4v9");
    WriteBytes(file, tweaked);
    ASSERT_EQ(Ctl(sim->Uri(), {"load-file", file}).exitCode, 0);

    auto r = Ctl(sim->Uri(), {"mode", "save", "2"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    r = Ctl(sim->Uri(), {"mode", "reset", "1"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    Json j = ParseDump(Ctl(sim->Uri(), {"dump"}));
    EXPECT_NE(j["fields"]["70"], 42) << "reset brings back the factory level";
    EXPECT_EQ(j["currentMode"], 1);

    r = Ctl(sim->Uri(), {"mode", "load", "2"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    j = ParseDump(Ctl(sim->Uri(), {"dump"}));
    EXPECT_EQ(j["fields"]["70"], 42);
    EXPECT_EQ(j["eq"][3]["bands"][2]["frequency"], 1234);
    EXPECT_EQ(j["currentMode"], 2);

    const SimLog log = SimLog::Read(sim->LogPath());
    ExpectCleanLog(log);
    const auto s = Sessions(log);
    ASSERT_EQ(s.size(), 7u);
    auto expectAfterReadBack = [](const Codes& c, Codes tail, bool secondReadBack) {
        std::size_t i = PastReadBack(c, 0);
        ASSERT_NE(i, std::string::npos) << Hex(c);
        ASSERT_LE(i + tail.size(), c.size()) << Hex(c);
        EXPECT_EQ(
            Codes(c.begin() + static_cast<std::ptrdiff_t>(i), c.begin() + static_cast<std::ptrdiff_t>(i + tail.size())),
            tail);
        i += tail.size();
        if (secondReadBack) i = PastReadBack(c, i);
        EXPECT_EQ(i, c.size() - 1) << Hex(c);
    };
    expectAfterReadBack(s[2], {cmd::kModeSave}, false);
    expectAfterReadBack(s[3], {cmd::kModeReset}, true);
    expectAfterReadBack(s[5], {cmd::kModeLoad}, true);
    std::vector<int> slots;
    for (const auto& rep : log.ToBox())
        if (rep.Code() == cmd::kModeLoad || rep.Code() == cmd::kModeReset) slots.push_back(rep.bytes[2]);
    EXPECT_EQ(slots, (std::vector<int>{0, 1}));
}

TEST_F(CtlEndToEnd, RemoteKeyTableThroughFiles) {
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());
    Bytes keys{0x40};
    for (int k = 1; k <= 15; ++k) keys.push_back(static_cast<std::uint8_t>(0x10 + k));
    const std::string in = m_dir.File("keys.remo");
    WriteBytes(in, keys);
    auto r = Ctl(sim->Uri(), {"remote", "load", in});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    const std::string out = m_dir.File("back.remo");
    r = Ctl(sim->Uri(), {"remote", "save", out});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    EXPECT_EQ(ReadBytes(out), keys) << "the table read back from the box";

    const SimLog log = SimLog::Read(sim->LogPath());
    ExpectCleanLog(log);
    const auto s = Sessions(log);
    ASSERT_EQ(s.size(), 2u);
    const std::size_t i = PastReadBack(s[0], 0);
    EXPECT_EQ(Codes(s[0].begin() + static_cast<std::ptrdiff_t>(i), s[0].end()),
              (Codes{cmd::kRemoteTableWrite, cmd::kDisconnect}));
    EXPECT_EQ(PastReadBack(s[1], 0), s[1].size() - 1);
    for (const auto& rep : log.ToBox())
        if (rep.Code() == cmd::kRemoteTableWrite) {
            EXPECT_EQ(Bytes(rep.bytes.begin() + 2, rep.bytes.begin() + 18), keys);
        }
}

// A file that reaches kv4420ctl through a shell's plumbing: a named pipe, a process
// substitution, standard input. Each is read to its end and loaded as the file itself is.
TEST_F(CtlEndToEnd, LoadsReadPipesAndStandardInput) {
    auto source = StartSim("source");
    ASSERT_TRUE(source->Ready());
    const std::string mode = m_dir.File("tweaked.K4v9");
    WriteBytes(mode, TweakedModeFile(source->Uri()));
    Bytes keys;
    for (int k = 0; k < 16; ++k) keys.push_back(static_cast<std::uint8_t>(0x30 + k));
    const std::string remo = m_dir.File("keys.remo");
    WriteBytes(remo, keys);
    ASSERT_EQ(::mkfifo(m_dir.File("pipe").c_str(), 0600), 0);
    auto regular = StartSim("regular");
    ASSERT_TRUE(regular->Ready());
    ASSERT_EQ(Ctl(regular->Uri(), {"load-file", mode}).exitCode, 0);
    ASSERT_EQ(Ctl(regular->Uri(), {"save-file", m_dir.File("reference.K4v9")}).exitCode, 0);
    const Bytes reference = ReadBytes(m_dir.File("reference.K4v9"));

    struct Case {
        std::string name;
        std::string command;  // load-file or remote load, PATH stands for what is read
        std::string plumbing;
    };
    const std::string pipe = m_dir.File("pipe");
    const std::vector<Case> cases{
        {"fifo-mode", "load-file PATH", "cat FILE > " + pipe + " & CTL " + pipe},
        {"substitution-mode", "load-file PATH", "CTL <(cat FILE)"},
        {"stdin-mode", "load-file PATH", "cat FILE | CTL -"},
        {"fifo-remote", "remote load PATH", "cat FILE > " + pipe + " & CTL " + pipe},
        {"substitution-remote", "remote load PATH", "CTL <(cat FILE)"},
        {"stdin-remote", "remote load PATH", "CTL - < FILE"},
    };
    auto replace = [](std::string text, const std::string& what, const std::string& with) {
        for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + with.size()))
            text.replace(at, what.size(), with);
        return text;
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto box = StartSim(c.name);
        ASSERT_TRUE(box->Ready());
        const bool isMode = c.command.rfind("load-file", 0) == 0;
        const std::string ctl = std::string(KV_CTL_PATH) + " --device " + box->Uri() + " " + c.command;
        std::string script = replace(c.plumbing, "CTL ", replace(ctl, "PATH", ""));
        script = replace(script, "FILE", isMode ? mode : remo);
        ProcessOptions options;
        options.env.emplace("KV4420_SYNC_WAIT_MS", "0");
        const auto r = RunProcess({"/bin/bash", "-c", script}, options);
        ASSERT_EQ(r.exitCode, 0) << script << "\n" << Describe(r);
        if (isMode) {
            const std::string back = m_dir.File(c.name + ".K4v9");
            ASSERT_EQ(Ctl(box->Uri(), {"save-file", back}).exitCode, 0);
            const Bytes saved = ReadBytes(back);
            ASSERT_EQ(saved.size(), kModeFileSize);
            // As the file itself loads.
            ASSERT_EQ(reference.size(), kModeFileSize);
            EXPECT_TRUE(std::equal(reference.begin(), reference.begin() + kEqPart, saved.begin()));
            EXPECT_TRUE(std::equal(reference.begin() + kEqPart, reference.end(), saved.begin() + kEqPart));
        } else {
            const std::string back = m_dir.File(c.name + ".remo");
            ASSERT_EQ(Ctl(box->Uri(), {"remote", "save", back}).exitCode, 0);
            EXPECT_EQ(ReadBytes(back), keys);
        }
    }
}

// A pipe that is never written or never ends holds the command only for the time bound,
// and one that carries more than the file can hold is refused, before the box is touched.
TEST_F(CtlEndToEnd, PipesAreReadWithinBounds) {
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());
    const std::string uri = sim->Uri();
    ASSERT_EQ(::mkfifo(m_dir.File("silent").c_str(), 0600), 0);
    const std::string ctl = std::string(KV_CTL_PATH) + " --device " + uri + " ";
    struct Case {
        std::string script;
        std::string mentions;
    };
    const std::vector<Case> cases{
        {ctl + "load-file " + m_dir.File("silent"), "did not end within 300 ms"},
        {ctl + "remote load " + m_dir.File("silent"), "did not end within 300 ms"},
        {ctl + "remote load - < <(printf '0123456789'; sleep 5 2>/dev/null)", "did not end within 300 ms (10 bytes"},
        {"head -c 17 /dev/zero | " + ctl + "remote load -", "too long"},
        {"head -c 4000 /dev/zero | " + ctl + "remote load <(cat)", "too long"},
        {"printf '' | " + ctl + "remote load -", "too short"},
    };
    ProcessOptions options;
    options.env = {{"KV4420_SYNC_WAIT_MS", "0"}, {"KV4420_INPUT_WAIT_MS", "300"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.script);
        const auto r = RunProcess({"/bin/bash", "-c", c.script}, options);
        ExpectOneErrorLine(r, 4, c.mentions);
        EXPECT_LT(r.elapsed.count(), 4000) << Describe(r);
    }
    EXPECT_TRUE(SimLog::Read(sim->LogPath()).reports.empty());
}

TEST_F(CtlEndToEnd, UnusableFilesAreReportedBeforeTheBoxIsTouched) {
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());
    const std::string uri = sim->Uri();

    Bytes shortFile(100, 0);
    shortFile[0] = 2;
    Bytes version3(kModeFileSize, 0);
    version3[0] = 3;
    Bytes shortV1(1000, 0);
    shortV1[0] = 1;
    WriteBytes(m_dir.File("empty.K4v9"), {});
    WriteBytes(m_dir.File("short.K4v9"), shortFile);
    WriteBytes(m_dir.File("v3.K4v9"), version3);
    WriteBytes(m_dir.File("shortv1.K4v8"), shortV1);
    WriteBytes(m_dir.File("short.remo"), Bytes(10, 1));
    WriteBytes(m_dir.File("long.remo"), Bytes(17, 1));
    std::filesystem::create_directory(m_dir.File("folder.K4v9"));
    // No one ever writes into it: opening it for reading the usual way waits forever.
    ASSERT_EQ(::mkfifo(m_dir.File("fifo.K4v9").c_str(), 0600), 0);
    ProcessOptions shortInputWait;
    shortInputWait.env.emplace("KV4420_INPUT_WAIT_MS", "200");

    struct Case {
        std::vector<std::string> args;
        std::string mentions;
    };
    const std::vector<Case> cases{
        {{"load-file", m_dir.File("missing.K4v9")}, "No such file"},
        {{"load-file", m_dir.File("folder.K4v9")}, "Is a directory"},
        {{"load-file", m_dir.File("empty.K4v9")}, "empty.K4v9"},
        {{"load-file", m_dir.File("short.K4v9")}, "too short"},
        {{"load-file", m_dir.File("shortv1.K4v8")}, "too short"},
        {{"load-file", m_dir.File("v3.K4v9")}, "version"},
        {{"remote", "load", m_dir.File("missing.remo")}, "No such file"},
        {{"remote", "load", m_dir.File("short.remo")}, "too short"},
        {{"remote", "load", m_dir.File("folder.K4v9")}, "Is a directory"},
        {{"remote", "load", m_dir.File("long.remo")}, "too long"},
        {{"load-file", m_dir.File("fifo.K4v9")}, "did not end within"},
        {{"remote", "load", m_dir.File("fifo.K4v9")}, "did not end within"},
        {{"load-file", "/dev/zero"}, "not a regular file"},
        {{"remote", "load", "/dev/zero"}, "not a regular file"},
        {{"save-file", m_dir.File("no/such/folder.K4v9")}, "No such file"},
        {{"save-file", m_dir.File("folder.K4v9")}, "Is a directory"},
        {{"save-file", "/proc/kv4420ctl-test.K4v9"}, "/proc/kv4420ctl-test.K4v9"},
        {{"remote", "save", m_dir.File("no/such/keys.remo")}, "No such file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + c.args.back());
        ExpectOneErrorLine(Ctl(uri, c.args, shortInputWait), 4, c.mentions);
    }
    EXPECT_FALSE(std::filesystem::exists("/proc/kv4420ctl-test.K4v9"));
    // No probe or temporary file is left behind either.
    std::set<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(m_dir.Path())) left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"box", "empty.K4v9", "folder.K4v9", "short.K4v9", "shortv1.K4v8",
                                           "short.remo", "v3.K4v9", "long.remo", "fifo.K4v9"}));
    const SimLog log = SimLog::Read(sim->LogPath());
    EXPECT_TRUE(log.reports.empty()) << "the box was contacted " << log.reports.size() << " times";
}

TEST_F(CtlEndToEnd, UnreadableFileIsReportedBeforeTheBoxIsTouched) {
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());
    const std::string file = m_dir.File("locked.K4v9");
    WriteBytes(file, Bytes(kModeFileSize, 0));
    ::chmod(file.c_str(), 0);
    ProcessOptions options;
    // Root reads anything: run the tool as an ordinary user instead.
    if (::geteuid() == 0) options.runAs = kNobody;
    for (const auto& args :
         {std::vector<std::string>{"load-file", file}, std::vector<std::string>{"remote", "load", file}}) {
        const auto r = Ctl(sim->Uri(), args, options);
        if (r.exitCode == 126 || r.exitCode == 127) GTEST_SKIP() << "cannot run the tool as another user here";
        ExpectOneErrorLine(r, 4, "Permission denied");
    }
    EXPECT_TRUE(SimLog::Read(sim->LogPath()).reports.empty());
}

TEST_F(CtlEndToEnd, UsageErrors) {
    const std::string uri = "unix:" + m_dir.File("nobody-listens.sock");
    ExpectOneErrorLine(Ctl(uri, {}), 2, "no command");
    ExpectOneErrorLine(Ctl(uri, {"mode", "load", "5"}), 2, "1, 2, 3 or 4");
    ExpectOneErrorLine(RunProcess({KV_CTL_PATH, "--device", "serial:/dev/ttyS0", "info"}), 2, "serial:/dev/ttyS0");
    ProcessOptions badWait;
    badWait.env["KV4420_SYNC_WAIT_MS"] = "soon";
    ExpectOneErrorLine(Ctl(uri, {"info"}, badWait), 2, "KV4420_SYNC_WAIT_MS");
    const auto help = RunProcess({KV_CTL_PATH, "--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_NE(help.out.find("Usage: kv4420ctl"), std::string::npos);
}

TEST_F(CtlEndToEnd, NoBoxAndALinkThatDies) {
    ExpectOneErrorLine(Ctl("unix:" + m_dir.File("nobody-listens.sock"), {"info"}), 3, "no box found");

    // The box goes away in the middle of the read-back, after its 100th report.
    auto sim = StartSim("box", {"--unplug-after", "100"});
    ASSERT_TRUE(sim->Ready());
    const auto r = Ctl(sim->Uri(), {"dump"});
    ExpectOneErrorLine(r, 3, "link");
    EXPECT_LT(r.elapsed.count(), 10000) << "a dead box is noticed at once";
    const SimLog log = SimLog::Read(sim->LogPath());
    const Codes died = log.CodesToBox();
    ASSERT_EQ(died.size(), 100u) << Hex(died);
    EXPECT_EQ(PastReadBack(died, 0), std::string::npos) << "it died before the read-back ended";
    EXPECT_EQ(std::count(died.begin(), died.end(), cmd::kDisconnect), 0) << "nothing is said to a dead box";

    // The same while a mode file is being written into the box: the read-back and the mode
    // name go through, the write-all is cut off after 50 reports.
    auto first = StartSim("box2");
    ASSERT_TRUE(first->Ready());
    const std::string file = m_dir.File("mode.K4v9");
    ASSERT_EQ(Ctl(first->Uri(), {"save-file", file}).exitCode, 0);
    const std::size_t readBack = PastReadBack(SimLog::Read(first->LogPath()).CodesToBox(), 0);
    ASSERT_NE(readBack, std::string::npos);
    auto second = StartSim("box3", {"--unplug-after", std::to_string(readBack + 1 + 50)});
    ASSERT_TRUE(second->Ready());
    ExpectOneErrorLine(Ctl(second->Uri(), {"load-file", file}), 3, "link");
    const Codes cut = SimLog::Read(second->LogPath()).CodesToBox();
    ASSERT_EQ(cut.size(), readBack + 1 + 50) << Hex(cut);
    EXPECT_EQ(PastReadBack(cut, 0), readBack);
    EXPECT_EQ(cut[readBack], cmd::kModeNameWrite);
    EXPECT_EQ(PastWriteAll(cut, readBack + 1), std::string::npos) << "it died before the write-all ended";
    EXPECT_TRUE(std::all_of(cut.begin() + static_cast<std::ptrdiff_t>(readBack + 1), cut.end(),
                            [](std::uint8_t c) { return c == cmd::kParamWrite || c == cmd::kMemoryWrite; }));
}

// Boxes that misbehave on purpose: each ends in bounded time with its documented status,
// and a command that fails leaves the file it was to write as it was.
TEST_F(CtlEndToEnd, HostileBoxesEndInBoundedTimeWithTheDocumentedStatus) {
    auto good = StartSim("good");
    ASSERT_TRUE(good->Ready());
    const std::string mode = m_dir.File("mode.K4v9");
    ASSERT_EQ(Ctl(good->Uri(), {"save-file", mode}).exitCode, 0);
    const std::string kept = m_dir.File("kept.K4v9");
    WriteBytes(kept, Bytes{'o', 'l', 'd'});

    struct Case {
        std::vector<std::string> simArgs;
        std::vector<std::string> args;
        int exitCode;
        std::string mentions;  // in the error line, or in the output on success
        long withinMs;
    };
    // Bounds: a silent box costs one permit wait (1.8 s) per identity query, the answer
    // wait and the notice; a box that stops reading one write bound (1.8 s) in all.
    const std::vector<Case> cases{
        {{"--silent"}, {"info"}, 3, "does not answer", 16000},
        // It answers, only not what was asked: a box refused, not a silent one.
        {{"--swap-identity"}, {"info"}, 5, "identity", 16000},
        {{"--flood", "4", "--latency-ms", "40"}, {"info"}, 0, "model:        KV4420M", 10000},
        {{"--stop-reading-after", "40"}, {"load-file", mode}, 3, "link", 8000},
        {{"--hang-up-on", "0x04"}, {"save-file", kept}, 3, "link", 8000},
        {{"--hang-up-on", "0x04"}, {"save-file", m_dir.File("new.K4v9")}, 3, "link", 8000},
    };
    int n = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.simArgs[0] + " " + c.args[0]);
        auto sim = StartSim("hostile" + std::to_string(n++), c.simArgs);
        ASSERT_TRUE(sim->Ready());
        const auto r = Ctl(sim->Uri(), c.args);
        if (c.exitCode == 0) {
            EXPECT_EQ(r.exitCode, 0) << Describe(r);
            EXPECT_NE(r.out.find(c.mentions), std::string::npos) << Describe(r);
        } else {
            ExpectOneErrorLine(r, c.exitCode, c.mentions);
        }
        EXPECT_LT(r.elapsed.count(), c.withinMs) << Describe(r);
    }
    EXPECT_EQ(ReadBytes(kept), (Bytes{'o', 'l', 'd'}));
    EXPECT_FALSE(std::filesystem::exists(m_dir.File("new.K4v9")));
}

TEST_F(CtlEndToEnd, WrongModelOrCommandSetIsRefused) {
    auto otherModel = StartSim("model", {"--model", "KV4410M"});
    auto oldBox = StartSim("cmd7", {"--cmd-version", "7"});
    auto lowerCase = StartSim("lower", {"--model", "kv4420a"});
    ASSERT_TRUE(otherModel->Ready() && oldBox->Ready() && lowerCase->Ready());

    ExpectOneErrorLine(Ctl(otherModel->Uri(), {"load-file", m_dir.File("never-read.K4v9")}), 4, "never-read");
    ExpectOneErrorLine(Ctl(otherModel->Uri(), {"mode", "save", "1"}), 5, "机器型号与软件不匹配!");
    ExpectOneErrorLine(Ctl(oldBox->Uri(), {"mode", "save", "1"}), 5, "机器与软件通信版本不匹配，请使用机器配套软件!");
    const auto ok = Ctl(lowerCase->Uri(), {"info"});
    EXPECT_EQ(ok.exitCode, 0) << Describe(ok);
    EXPECT_NE(ok.out.find("model:        kv4420a"), std::string::npos);

    // Refused after the identity queries (the version only after the model), then told goodbye.
    const Codes identity{cmd::kModelName, cmd::kCmdSetVersion, cmd::kMcuVersion,
                         cmd::kModelName, cmd::kCmdSetVersion, cmd::kMcuVersion};
    Codes expected = identity;
    expected.push_back(cmd::kDisconnect);
    for (const auto* sim : {otherModel.get(), oldBox.get()}) {
        const SimLog log = SimLog::Read(sim->LogPath());
        ExpectCleanLog(log);
        EXPECT_EQ(log.CodesToBox(), expected) << Hex(log.CodesToBox());
    }
}

// The dump's bytes are a contract with scripts that compare or patch them: a factory box
// gives the recorded text, whether the box is inside the tool or served on a socket.
TEST_F(CtlEndToEnd, DumpOfAFactoryBoxIsTheRecordedText) {
    std::ifstream in(KV_TEST_DATA_DIR "/dump-factory-box.json", std::ios::binary);
    const std::string recorded(std::istreambuf_iterator<char>(in), {});
    ASSERT_FALSE(recorded.empty());
    auto sim = StartSim("box");
    ASSERT_TRUE(sim->Ready());
    for (const std::string& uri : {std::string("sim"), sim->Uri()}) {
        const auto r = Ctl(uri, {"dump"});
        ASSERT_EQ(r.exitCode, 0) << Describe(r);
        EXPECT_EQ(r.out, recorded) << uri;
    }
}

// What a box with a damaged identity sends as its MCU and DSP versions (in kv4420-sim's
// \xHH notation), what the dump must read back, and how it is written there.
struct IdentityBytes {
    std::string name;
    std::string sent;
    std::string read;
    std::string written;
};

class CtlIdentityBytes : public ::testing::TestWithParam<IdentityBytes> {
protected:
    TempFolder m_dir;
};

TEST_P(CtlIdentityBytes, DumpIsValidJsonWhateverTheBoxSends) {
    const IdentityBytes& c = GetParam();
    SimProcess sim(m_dir.Path(), {"--mcu-version", c.sent, "--dsp-version", c.sent});
    ASSERT_TRUE(sim.Ready()) << sim.StartupError();
    const auto r = Ctl(sim.Uri(), {"dump"});
    ASSERT_EQ(r.exitCode, 0) << Describe(r);
    Json j = ParseDump(r);
    EXPECT_EQ(j["identity"]["mcuVersion"], c.read);
    EXPECT_EQ(j["identity"]["dspVersion"], c.read);
    EXPECT_NE(r.out.find("\"mcuVersion\": \"" + c.written + "\""), std::string::npos) << r.out.substr(0, 200);
    EXPECT_EQ(j["identity"]["model"], "KV4420M");
    EXPECT_EQ(j["fields"].size(), 183u) << "the rest of the dump is whole";
    ExpectCleanLog(SimLog::Read(sim.LogPath()));
}

const std::string kReplaced = "\xEF\xBF\xBD";  // U+FFFD

INSTANTIATE_TEST_SUITE_P(
    Rows, CtlIdentityBytes,
    ::testing::Values(
        IdentityBytes{"NotUtf8", "\\xFF\\xFE1.0", kReplaced + kReplaced + "1.0", kReplaced + kReplaced + "1.0"},
        // The box keeps ten bytes of a version: a cut inside a character leaves its start.
        IdentityBytes{"CutCharacter", "2014-03-1\\xE6\\x97\\xA5", "2014-03-1" + kReplaced, "2014-03-1" + kReplaced},
        IdentityBytes{"BrokenSequenceThenText", "\\xE6\\x97X", kReplaced + "X", kReplaced + "X"},
        IdentityBytes{"StrayContinuations", "\\x80\\xBF2", kReplaced + kReplaced + "2", kReplaced + kReplaced + "2"},
        IdentityBytes{"Overlong", "\\xC0\\xAF", kReplaced + kReplaced, kReplaced + kReplaced},
        IdentityBytes{"ValidUtf8Unchanged", "\\xE6\\x97\\xA5\\xE6\\x9C\\xAC", "\xE6\x97\xA5\xE6\x9C\xAC",
                      "\xE6\x97\xA5\xE6\x9C\xAC"},
        IdentityBytes{"QuoteBackslashControl", "a\"b\\c\\x01", "a\"b\\c\x01", "a\\\"b\\\\c\\u0001"}),
    [](const ::testing::TestParamInfo<IdentityBytes>& info) { return info.param.name; });

}  // namespace
}  // namespace kv::test
