// kv4420ctl serve as a real process against kv4420-sim: it starts and says where, answers,
// ends cleanly on SIGTERM; and a PUT sends the box byte for byte what kv4420ctl set sends.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <thread>

#include "../cli/Process.h"
#include "../cli/SimLog.h"
#include "ServeProcess.h"
#include "device/Commands.h"
#include "net/CommandSocket.h"

namespace kv::test {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr int kTerminateLimitMs = 3000;

// The changes after `from` once no more have come for a while (the server's writes are
// queued and may trail its answer).
std::vector<Bytes> SettledChanges(const SimProcess& sim, std::size_t from, std::size_t atLeast) {
    std::vector<Bytes> changes;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    std::size_t stableRounds = 0;
    while (std::chrono::steady_clock::now() < deadline && stableRounds < 3) {
        std::this_thread::sleep_for(std::chrono::milliseconds(40));
        auto now = SimLog::Read(sim.LogPath()).ChangesAfter(from);
        stableRounds = now.size() == changes.size() && now.size() >= atLeast ? stableRounds + 1 : 0;
        changes = std::move(now);
    }
    return changes;
}

TEST(ServeProcess, StartsAnswersAndEndsCleanlyOnSigterm) {
    TempFolder folder;
    SimProcess sim(folder.Path());
    ASSERT_TRUE(sim.Ready()) << sim.StartupError();
    ServeProcess serve(folder.Path(), {sim.Uri()});
    ASSERT_TRUE(serve.Ready()) << serve.Output();
    ASSERT_TRUE(serve.WaitConnected()) << serve.Output();
    // No --token-file: a new token in the user's config folder, readable by the user only.
    struct stat st {};
    ASSERT_EQ(::stat((folder.Path() + "/config/kv4420/token").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(serve.Token().size(), 32u);
    EXPECT_EQ(serve.Http("GET", "/api/v1/device", {}, false).status, 401);
    const RawHttp device = serve.Http("GET", "/api/v1/device");
    ASSERT_EQ(device.status, 200) << serve.Output();
    EXPECT_EQ(nlohmann::json::parse(device.body)["connected"], true);
    const RawHttp page = serve.Http("GET", "/?token=" + serve.Token(), {}, false);
    EXPECT_EQ(page.status, 200);
    EXPECT_NE(page.body.find("<html"), std::string::npos);

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(serve.Terminate(kTerminateLimitMs), 0) << serve.Output();
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(kTerminateLimitMs));
    EXPECT_NE(serve.Output().find("server closed"), std::string::npos);
    // The link said goodbye to the box.
    const auto sent = SimLog::Read(sim.LogPath()).CodesToBox();
    ASSERT_FALSE(sent.empty());
    EXPECT_EQ(sent.back(), cmd::kDisconnect);
}

// Two fresh boxes, one behind the server and one set directly; the same texts go to both.
struct PutRow {
    const char* address;
    const char* text;
};
void PrintTo(const PutRow& row, std::ostream* os) { *os << row.address << "=" << row.text; }

class PutAsSet : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        s_folder = new TempFolder;
        std::filesystem::create_directory(s_folder->File("a"));
        std::filesystem::create_directory(s_folder->File("b"));
        s_served = new SimProcess(s_folder->File("a"));
        s_direct = new SimProcess(s_folder->File("b"));
        s_serve = new ServeProcess(s_folder->Path(), {s_served->Uri()});
        s_connected = s_serve->WaitConnected();
    }
    static void TearDownTestSuite() {
        delete s_serve;
        delete s_served;
        delete s_direct;
        delete s_folder;
    }
    static TempFolder* s_folder;
    static SimProcess* s_served;
    static SimProcess* s_direct;
    static ServeProcess* s_serve;
    static bool s_connected;
};
bool PutAsSet::s_connected = false;
TempFolder* PutAsSet::s_folder = nullptr;
SimProcess* PutAsSet::s_served = nullptr;
SimProcess* PutAsSet::s_direct = nullptr;
ServeProcess* PutAsSet::s_serve = nullptr;

class PutSendsWhatSetSends : public PutAsSet, public ::testing::WithParamInterface<PutRow> {};

TEST_P(PutSendsWhatSetSends, ByteForByte) {
    ASSERT_TRUE(s_served->Ready() && s_direct->Ready() && s_connected) << s_serve->Output();
    const PutRow& row = GetParam();
    const std::size_t directFrom = SimLog::Read(s_direct->LogPath()).reports.size();
    const ProcessResult set = Ctl(s_direct->Uri(), {"set", std::string(row.address) + "=" + row.text});
    ASSERT_EQ(set.exitCode, 0) << Describe(set);
    const auto expected = SimLog::Read(s_direct->LogPath()).ChangesAfter(directFrom);
    ASSERT_FALSE(expected.empty());

    const std::size_t servedFrom = SimLog::Read(s_served->LogPath()).reports.size();
    const RawHttp put =
        s_serve->Http("PUT", std::string("/api/v1/settings/") + row.address, nlohmann::json{{"text", row.text}}.dump());
    ASSERT_EQ(put.status, 200) << put.body;
    EXPECT_EQ(HexLines(SettledChanges(*s_served, servedFrom, expected.size())), HexLines(expected));
}

INSTANTIATE_TEST_SUITE_P(Kinds, PutSendsWhatSetSends,
                         ::testing::Values(PutRow{"music.level", "40"}, PutRow{"music.mute", "on"},
                                           PutRow{"music.mute", "off"}, PutRow{"music.pitch", "-3"},
                                           PutRow{"mic.2.route", "B"}, PutRow{"mica.shift", "3Hz"},
                                           PutRow{"eq.music.3.gain", "-4.5dB"}, PutRow{"eq.main.2.freq", "1.2k"},
                                           PutRow{"eq.main.2.q", "2,5"}, PutRow{"delay.main.l", "3.5ms"},
                                           PutRow{"main.comp.threshold", "-20dB"}, PutRow{"main.mix.music", "50%"},
                                           PutRow{"music.agc.level", "-3dB"}, PutRow{"mica.reverb.time", "139ms"}),
                         [](const ::testing::TestParamInfo<PutRow>& info) {
                             std::string name = std::to_string(info.index) + "_" + info.param.address;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

// A command through the server and the same directly on the second box: the same output and
// exit status, with each box's URI put as BOX; the served box is never opened a second time.
struct CommandRow {
    CommandRow(std::vector<std::string> a, int code, const char* f = nullptr, std::vector<std::string> t = {})
        : args(std::move(a)), exitCode(code), file(f), then(std::move(t)) {}
    std::vector<std::string> args;
    int exitCode;
    const char* file = nullptr;     // a file the command writes, named relative to its folder
    std::vector<std::string> then;  // a command after it, whose output shows what it did
};
void PrintTo(const CommandRow& row, std::ostream* os) {
    for (const std::string& a : row.args) *os << a << ' ';
}

std::string Neutral(std::string text, const std::string& uri) {
    for (std::size_t at; (at = text.find(uri)) != std::string::npos;) text.replace(at, uri.size(), "BOX");
    return text;
}

std::size_t Disconnects(const SimProcess& sim) {
    const auto codes = SimLog::Read(sim.LogPath()).CodesToBox();
    return static_cast<std::size_t>(std::count(codes.begin(), codes.end(), cmd::kDisconnect));
}

class SameAsDirect : public PutAsSet, public ::testing::WithParamInterface<CommandRow> {};

TEST_P(SameAsDirect, OutputAndExitStatus) {
    ASSERT_TRUE(s_served->Ready() && s_direct->Ready() && s_connected) << s_serve->Output();
    const CommandRow& row = GetParam();
    ProcessOptions options;
    options.env["XDG_RUNTIME_DIR"] = s_folder->File("run");
    auto run = [&](const SimProcess& sim, const std::string& where, const std::vector<std::string>& args) {
        std::filesystem::create_directories(s_folder->File(where));
        options.workingDirectory = s_folder->File(where);
        return Ctl(sim.Uri(), args, options);
    };
    const std::size_t goodbyes = Disconnects(*s_served);
    const ProcessResult served = run(*s_served, "through", row.args);
    const ProcessResult direct = run(*s_direct, "direct", row.args);
    EXPECT_EQ(served.exitCode, row.exitCode) << Describe(served);
    EXPECT_EQ(direct.exitCode, row.exitCode) << Describe(direct);
    EXPECT_EQ(Neutral(served.out, s_served->Uri()), Neutral(direct.out, s_direct->Uri()));
    EXPECT_EQ(Neutral(served.err, s_served->Uri()), Neutral(direct.err, s_direct->Uri()));
    EXPECT_EQ(Disconnects(*s_served), goodbyes) << "the command opened the served box itself";
    if (!row.then.empty()) {
        const ProcessResult servedThen = run(*s_served, "through", row.then);
        EXPECT_EQ(servedThen.out, run(*s_direct, "direct", row.then).out) << Describe(servedThen);
    }
    if (row.file) {
        auto read = [&](const std::string& where) {
            std::ifstream in(s_folder->File(where) + "/" + row.file);
            return std::string(std::istreambuf_iterator<char>(in), {});
        };
        EXPECT_FALSE(read("through").empty());
        EXPECT_EQ(read("through"), read("direct"));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Commands, SameAsDirect,
    ::testing::Values(
        CommandRow{{"set", "music.level=40", "music.pitch=-2"}, 0, nullptr, {"get", "music.level", "music.pitch"}},
        CommandRow{{"get", "music.level", "music.pitch", "eq.music.3.gain"}, 0},
        CommandRow{{"get", "--json", "main.comp.ratio"}, 0}, CommandRow{{"set", "music.level=400"}, 2},
        CommandRow{{"get", "music.loud"}, 2}, CommandRow{{"set", "music.mute=on", "music.level=x"}, 2},
        CommandRow{{"info"}, 0}, CommandRow{{"dump"}, 0}, CommandRow{{"mode", "save", "2"}, 0},
        CommandRow{{"mode", "load", "3"}, 0, nullptr, {"info"}}, CommandRow{{"mode", "reset", "4"}, 0},
        CommandRow{{"eq", "export", "music", "music.txt"}, 0, "music.txt"},
        CommandRow{{"eq", "response", "main", "--points", "8", "--csv"}, 0}),
    [](const ::testing::TestParamInfo<CommandRow>& info) {
        std::string name = std::to_string(info.index);
        for (const std::string& a : info.param.args) name += "_" + a;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
        return name;
    });

// A server that takes the command and never answers, or ends without answering, at the
// socket of a box; --direct passes it by.
class FakeServer {
public:
    FakeServer(const std::string& path, bool answerNothingAndClose) {
        m_listen = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ::bind(m_listen, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::listen(m_listen, 4);
        m_thread = std::thread([this, answerNothingAndClose] {
            const int fd = ::accept(m_listen, nullptr, nullptr);
            if (fd < 0) return;
            char buffer[4096];
            // A look whether someone listens sends nothing; a command does.
            if (::recv(fd, buffer, sizeof buffer, 0) > 0) ++m_requests;
            if (answerNothingAndClose) ::close(fd);
        });
    }
    ~FakeServer() {
        ::shutdown(m_listen, SHUT_RDWR);
        ::close(m_listen);
        m_thread.join();
    }
    int Requests() const { return m_requests; }

private:
    int m_listen = -1;
    std::atomic<int> m_requests{0};
    std::thread m_thread;
};

TEST(ThroughServer, DirectPassesTheServerByAndAServerThatEndsIsReported) {
    TempFolder folder;
    SimProcess sim(folder.Path());
    ASSERT_TRUE(sim.Ready()) << sim.StartupError();
    ProcessOptions options;
    options.env["XDG_RUNTIME_DIR"] = folder.File("run");
    options.limit = std::chrono::seconds(20);
    std::filesystem::create_directory(folder.File("run"));
    ::setenv("XDG_RUNTIME_DIR", folder.File("run").c_str(), 1);
    std::string problem;
    ASSERT_TRUE(net::PrepareCommandFolder(problem)) << problem;
    const std::string socket = net::CommandSocketPath(sim.Uri());
    {
        FakeServer fake(socket, true);
        const ProcessResult ended = Ctl(sim.Uri(), {"set", "music.level=7"}, options);
        EXPECT_EQ(ended.exitCode, 3) << Describe(ended);
        EXPECT_NE(ended.err.find("ended before it answered"), std::string::npos) << Describe(ended);
        EXPECT_EQ(fake.Requests(), 1);
    }
    std::filesystem::remove(socket);
    FakeServer silent(socket, false);
    const ProcessResult direct = Ctl(sim.Uri(), {"--direct", "set", "music.level=7"}, options);
    EXPECT_EQ(direct.exitCode, 0) << Describe(direct);
    EXPECT_NE(direct.err.find("a running server holds"), std::string::npos) << Describe(direct);
    EXPECT_EQ(silent.Requests(), 0);
    EXPECT_EQ(Ctl(sim.Uri(), {"--direct", "get", "music.level"}, options).out, "music.level=7\n");
    ::unsetenv("XDG_RUNTIME_DIR");
}

}  // namespace
}  // namespace kv::test
