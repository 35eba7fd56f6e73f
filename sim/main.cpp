// kv4420-sim: serves the simulated box on a Unix socket for the application and tools.

#include <sys/signalfd.h>
#include <unistd.h>

#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <memory>
#include <string>
#include <string_view>

#include "sim/SimBox.h"
#include "sim/SimServer.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitInUse = 3;

constexpr const char* kUsage =
    "usage: kv4420-sim --listen PATH [--model NAME] [--cmd-version N] [--latency-ms X]\n"
    "                  [--blank] [--unplug-after N] [--silent] [--hang-up-on CODE]\n"
    "                  [--stop-reading-after N] [--flood N] [--log FILE]\n"
    "Serves a simulated KV4420 box on the Unix stream socket PATH (61-byte reports).\n"
    "  --listen PATH      socket to create; a stale socket file there is replaced\n"
    "  --model NAME       model name the box reports (default KV4420M)\n"
    "  --cmd-version N    command-set version 0..255 (default 9)\n"
    "  --latency-ms X     delay before each answer, milliseconds (default 0)\n"
    "  --blank            memory and mode names read back as 0xFF\n"
    "  --unplug-after N   take N reports, then drop the connection as if unplugged and\n"
    "                     accept no other (the N+1-th report never arrives)\n"
    "  --silent           never answers\n"
    "  --hang-up-on CODE  a command with this code (0..255, 0x.. for hex) drops the\n"
    "                     connection unanswered\n"
    "  --stop-reading-after N  take N reports, then read nothing more while sending\n"
    "                     reports of its own, so a client's writes fill the socket\n"
    "  --flood N          N unsolicited reports ahead of every answer\n"
    "  --log FILE         every report and violation as one JSON object a line\n"
    "  --help             this text\n"
    "SIGINT or SIGTERM ends it; SIGUSR1 presses a remote key while the box is learning.\n"
    "Exit status: 0 done, 1 socket error, 2 bad option, 3 socket path in use.\n";

int UsageError(const std::string& message) {
    std::fprintf(stderr, "kv4420-sim: %s (try --help)\n", message.c_str());
    return kExitUsage;
}

}  // namespace

int main(int argc, char** argv) {
    std::string listenPath;
    std::string logPath;
    auto box = std::make_shared<kv::SimBox>();
    kv::ServerFaults faults;

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) return false;
            out = argv[++i];
            return true;
        };
        std::string v;
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (arg == "--blank") {
            box->SetBlankMemory(true);
        } else if (arg == "--listen") {
            if (!value(listenPath) || listenPath.empty()) return UsageError("--listen needs a socket path");
        } else if (arg == "--log") {
            if (!value(logPath) || logPath.empty()) return UsageError("--log needs a file name");
        } else if (arg == "--model") {
            if (!value(v)) return UsageError("--model needs a name");
            box->SetModelName(v);
        } else if (arg == "--cmd-version") {
            int n = -1;
            if (!value(v)) return UsageError("--cmd-version needs a number");
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc{} || end != v.data() + v.size() || n < 0 || n > 255)
                return UsageError("--cmd-version must be a number 0..255, not '" + v + "'");
            box->SetCommandSetVersion(n);
        } else if (arg == "--unplug-after") {
            int n = -1;
            if (!value(v)) return UsageError("--unplug-after needs a number");
            const auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
            if (ec != std::errc{} || end != v.data() + v.size() || n < 0)
                return UsageError("--unplug-after must be a number of reports, not '" + v + "'");
            box->SetUnplugAfter(n);
        } else if (arg == "--silent") {
            box->SetSilent(true);
        } else if (arg == "--hang-up-on" || arg == "--stop-reading-after" || arg == "--flood") {
            if (!value(v)) return UsageError(std::string(arg) + " needs a number");
            const bool hex = v.rfind("0x", 0) == 0 || v.rfind("0X", 0) == 0;
            const char* first = v.data() + (hex ? 2 : 0);
            int n = -1;
            const auto [end, ec] = std::from_chars(first, v.data() + v.size(), n, hex ? 16 : 10);
            const int most = arg == "--hang-up-on" ? 255 : 1000000;
            if (ec != std::errc{} || end != v.data() + v.size() || first == end || n < 0 || n > most)
                return UsageError(std::string(arg) + " must be a number 0.." + std::to_string(most) + ", not '" + v +
                                  "'");
            if (arg == "--hang-up-on")
                faults.hangUpOn = n;
            else if (arg == "--flood")
                faults.flood = n;
            else
                faults.stopReadingAfter = n;
        } else if (arg == "--latency-ms") {
            if (!value(v)) return UsageError("--latency-ms needs a number");
            std::size_t used = 0;
            double ms = -1;
            try {
                ms = std::stod(v, &used);
            } catch (const std::exception&) {
                used = 0;
            }
            if (used != v.size() || !(ms >= 0.0) || ms > 60000.0)
                return UsageError("--latency-ms must be a number 0..60000, not '" + v + "'");
            box->SetLatency(std::chrono::microseconds(std::llround(ms * 1000.0)));
        } else {
            return UsageError("unknown option '" + std::string(arg) + "'");
        }
    }
    if (listenPath.empty()) return UsageError("--listen PATH is required");

    // Signals arrive as readable data on one descriptor, so the serving loop ends cleanly.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGUSR1);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) {
        std::perror("kv4420-sim: sigprocmask");
        return 1;
    }
    const int signalFd = signalfd(-1, &signals, SFD_CLOEXEC);
    if (signalFd < 0) {
        std::perror("kv4420-sim: signalfd");
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);

    std::ofstream logFile;
    if (!logPath.empty()) {
        logFile.open(logPath, std::ios::out | std::ios::trunc);
        if (!logFile) {
            std::fprintf(stderr, "kv4420-sim: cannot write the log %s\n", logPath.c_str());
            return 1;
        }
    }

    int status = 0;
    {
        kv::SimServer server(box, listenPath, logFile.is_open() ? &logFile : nullptr);
        server.SetFaults(faults);
        std::string error;
        switch (server.Listen(error)) {
            case kv::SimServer::ListenResult::InUse:
                std::fprintf(stderr, "kv4420-sim: %s\n", error.c_str());
                return kExitInUse;
            case kv::SimServer::ListenResult::Failed:
                std::fprintf(stderr, "kv4420-sim: %s\n", error.c_str());
                return 1;
            case kv::SimServer::ListenResult::Ok:
                break;
        }
        std::fprintf(stderr, "kv4420-sim: serving on %s\n", listenPath.c_str());
        status = server.Run(signalFd);
    }
    ::close(signalFd);
    return status;
}
