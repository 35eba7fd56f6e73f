// kv4420-sim: serves the simulated box on a Unix socket for the application and tools.

#include <sys/signalfd.h>
#include <unistd.h>

#include <CLI/CLI.hpp>
#include <charconv>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "sim/SimBox.h"
#include "sim/SimServer.h"

namespace {

constexpr int kExitUsage = 2;
constexpr int kExitInUse = 3;

constexpr const char* kUsage =
    "usage: kv4420-sim --listen PATH [--model NAME] [--cmd-version N] [--latency-ms X]\n"
    "                  [--mcu-version TEXT] [--dsp-version TEXT] [--blank]\n"
    "                  [--unplug-after N] [--silent] [--swap-identity] [--hang-up-on CODE]\n"
    "                  [--stop-reading-after N] [--flood N] [--log FILE]\n"
    "Serves a simulated KV4420 box on the Unix stream socket PATH (61-byte reports).\n"
    "  --listen PATH      socket to create; a stale socket file there is replaced\n"
    "  --model NAME       model name the box reports (default KV4420M)\n"
    "  --cmd-version N    command-set version 0..255 (default 9)\n"
    "  --mcu-version TEXT MCU version the box reports (default 2014-03-12)\n"
    "  --dsp-version TEXT DSP version the box reports (default 2014-03-20)\n"
    "                     In NAME and TEXT \\xHH stands for the byte HH, UTF-8 or not,\n"
    "                     as a box with a damaged identity may send it.\n"
    "  --latency-ms X     delay before each answer, milliseconds (default 0)\n"
    "  --blank            memory and mode names read back as 0xFF\n"
    "  --unplug-after N   take N reports, then drop the connection as if unplugged and\n"
    "                     accept no other (the N+1-th report never arrives)\n"
    "  --silent           never answers\n"
    "  --swap-identity    answers the model and MCU version queries with each other's\n"
    "                     replies, and the command-set and DSP version queries likewise\n"
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

// A whole number 0..most, decimal or, where hex is allowed, 0x..; handed on as decimal.
CLI::Validator WholeNumber(int most, bool hex = false, std::string what = {}) {
    if (what.empty()) what = "a number 0.." + std::to_string(most);
    return CLI::Validator(
        [most, hex, what](std::string& v) -> std::string {
            const bool isHex = hex && (v.rfind("0x", 0) == 0 || v.rfind("0X", 0) == 0);
            const char* first = v.data() + (isHex ? 2 : 0);
            const char* last = v.data() + v.size();
            int n = -1;
            const auto [end, ec] = std::from_chars(first, last, n, isHex ? 16 : 10);
            if (ec != std::errc{} || end != last || first == end || n < 0 || n > most)
                return "must be " + what + ", not '" + v + "'";
            v = std::to_string(n);
            return {};
        },
        "");
}

const CLI::Validator kMilliseconds(
    [](std::string& v) -> std::string {
        std::size_t used = 0;
        double ms = -1;
        try {
            ms = std::stod(v, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (used != v.size() || !(ms >= 0.0) || ms > 60000.0) return "must be a number 0..60000, not '" + v + "'";
        return {};
    },
    "");

// Identity texts may hold any byte: \xHH stands for the byte HH, for the bytes a shell
// cannot pass or that a test's arguments cannot carry.
const CLI::Validator kBytes(
    [](std::string& v) -> std::string {
        std::string out;
        for (std::size_t i = 0; i < v.size(); ++i) {
            unsigned byte = 0;
            if (v.compare(i, 2, "\\x") == 0 && i + 4 <= v.size() &&
                std::from_chars(v.data() + i + 2, v.data() + i + 4, byte, 16).ptr == v.data() + i + 4) {
                out.push_back(static_cast<char>(byte));
                i += 3;
            } else {
                out.push_back(v[i]);
            }
        }
        v = out;
        return {};
    },
    "");

const CLI::Validator kNotEmpty([](std::string& v) -> std::string { return v.empty() ? "must not be empty" : ""; }, "");

}  // namespace

int main(int argc, char** argv) {
    std::string listenPath;
    std::string logPath;
    auto box = std::make_shared<kv::SimBox>();
    kv::ServerFaults faults;
    std::optional<std::string> model, mcuVersion, dspVersion;
    std::optional<int> cmdVersion, unplugAfter;
    std::optional<double> latencyMs;
    bool blank = false;
    bool silent = false;
    bool swapIdentity = false;

    CLI::App app("kv4420-sim");
    app.set_help_flag("--help,-h");
    // --listen is checked after the parse, so that an unknown option is named first.
    app.add_option("--listen", listenPath)->type_name("PATH")->check(kNotEmpty);
    app.add_option("--log", logPath)->type_name("FILE")->check(kNotEmpty);
    app.add_option("--model", model)->type_name("NAME")->transform(kBytes);
    app.add_option("--mcu-version", mcuVersion)->type_name("TEXT")->transform(kBytes);
    app.add_option("--dsp-version", dspVersion)->type_name("TEXT")->transform(kBytes);
    app.add_option("--cmd-version", cmdVersion)->type_name("N")->transform(WholeNumber(255));
    app.add_option("--latency-ms", latencyMs)->type_name("X")->check(kMilliseconds);
    app.add_option("--unplug-after", unplugAfter)
        ->type_name("N")
        ->transform(WholeNumber(std::numeric_limits<int>::max(), false, "a number of reports"));
    app.add_option("--hang-up-on", faults.hangUpOn)->type_name("CODE")->transform(WholeNumber(255, true));
    app.add_option("--stop-reading-after", faults.stopReadingAfter)
        ->type_name("N")
        ->transform(WholeNumber(1000000, true));
    app.add_option("--flood", faults.flood)->type_name("N")->transform(WholeNumber(1000000, true));
    app.add_flag("--blank", blank);
    app.add_flag("--silent", silent);
    app.add_flag("--swap-identity", swapIdentity);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(kUsage, stdout);
        return 0;
    } catch (const CLI::ParseError& e) {
        return UsageError(e.what());
    }
    if (listenPath.empty()) return UsageError("--listen PATH is required");
    if (model) box->SetModelName(*model);
    if (mcuVersion) box->SetMcuVersion(*mcuVersion);
    if (dspVersion) box->SetDspVersion(*dspVersion);
    if (cmdVersion) box->SetCommandSetVersion(*cmdVersion);
    if (unplugAfter) box->SetUnplugAfter(*unplugAfter);
    if (latencyMs) box->SetLatency(std::chrono::microseconds(std::llround(*latencyMs * 1000.0)));
    box->SetBlankMemory(blank);
    box->SetSilent(silent);
    box->SetIdentitySwapped(swapIdentity);

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
