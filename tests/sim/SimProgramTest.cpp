// kv4420-sim as a process: serves the box on a socket, logs every report, refuses a path
// in use, and ends cleanly on SIGTERM.

#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "device/UnixSocketTransport.h"
#include "tests/sim/LinkHarness.h"

extern char** environ;

namespace kv {
namespace {

namespace fs = std::filesystem;
using test::Eventually;

class SimProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        char tmpl[] = "/tmp/kv4420-sim-test-XXXXXX";
        ASSERT_NE(::mkdtemp(tmpl), nullptr);
        dir = tmpl;
        socketPath = (dir / "box.sock").string();
        logPath = (dir / "log.jsonl").string();
    }
    void TearDown() override {
        if (pid > 0) {
            ::kill(pid, SIGKILL);
            Wait();
        }
        fs::remove_all(dir);
    }
    pid_t Spawn(std::vector<std::string> args) {
        args.insert(args.begin(), KV_SIM_PROGRAM);
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        pid_t child = -1;
        EXPECT_EQ(::posix_spawn(&child, KV_SIM_PROGRAM, nullptr, nullptr, argv.data(), environ), 0);
        return child;
    }
    int Wait() {
        int status = 0;
        ::waitpid(pid, &status, 0);
        pid = -1;
        return status;
    }
    int RunToEnd(std::vector<std::string> args) {
        pid = Spawn(std::move(args));
        const int status = Wait();
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::unique_ptr<UnixSocketTransport> ConnectWhenReady() {
        std::unique_ptr<UnixSocketTransport> t;
        Eventually([&] { return (t = UnixSocketTransport::Connect(socketPath)) != nullptr; });
        return t;
    }
    static Report Exchange(Transport& t, const Report& request) {
        Report out{};
        EXPECT_EQ(t.Write(request, 1800), kReportSize);
        EXPECT_EQ(t.Read(out, 10000), Transport::ReadStatus::Ok);
        return out;
    }

    fs::path dir;
    std::string socketPath;
    std::string logPath;
    pid_t pid = -1;
};

TEST_F(SimProgramTest, ServesTheBoxLogsReportsAndEndsCleanlyOnSigterm) {
    pid = Spawn({"--listen", socketPath, "--model", "KV4420A", "--cmd-version", "8", "--log", logPath, "--mcu-version",
                 "\\xFFv\\x2\\x31"});
    auto client = ConnectWhenReady();
    ASSERT_TRUE(client);
    EXPECT_EQ(ReplyText(Exchange(*client, BuildCommand({cmd::kModelName})), 29), "KV4420A");
    // \xHH is one byte; an escape without two hex digits stays as written.
    EXPECT_EQ(ReplyText(Exchange(*client, BuildCommand({cmd::kMcuVersion})), 10), "\xFFv\\x21");
    EXPECT_EQ(Exchange(*client, BuildCommand({cmd::kCmdSetVersion}))[2], 8);
    Exchange(*client, BuildParamWrite(module::kMic, 30, std::vector<ParamValue>{ParamValue::FromFloat(0.5f)}));
    Exchange(*client, BuildCommand({0x55}));  // unknown: answered, and logged as a violation
    client.reset();

    // The next client finds the box as the last one left it.
    client = ConnectWhenReady();
    ASSERT_TRUE(client);
    const Report level = Exchange(*client, BuildParamRead(module::kMic, 30, 1));
    EXPECT_EQ(std::vector<int>(level.begin() + 6, level.begin() + 10), (std::vector<int>{0x3F, 0, 0, 0}));
    client.reset();

    ASSERT_EQ(::kill(pid, SIGTERM), 0);
    const int status = Wait();
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_FALSE(fs::exists(socketPath));

    std::ifstream log(logPath);
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);) lines.push_back(line);
    ASSERT_EQ(lines.size(), 13u);  // six exchanges in both directions and one violation
    EXPECT_EQ(lines[0].rfind("{\"dir\":\"in\",\"t\":", 0), 0u) << lines[0];
    EXPECT_NE(lines[0].find("\"hex\":\"02 80 00 00"), std::string::npos) << lines[0];
    EXPECT_EQ(lines[1].rfind("{\"dir\":\"out\"", 0), 0u) << lines[1];
    EXPECT_NE(lines[1].find("\"hex\":\"02 80 4B 56 34 34 32 30 41 00"), std::string::npos) << lines[1];
    EXPECT_EQ(lines[9].rfind("{\"violation\":\"0x55: unknown command code", 0), 0u) << lines[9];
    EXPECT_EQ(lines[12].rfind("{\"dir\":\"out\"", 0), 0u) << lines[12];
}

TEST_F(SimProgramTest, RefusesALiveSocketAndReplacesAStaleOne) {
    pid = Spawn({"--listen", socketPath});
    ASSERT_TRUE(ConnectWhenReady());
    const pid_t first = pid;
    EXPECT_EQ(RunToEnd({"--listen", socketPath}), 3);
    pid = first;
    ::kill(pid, SIGINT);
    EXPECT_EQ(WEXITSTATUS(Wait()), 0);

    // A socket file nobody listens on is taken over.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, socketPath.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ::close(fd);
    ASSERT_TRUE(fs::is_socket(socketPath));
    pid = Spawn({"--listen", socketPath, "--blank"});
    auto client = ConnectWhenReady();
    ASSERT_TRUE(client);
    EXPECT_EQ(Exchange(*client, BuildMemoryRead(0, 2))[5], 0xFF);
}

TEST_F(SimProgramTest, BadOptionsExitWithStatusTwo) {
    EXPECT_EQ(RunToEnd({"--bogus"}), 2);
    EXPECT_EQ(RunToEnd({"--model", "X"}), 2);  // no socket
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--cmd-version", "nine"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--latency-ms", "-1"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--unplug-after", "-3"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--unplug-after", "5x"}), 2);
    EXPECT_EQ(RunToEnd({"--listen"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--hang-up-on", "0x100"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--flood", "0x"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "--mcu-version"}), 2);
    EXPECT_EQ(RunToEnd({"--listen", socketPath, "stray"}), 2);
    EXPECT_EQ(RunToEnd({"--help"}), 0);
    EXPECT_FALSE(fs::exists(socketPath));
}

}  // namespace
}  // namespace kv
